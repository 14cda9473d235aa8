#include "render/text_wrap.h"

#include <cstdint>

namespace kestrane {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

void trimLineStarts(std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    for (; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\n' && i + 1 < text.size()) {
            while (i + 1 < text.size() && isBlank(text[i + 1])) ++i;
        }
    }
    text.swap(out);
}

std::size_t fitLine(std::string_view segment, int32_t margin, int32_t maxWidth, const Font* font) {
    // A line feed in front counts as a blank; the segment ends at the next one. Widths of the
    // prefixes grow by one cached advance a byte, so a line costs its length.
    const std::size_t n = segment.size();
    std::size_t lastSpace = 0, previous = 0;
    int32_t width = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = (i == 0 && segment[0] == '\n') ? ' ' : segment[i];
        if (i > 0 && c == '\n') return i;
        if (width + margin >= maxWidth) return lastSpace > 0 ? lastSpace : previous;
        if (c == ' ' && i != 0) lastSpace = i;
        previous = i;
        width += charAdvance(font, static_cast<unsigned char>(c));
    }
    return n;
}

std::optional<Rect> wrapText(int32_t maxWidth, const Font* font, int32_t lineHeight,
                             std::string& text) {
    if (maxWidth < 1 || lineHeight - lineHeight / 2 < 1) return std::nullopt;
    if (text.size() > 1) trimLineStarts(text);
    Rect box;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    const std::size_t n = text.size();
    std::size_t position = 0;
    while (position < n) {
        std::string_view rest(text);
        rest.remove_prefix(position);
        const std::size_t k = std::max<std::size_t>(1, fitLine(rest, lineHeight, maxWidth, font));
        out.append(text, position, k);
        position += k;
        if (position < n && text[position] != '\n') out += '\n';
        box.bottom = box.bottom > INT32_MAX - lineHeight ? INT32_MAX : box.bottom + lineHeight;
    }
    text.swap(out);
    box.right = maxWidth;
    return box;
}

}  // namespace kestrane
