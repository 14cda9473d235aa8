#include "output/raw_patterns.h"

namespace kestrane {

namespace {

bool isLineTerminator(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

std::string collapseBlankRuns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ' && i > 0 && text[i - 1] == ' ') continue;  // not the run's first blank
        out += text[i];
    }
    return out;
}

std::string removeTags(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t open = text.find('<', pos);
        if (open == std::string::npos) break;
        // "[^>]*" cannot pass a '>', so a match runs to the first '>' after its '<'; with no '>'
        // left, no later '<' can match either.
        const std::size_t close = text.find('>', open + 1);
        if (close == std::string::npos) break;
        out.append(text, pos, open - pos);
        pos = close + 1;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

bool findImageSource(const std::string& text, std::string& source) {
    // A match holds no CR or LF, so it lies inside one line. Within a line only the first "<img"
    // needs trying: every later start finds its "src=\"" and quote no earlier, so it fails when
    // the first one fails. From that start, the lazy quantifiers take the first "src=\"" after at
    // least one character and the first quote after at least one group character; the rest,
    // ".+?/?>", then needs a '>' at least two bytes after that quote.
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = lineStart;
        while (lineEnd < text.size() && !isLineTerminator(text[lineEnd])) ++lineEnd;
        const std::string line = text.substr(lineStart, lineEnd - lineStart);
        const std::size_t img = line.find("<img");
        if (img != std::string::npos) {
            const std::size_t src = line.find("src=\"", img + 5);
            const std::size_t groupStart = src == std::string::npos ? src : src + 5;
            const std::size_t quote =
                src == std::string::npos ? src : line.find('"', groupStart + 1);
            const std::size_t lastClose = line.rfind('>');
            if (quote != std::string::npos && lastClose != std::string::npos &&
                lastClose >= quote + 2) {
                source = line.substr(groupStart, quote - groupStart);
                return true;
            }
        }
        lineStart = lineEnd + 1;
    }
    return false;
}

std::string eraseEach(const std::string& text, const std::string& literal) {
    if (literal.empty()) return text;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(literal, pos)) != std::string::npos;) {
        out.append(text, pos, hit - pos);
        pos = hit + literal.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

bool containsDotPattern(const std::string& text, const std::string& pattern) {
    if (pattern.size() > text.size()) return false;
    for (std::size_t start = 0; start + pattern.size() <= text.size(); ++start) {
        std::size_t k = 0;
        for (; k < pattern.size(); ++k) {
            const char c = text[start + k];
            const bool matches = pattern[k] == '.' ? !isLineTerminator(c) : c == pattern[k];
            if (!matches) break;
        }
        if (k == pattern.size()) return true;
    }
    return false;
}

}  // namespace kestrane
