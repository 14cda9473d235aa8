#include "jobs/tree_json.h"

#include <vector>

namespace kestrane {

using KVTGDIPRINTING_LOGIC::NodeA;

namespace {

void writeTextMap(std::ostream& out, const KVTGDIPRINTING_LOGIC::TextMap& map) {
    out << '{';
    bool first = true;
    for (const auto& entry : map) {
        if (!first) out << ", ";
        first = false;
        writeJsonString(out, entry.first);
        out << ": ";
        writeJsonString(out, entry.second);
    }
    out << '}';
}

// Everything of a node up to the opening brace of its "children" map.
void writeNodeHead(std::ostream& out, const NodeA& node) {
    out << "{\"name\": ";
    writeJsonString(out, node.name);
    out << ", \"text\": ";
    writeJsonString(out, node.text);
    out << ", \"attributes\": ";
    writeTextMap(out, node.attributes);
    out << ", \"variables\": ";
    writeTextMap(out, node.variables);
    out << ", \"box\": [" << node.box.left << ", " << node.box.top << ", " << node.box.right
        << ", " << node.box.bottom << "], \"children\": {";
}

struct Frame {
    const NodeA* node;
    KVTGDIPRINTING_LOGIC::ChildGroups::const_iterator group;
    std::size_t index;  // next child within the group
};

}  // namespace

void writeJsonString(std::ostream& out, const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    out << '"';
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (b) {
            case '"': out << "\\\""; break;
            case '\\': out << "\\\\"; break;
            case '\n': out << "\\n"; break;
            case '\r': out << "\\r"; break;
            case '\t': out << "\\t"; break;
            case '\b': out << "\\b"; break;
            case '\f': out << "\\f"; break;
            default:
                if (b < 0x20) {
                    out << "\\u00" << kHex[b >> 4] << kHex[b & 15];
                } else if (b >= 0x80) {
                    out << static_cast<char>(0xC0 | (b >> 6)) << static_cast<char>(0x80 | (b & 0x3F));
                } else {
                    out << c;
                }
        }
    }
    out << '"';
}

void writeTreeJson(std::ostream& out, const NodeA& node) {
    std::vector<Frame> stack;
    writeNodeHead(out, node);
    stack.push_back({&node, node.children.begin(), 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.group == frame.node->children.end()) {
            out << "}}";
            stack.pop_back();
            continue;
        }
        const auto& list = frame.group->second;
        if (frame.index == 0) {
            if (frame.group != frame.node->children.begin()) out << ", ";
            writeJsonString(out, frame.group->first);
            out << ": [";
        }
        if (frame.index == list.size()) {
            out << ']';
            ++frame.group;
            frame.index = 0;
            continue;
        }
        if (frame.index != 0) out << ", ";
        const NodeA* child = list[frame.index++];
        writeNodeHead(out, *child);
        stack.push_back({child, child->children.begin(), 0});
    }
}

}  // namespace kestrane
