// JSON form of a node tree, for people and scripts that check how markup was understood.
#pragma once

#include <ostream>
#include <string>

#include "markup/node.h"

namespace kestrane {

// Writes `bytes` as a JSON string: bytes 0x80-0xFF become U+0080-U+00FF, so every byte maps to
// one code point and back.
void writeJsonString(std::ostream& out, const std::string& bytes);

// Writes {"name", "text", "attributes", "variables", "box", "children"} for `node` and, without
// recursion, everything below it; every map in the tree's own key order.
void writeTreeJson(std::ostream& out, const KVTGDIPRINTING_LOGIC::NodeA& node);

}  // namespace kestrane
