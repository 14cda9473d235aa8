// The passes read a node by its first child group: the group with the smallest name.
#pragma once

#include <string>

#include "markup/node.h"

namespace kestrane {

// The first node of the node's first group; the node must have children.
inline KVTGDIPRINTING_LOGIC::NodeA* firstOf(const KVTGDIPRINTING_LOGIC::NodeA* node) {
    return node->children.begin()->second.front();
}

// The name of the node's first group; the node must have children.
inline const std::string& firstGroupName(const KVTGDIPRINTING_LOGIC::NodeA* node) {
    return node->children.begin()->first;
}

}  // namespace kestrane
