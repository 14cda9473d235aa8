#include "markup/node.h"

#include <cstdio>
#include <new>

namespace KVTGDIPRINTING_LOGIC {

namespace {

template <typename Map>
std::string listKeys(const std::string& heading, const Map& map) {
    std::string out = heading + "\n";
    for (const auto& entry : map) out += entry.first + "\n";
    return out;
}

template <typename Map>
typename Map::mapped_type* findGroup(Map& map, const std::string& key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

std::string findText(const TextMap& map, const std::string& key) {
    const auto it = map.find(key);
    return it == map.end() ? std::string() : it->second;
}

}  // namespace

std::string NodeA::dumpVariables() { return listKeys("Variables of :" + name, variables); }

// The attributes are listed under the variables' heading too: tools that read these dumps know
// both lists by that one heading.
std::string NodeA::dumpAttributes() { return listKeys("Variables of :" + name, attributes); }

NodeList* NodeA::getChildren(const std::string& key) { return findGroup(children, key); }

std::string NodeA::dumpChildren() {
    std::string out = "Children of :" + name + "\n";
    for (const auto& group : children) {
        out += group.first;
        if (group.second.size() < 2) {
            out += "\n";
        } else {
            char count[32];
            std::snprintf(count, sizeof count, "[%i]\n", static_cast<int>(group.second.size()));
            out += count;
        }
    }
    return out;
}

std::string NodeA::getName() { return name; }

std::string NodeA::getVariable(const std::string& key) { return findText(variables, key); }

std::string NodeA::getAttribute(const std::string& key) { return findText(attributes, key); }

std::string NodeA::dumpArrayNames() { return listKeys("Array Names on " + name, arrays); }

std::string NodeA::getNodeName() { return name; }

TextList* NodeA::getArray(const std::string& key) { return findGroup(arrays, key); }

void NodeA::setVariable(const std::string& key, const std::string& value) {
    variables.entry(key, memory_) = value;
}

void NodeA::setAttribute(const std::string& key, const std::string& value) {
    attributes.entry(key, memory_) = value;
}

void NodeA::setText(const std::string& value) { text = value; }

void NodeA::addChild(NodeA* child) {
    children.entry(child->name, memory_).push_back(child);
    child->parent = this;
}

// Storage for nodes, a block at a time, handed out in order and released all at once; and the
// memory of their maps and lists, which is only given back with it (a node's destructor gives its
// maps' memory back to `memory`, which keeps it until the end).
class NodeBlocks {
public:
    std::pmr::monotonic_buffer_resource memory;

    void* take() {
        if (used_ == kPerBlock || blocks_.empty()) {
            blocks_.push_back(std::make_unique<Slot[]>(kPerBlock));
            used_ = 0;
        }
        return &blocks_.back()[used_++];
    }

    // Calls f(node) for each node taken, in the order they were taken.
    template <typename F>
    void forEach(F f) {
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            const std::size_t count = b + 1 == blocks_.size() ? used_ : kPerBlock;
            for (std::size_t i = 0; i < count; ++i) f(reinterpret_cast<NodeA*>(blocks_[b][i].bytes));
        }
    }

private:
    static constexpr std::size_t kPerBlock = 256;
    struct Slot {
        alignas(NodeA) unsigned char bytes[sizeof(NodeA)];
    };
    std::vector<std::unique_ptr<Slot[]>> blocks_;
    std::size_t used_ = 0;
};

NodeA::NodeA() = default;
NodeA::~NodeA() = default;

NodeA* NodeA::makeUnder(NodeA* root) {
    if (!root->blocks_) root->blocks_ = std::make_unique<NodeBlocks>();
    auto* node = new (root->blocks_->take()) NodeA;
    node->inBlock_ = true;
    node->memory_ = &root->blocks_->memory;
    return node;
}

void NodeA::destroy() {
    if (blocks_) {
        // A parsed tree: its nodes lie in its blocks in the order they were made, and go in
        // that order, each once, without walking the tree. Nodes added from elsewhere go after.
        const std::unique_ptr<NodeBlocks> blocks = std::move(blocks_);
        std::vector<NodeA*> others;
        const auto release = [&](NodeA* node) {
            for (auto& group : node->children) {
                for (NodeA* child : group.second) {
                    if (!child->inBlock_) others.push_back(child);
                }
            }
            releaseOne(node);
        };
        release(this);
        blocks->forEach(release);
        for (NodeA* node : others) node->destroy();
        return;
    }
    // Every node is listed once, so no call recurses however deep the tree is. A node's
    // destructor never follows its child pointers, so the list is freed from the root on.
    std::vector<NodeA*> order{this};
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (auto& group : order[i]->children) {
            order.insert(order.end(), group.second.begin(), group.second.end());
        }
    }
    for (NodeA* node : order) releaseOne(node);
}

void NodeA::releaseOne(NodeA* node) {
    // A node in a block gives its memory back with the block.
    if (node->inBlock_) {
        node->~NodeA();
    } else {
        delete node;
    }
}

}  // namespace KVTGDIPRINTING_LOGIC
