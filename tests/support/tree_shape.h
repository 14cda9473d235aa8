// A compact one-line picture of a small node tree for expectations:
//   name"text" @key=value,... $key=value,... (child child ...)
// Only non-empty parts are written; children appear group by group in key order.
#pragma once

#include <string>

#include "markup/node.h"

namespace kestrane::testing {

inline std::string treeShape(const KVTGDIPRINTING_LOGIC::NodeA& node) {
    std::string out = node.name;
    if (!node.text.empty()) out += "\"" + node.text + "\"";
    const auto pairs = [&out](char mark, const KVTGDIPRINTING_LOGIC::TextMap& map) {
        if (map.empty()) return;
        out += ' ';
        out += mark;
        bool first = true;
        for (const auto& entry : map) {
            if (!first) out += ',';
            first = false;
            out += entry.first + "=" + entry.second;
        }
    };
    pairs('@', node.attributes);
    pairs('$', node.variables);
    if (!node.children.empty()) {
        out += " (";
        bool first = true;
        for (const auto& group : node.children) {
            for (const auto* child : group.second) {
                if (!first) out += ' ';
                first = false;
                out += treeShape(*child);
            }
        }
        out += ')';
    }
    return out;
}

}  // namespace kestrane::testing
