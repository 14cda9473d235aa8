// A tolerant single-pass splitter from layout text to a node tree. It cuts the text at every "<",
// sorts each piece by a few byte tests and builds the tree on a stack of open containers. It
// never recurses, so nesting depth is bounded by memory only.
#pragma once

#include <string>

#include "markup/node.h"
#include "markup/variant.h"

namespace kestrane {

// Name of the node returned for a rejected layout, and the variable and message it carries when
// containers were left open.
extern const char kErrorNodeName[];
extern const char kUnmatchedContainers[];

// What parsing a section gave: its root, or, for a rejected layout, a node named "Error" that
// says why (and that `kestrane tree` shows). Either way owned by the caller and released with
// destroy(). Callers decide by `rejected`, never by the node's name.
struct ParseResult {
    KVTGDIPRINTING_LOGIC::NodeA* root = nullptr;
    bool rejected = false;
};

// Parses one section (up to its first NUL byte). Rejected when the text has an empty tag ("<>")
// or leaves containers open. The previewer lower-cases names and drops the attributes of leaves.
ParseResult parseMarkup(std::string text, Variant variant);

// Removes the run of blanks (space, tab, CR, LF) at the end of a token, never its first byte.
void trimTokenEnd(std::string& token);

}  // namespace kestrane
