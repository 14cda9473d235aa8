#include "markup/node.h"

#include <cstdio>

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

void NodeA::setVariable(const std::string& key, const std::string& value) { variables[key] = value; }

void NodeA::setAttribute(const std::string& key, const std::string& value) {
    attributes[key] = value;
}

void NodeA::setText(const std::string& value) { text = value; }

void NodeA::addChild(NodeA* child) {
    children[child->name].push_back(child);
    child->parent = this;
}

void NodeA::destroy() {
    // Every node is listed once, so no call recurses however deep the tree is. A node's
    // destructor never follows its child pointers, so the list is freed from the root on: the
    // order the parser allocated the nodes in, which the allocator merges free blocks fastest in.
    std::vector<NodeA*> order{this};
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (auto& group : order[i]->children) {
            order.insert(order.end(), group.second.begin(), group.second.end());
        }
    }
    for (NodeA* node : order) delete node;
}

}  // namespace KVTGDIPRINTING_LOGIC
