#include "markup/text_ops.h"

#include <array>
#include <cstring>

namespace kestrane {

namespace {
const char kBlank[] = " \n\r\t";
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(kBlank);
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(kBlank);
    return text.substr(first, last - first + 1);
}

std::size_t findText(std::string_view text, std::string_view part, std::size_t pos) {
    if (part.empty()) return pos <= text.size() ? pos : std::string_view::npos;
    if (pos >= text.size() || text.size() - pos < part.size()) return std::string_view::npos;
    const char first = part[0];
    const char* at = text.data() + pos;
    const char* const last = text.data() + (text.size() - part.size());  // the last possible start
    while (at <= last) {
        at = static_cast<const char*>(std::memchr(at, first, static_cast<std::size_t>(last - at) + 1));
        if (at == nullptr) return std::string_view::npos;
        // Markup has a '<' every few bytes: the second byte rules out most of them without a call.
        if (part.size() == 1 || (at[1] == part[1] && std::memcmp(at + 2, part.data() + 2, part.size() - 2) == 0)) {
            return static_cast<std::size_t>(at - text.data());
        }
        ++at;
    }
    return std::string_view::npos;
}

std::string replaceAll(const std::string& text, std::string_view from, std::string_view to) {
    // Most calls find nothing: the text comes back without building a new one.
    if (from.empty() || findText(text, from, 0) == std::string::npos) return text;
    // A `to` that contains `from` would be found again at the resume point forever.
    const bool rescan = to.find(from) == std::string_view::npos;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;      // next unread byte of `text`
    bool pending = false;     // `to` was just emitted in place of an occurrence
    for (;;) {
        if (pending && rescan) {
            // An occurrence starting inside the fresh replacement must run on into `text`:
            // to[k..] is then a proper prefix of `from` and `text` continues it.
            std::size_t k = 0;
            for (; k < to.size(); ++k) {
                const std::size_t head = to.size() - k;
                if (head >= from.size()) continue;
                if (to.compare(k, head, from, 0, head) != 0) continue;
                const std::size_t tail = from.size() - head;
                if (text.size() - pos >= tail && text.compare(pos, tail, from, head, tail) == 0) break;
            }
            if (k < to.size()) {
                out.append(to, 0, k);
                pos += from.size() - (to.size() - k);
                continue;  // `to` is emitted again, still pending
            }
        }
        if (pending) out += to;
        pending = false;
        const std::size_t hit = findText(text, from, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        pos = hit + from.size();
        pending = true;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

void replaceAllIn(std::string& text, std::string_view from, std::string_view to) {
    if (!from.empty() && findText(text, from, 0) != std::string::npos) text = replaceAll(text, from, to);
}

std::vector<std::string> splitTokens(const std::string& text, const std::string& separators) {
    // One table look-up a byte, where find_first_of would search the separators for each.
    std::array<bool, 256> isSeparator{};
    for (const char c : separators) isSeparator[static_cast<unsigned char>(c)] = true;
    const auto separator = [&](char c) { return isSeparator[static_cast<unsigned char>(c)]; };
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && separator(text[pos])) ++pos;
        if (pos == text.size()) break;
        std::size_t end = pos;
        while (end < text.size() && !separator(text[end])) ++end;
        pieces.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return pieces;
}

std::string joinTokens(const std::vector<std::string>& pieces, const std::string& separator) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i != 0) out += separator;
        out += pieces[i];
    }
    return out;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string toLower(std::string text) {
    for (char& c : text) c = lowerAscii(c);
    return text;
}

std::string toUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace kestrane
