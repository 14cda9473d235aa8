#include "markup/text_ops.h"

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

std::string replaceAll(const std::string& text, std::string_view from, std::string_view to) {
    // Most calls find nothing: the text comes back without building a new one.
    if (from.empty() || text.find(from) == std::string::npos) return text;
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
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        pos = hit + from.size();
        pending = true;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::vector<std::string> splitTokens(const std::string& text, const std::string& separators) {
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(separators, pos);
        if (start == std::string::npos) break;
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::string::npos) end = text.size();
        pieces.push_back(text.substr(start, end - start));
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
