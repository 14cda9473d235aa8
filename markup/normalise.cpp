#include "markup/normalise.h"

#include "markup/replacement_scan.h"
#include "markup/text_ops.h"

namespace kestrane {

namespace {

// Whether `name` stands at `pos` with at least `name.size() + 1` bytes left from there.
bool nameFollows(const std::string& text, std::size_t pos, const std::string& name,
                 Variant variant) {
    if (text.size() < pos + name.size() + 1) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = variant == Variant::Previewer ? lowerAscii(text[pos + i]) : text[pos + i];
        if (c != name[i]) return false;
    }
    return true;
}

void renameAfter(std::string& text, const std::string& opener, Variant variant) {
    std::size_t pos = findText(text, opener);
    while (pos != std::string::npos) {
        const std::size_t nameAt = pos + opener.size();
        if (nameFollows(text, nameAt, "tbody", variant)) {
            text.replace(nameAt, 5, "table");
            pos = findText(text, opener, nameAt + 6);
        } else {
            pos = findText(text, opener, nameAt);
        }
    }
}

}  // namespace

std::string extractMarkup(const std::string& text) {
    const std::size_t first = text.find('<');
    const std::size_t last = text.size() > 1 ? text.find_last_of('>') : std::string::npos;
    if (first == std::string::npos || last == std::string::npos || last == 0) return std::string();
    if (last >= first) return text.substr(first, last - first + 1);
    if (last + 1 == first) return std::string();
    return text.substr(first);
}

std::string wrapTableRoot(const std::string& text, Variant variant) {
    std::string t = extractMarkup(text);
    if (t.empty()) return t;
    if (variant == Variant::Previewer) {
        for (std::size_t i = 1; i < t.size() && i <= 5; ++i) t[i] = lowerAscii(t[i]);
    }
    const std::string first = t.substr(1, 5);
    if (first == "table") return t;
    if (first == "tbody") {
        renameTbodyTags(t, variant);
        return t;
    }
    return "<table>" + t + "</table>";
}

void renameTbodyTags(std::string& text, Variant variant) {
    renameAfter(text, "<", variant);
    renameAfter(text, "</", variant);
}

void replaceImageExtensions(std::string& text) {
    for (const char* extension : {".png", ".gif", ".jpg"}) text = replaceExtension(text, extension);
}

void trimAfterLastTag(std::string& text) {
    const std::size_t last = text.find_last_of('>');
    if (last != std::string::npos) text.erase(last + 1);
}

std::string rewriteMarkup(const std::string& text) {
    std::string out = removeNonBreakingSpaces(replaceHorizontalRules(text));
    replaceImageExtensions(out);
    trimAfterLastTag(out);
    return out;
}

std::vector<std::string> splitTableSections(const std::string& text) {
    std::vector<std::string> sections;
    std::size_t start = 0;
    std::size_t pos = findText(text, "</");
    while (pos != std::string::npos) {
        if (text.size() >= pos + 8 && text.compare(pos + 2, 5, "table") == 0) {
            sections.push_back(text.substr(start, pos + 8 - start));
            start = pos + 8;
            pos = findText(text, "</", start);
        } else {
            pos = findText(text, "</", pos + 2);
        }
    }
    return sections;
}

}  // namespace kestrane
