// The markup node tree: one root per parsed section, children grouped by element name.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

#include "markup/lazy_map.h"

namespace KVTGDIPRINTING_LOGIC {

class NodeA;
class NodeBlocks;

// std::string compares through char_traits<char>, which orders bytes as unsigned values, so
// these maps are in byte order with a prefix before its extensions.
using TextMap = LazyMap<std::string, std::string>;
using NodeList = std::pmr::vector<NodeA*>;
using TextList = std::vector<std::string>;
using ChildGroups = LazyMap<std::string, NodeList>;

struct Box {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class NodeObject {
public:
    virtual std::string dumpVariables() = 0;
    virtual std::string dumpAttributes() = 0;
    // The live group of children named `name`, or nullptr.
    virtual NodeList* getChildren(const std::string& name) = 0;
    virtual std::string dumpChildren() = 0;
    virtual std::string getName() = 0;
    // The value under `key`, or empty text; never inserts.
    virtual std::string getVariable(const std::string& key) = 0;
    virtual std::string getAttribute(const std::string& key) = 0;
    virtual std::string dumpArrayNames() = 0;
    virtual std::string getNodeName() = 0;
    virtual TextList* getArray(const std::string& name) = 0;

protected:
    // Trees are released with NodeA::destroy, never deleted through the base.
    ~NodeObject() = default;
};

class NodeA final : public NodeObject {
public:
    NodeA();
    NodeA(const NodeA&) = delete;
    NodeA& operator=(const NodeA&) = delete;

    std::string dumpVariables() override;
    std::string dumpAttributes() override;
    NodeList* getChildren(const std::string& name) override;
    std::string dumpChildren() override;
    std::string getName() override;
    std::string getVariable(const std::string& key) override;
    std::string getAttribute(const std::string& key) override;
    std::string dumpArrayNames() override;
    std::string getNodeName() override;
    TextList* getArray(const std::string& name) override;

    void setVariable(const std::string& key, const std::string& value);
    void setAttribute(const std::string& key, const std::string& value);
    void setText(const std::string& value);
    // Appends `child` to the group of its current name and takes ownership of it.
    void addChild(NodeA* child);
    // A new node for the tree under `root`, kept in blocks the root owns: a parsed tree's nodes
    // then lie side by side in the order they were made, and go in one release with the root, as
    // do their maps and lists of children. It must end up below `root`.
    static NodeA* makeUnder(NodeA* root);
    // Releases this node and everything below it, without recursion (trees can be a million
    // levels deep). The node must not be used afterwards.
    void destroy();

    NodeA* parent = nullptr;
    TextMap variables;
    TextMap attributes;
    ChildGroups children;
    std::string text;
    LazyMap<std::string, TextList> arrays;
    Box box;
    std::string name;

private:
    ~NodeA();
    // Ends one node, not those below it.
    static void releaseOne(NodeA* node);

    std::unique_ptr<NodeBlocks> blocks_;  // a root's: the nodes made under it
    // Where this node's maps and lists come from: its root's blocks, or the heap.
    std::pmr::memory_resource* memory_ = std::pmr::get_default_resource();
    bool inBlock_ = false;
};

}  // namespace KVTGDIPRINTING_LOGIC
