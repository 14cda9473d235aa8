#include "markup/replacement_scan.h"

#include "markup/text_ops.h"

namespace kestrane {

const char kRuleMarker[] = "0x01";

std::string replaceScan(const std::string& text, const std::vector<std::string>& patterns,
                        const std::string& replacement) {
    constexpr auto npos = std::string::npos;
    // next[k]: first occurrence of patterns[k] at or after the read position, kept until the read
    // position passes it. An absent pattern stays absent in every later suffix.
    std::vector<std::size_t> next(patterns.size());
    for (std::size_t k = 0; k < patterns.size(); ++k) {
        next[k] = patterns[k].empty() ? npos : findText(text, patterns[k], 0);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t read = 0;
    while (read < text.size()) {
        std::size_t k = 0;
        for (; k < patterns.size(); ++k) {
            if (next[k] != npos && next[k] < read) next[k] = findText(text, patterns[k], read);
            if (next[k] != npos) break;
        }
        if (k == patterns.size()) break;
        out.append(text, read, next[k] - read);
        out += replacement;
        read = next[k] + patterns[k].size();
    }
    if (read < text.size()) out.append(text, read, npos);
    return out;
}

std::string replaceLineBreaks(const std::string& text) {
    static const std::vector<std::string> kBreaks = {"<br>", "<br/>", "<br />"};
    return replaceScan(text, kBreaks, "\n");
}

std::string replaceHorizontalRules(const std::string& text) {
    static const std::vector<std::string> kRules = {"<hr>", "<hr/>", "<hr />"};
    return replaceScan(text, kRules, kRuleMarker);
}

std::string removeNonBreakingSpaces(const std::string& text) {
    static const std::vector<std::string> kSpaces = {"&nbsp;"};
    return replaceScan(text, kSpaces, "");
}

std::string replaceExtension(const std::string& text, const std::string& extension) {
    return replaceScan(text, {extension}, ".bmp");
}

}  // namespace kestrane
