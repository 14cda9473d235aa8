#include "output/paired_tags.h"

#include <algorithm>

#include "markup/text_ops.h"
#include "output/raw_rows.h"

namespace kestrane {

namespace {

// The tag that starts at `at` (a '<' of text whose tags pair up), up to its '>'.
std::string_view tagAt(std::string_view text, std::size_t at) {
    const std::size_t close = text.find('>', at);
    return text.substr(at, close + 1 - at);
}

bool isDroppedTag(std::string_view tag) {
    static const std::string_view kDropped[] = {"<html>",  "</html>",  "<body>",  "</body>",
                                                "<table>", "</table>", "<tbody>", "</tbody>",
                                                "<font>",  "</font>",  "<tr>"};
    for (std::string_view dropped : kDropped) {
        if (tag == dropped) return true;
    }
    return false;
}

// What a tag of a row turns into before the barcode check: a marker, nothing, or itself.
std::string_view markedTag(std::string_view tag) {
    if (tag == "<center>") return marker::kCentre;
    if (tag == "</center>") return std::string_view();
    if (tag == "<strong>") return marker::kStrong;
    if (tag == "</strong>") return marker::kNormal;
    if (tag == "<hr>" || tag == "<hr/>" || tag == "<hr />") return marker::kRule;
    return tag;
}

bool containsIgnoringCase(std::string_view text, std::string_view lowerPart) {
    if (lowerPart.size() > text.size()) return false;
    for (std::size_t at = 0; at + lowerPart.size() <= text.size(); ++at) {
        std::size_t k = 0;
        while (k < lowerPart.size() && lowerAscii(text[at + k]) == lowerPart[k]) ++k;
        if (k == lowerPart.size()) return true;
    }
    return false;
}

}  // namespace

bool tagsPairUp(std::string_view text) {
    bool inTag = false;
    for (const char c : text) {
        if (c == '<') {
            if (inTag) return false;
            inTag = true;
        } else if (c == '>') {
            if (!inTag) return false;
            inTag = false;
        }
    }
    return !inTag;
}

bool splitPairedRows(const std::string& layout, std::vector<std::string>& rows) {
    rows.clear();
    if (!tagsPairUp(layout)) return false;
    std::string row;
    const auto endRow = [&] {
        if (!row.empty()) rows.push_back(std::move(row));
        row.clear();
    };
    for (std::size_t at = 0; at < layout.size();) {
        std::size_t run = at;
        while (run < layout.size() && layout[run] != '<' && layout[run] != '^') ++run;
        row.append(layout, at, run - at);
        if (run == layout.size()) break;
        if (layout[run] == '^') {
            endRow();
            at = run + 1;
            continue;
        }
        const std::string_view tag = tagAt(layout, run);
        at = run + tag.size();
        if (tag == "</tr>") {
            endRow();
        } else if (!isDroppedTag(tag)) {
            for (const char c : tag) {  // a caret cuts the row even inside a tag
                if (c == '^') {
                    endRow();
                } else {
                    row += c;
                }
            }
        }
    }
    endRow();
    return true;
}

bool rewritePairedRow(const std::string& input, std::string& out) {
    out.clear();
    std::string text = trim(input);
    replaceAllIn(text, "&nbsp;", "");
    // (find_first_of would call memchr once a byte.)
    const bool lineBreaks = std::any_of(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; });
    if (lineBreaks || !tagsPairUp(text)) return false;

    // Without the cell tags, blank runs collapsed (inside tags too), then trimmed.
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::string_view piece(text.data() + at, 1);
        if (text[at] == '<') {
            piece = tagAt(text, at);
            if (piece == "<td>" || piece == "</td>") {
                at += piece.size();
                continue;
            }
        }
        at += piece.size();
        for (const char c : piece) {
            if (c != ' ' || plain.empty() || plain.back() != ' ') plain += c;
        }
    }
    const std::size_t first = plain.find_first_not_of(' ');
    if (first == std::string::npos) return true;  // an empty row
    const std::string_view trimmed(plain.data() + first, plain.find_last_not_of(' ') + 1 - first);
    if (trimmed.find("<img") != std::string_view::npos) return false;

    std::string marked;
    marked.reserve(trimmed.size() + 32);
    for (std::size_t at = 0; at < trimmed.size();) {
        const std::size_t open = trimmed.find('<', at);
        marked.append(trimmed.substr(at, open - at));
        if (open == std::string_view::npos) break;
        const std::string_view tag = tagAt(trimmed, open);
        marked.append(markedTag(tag));
        at = open + tag.size();
    }
    if (containsIgnoringCase(marked, "barcode")) return false;

    out.reserve(marked.size() + 1);
    for (std::size_t at = 0; at < marked.size();) {
        const std::size_t open = marked.find('<', at);
        out.append(marked, at, open == std::string::npos ? std::string::npos : open - at);
        if (open == std::string::npos) break;
        const std::string_view tag = tagAt(marked, open);
        if (tag == "<br>" || tag == "<br/>") out += '\n';
        at = open + tag.size();
    }
    if (!out.empty()) out += '\n';
    return true;
}

}  // namespace kestrane
