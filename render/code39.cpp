#include "render/code39.h"

#include <algorithm>
#include <cstring>

#include "markup/text_ops.h"

namespace kestrane {

namespace {

struct Pattern {
    char character;
    const char* elements;  // bar, space, bar, ... bar, then the gap: n narrow, w wide
};

constexpr Pattern kPatterns[44] = {
    {'0', "nnnwwnwnnn"}, {'1', "wnnwnnnnwn"}, {'2', "nnwwnnnnwn"}, {'3', "wnwwnnnnnn"},
    {'4', "nnnwwnnnwn"}, {'5', "wnnwwnnnnn"}, {'6', "nnwwwnnnnn"}, {'7', "nnnwnnwnwn"},
    {'8', "wnnwnnwnnn"}, {'9', "nnwwnnwnnn"}, {'A', "wnnnnwnnwn"}, {'B', "nnwnnwnnwn"},
    {'C', "wnwnnwnnnn"}, {'D', "nnnnwwnnwn"}, {'E', "wnnnwwnnnn"}, {'F', "nnwnwwnnnn"},
    {'G', "nnnnnwwnwn"}, {'H', "wnnnnwwnnn"}, {'I', "nnwnnwwnnn"}, {'J', "nnnnwwwnnn"},
    {'K', "wnnnnnnwwn"}, {'L', "nnwnnnnwwn"}, {'M', "wnwnnnnwnn"}, {'N', "nnnnwnnwwn"},
    {'O', "wnnnwnnwnn"}, {'P', "nnwnwnnwnn"}, {'Q', "nnnnnnwwwn"}, {'R', "wnnnnnwwnn"},
    {'S', "nnwnnnwwnn"}, {'T', "nnnnwnwwnn"}, {'U', "wwnnnnnnwn"}, {'V', "nwwnnnnnwn"},
    {'W', "wwwnnnnnnn"}, {'X', "nwnnwnnnwn"}, {'Y', "wwnnwnnnnn"}, {'Z', "nwwnwnnnnn"},
    {'-', "nwnnnnwnwn"}, {'.', "wwnnnnwnnn"}, {' ', "nwwnnnwnnn"}, {'*', "nwnnwnwnnn"},
    {'$', "nwnwnwnnnn"}, {'/', "nwnwnnnwnn"}, {'+', "nwnnnwnwnn"}, {'%', "nnnwnwnwnn"},
};

constexpr int32_t kFieldLength = 12;
constexpr int32_t kLeft = 60;
// The bars' rows, from the field's row top.
constexpr int32_t kBarTop = 20;
constexpr int32_t kBarBottom = 124;

}  // namespace

int32_t appendCode39Character(Code39Bars& bars, char character, int32_t position) {
    for (const Pattern& pattern : kPatterns) {
        if (pattern.character != character) continue;
        if (position < 0 || position + 10 > static_cast<int32_t>(sizeof bars.codes)) return -1;
        for (int k = 0; k < 10; ++k) {
            const bool wide = pattern.elements[k] == 'w';
            const bool bar = k % 2 == 0;
            bars.codes[position + k] = static_cast<uint8_t>(bars.codes[position + k] +
                                                            (wide ? 2 : 0) + (bar ? 1 : 0));
        }
        return position + 10;
    }
    return -1;
}

bool encodeCode39(Code39Bars& bars, const std::string& text) {
    const std::string symbol = toUpper("*" + text + "*");
    int32_t position = 0;
    for (const char character : symbol) {
        position = appendCode39Character(bars, character, position);
        if (position < 0) return false;
    }
    bars.count = position;
    return true;
}

void drawBarcodeField(Canvas& canvas, int32_t top, const std::string& value) {
    if (value.size() > kFieldLength) return;
    Code39Bars bars;
    std::string field(kFieldLength, '0');
    field.replace(kFieldLength - value.size(), value.size(), value);
    encodeCode39(bars, field);

    // Every element is a 2-pixel column from top + 20 to top + 124: the columns are drawn into
    // one row, the row repeated down a band, and the band copied in one pass.
    int32_t width = 0;
    for (int32_t i = 0; i < bars.count; ++i) width += 2 * ((bars.codes[i] & 2) ? bars.wideLines : 1);
    Canvas band(width, kBarBottom - kBarTop);
    int32_t x = 0;
    for (int32_t i = 0; i < bars.count; ++i) {
        const int32_t columns = 2 * ((bars.codes[i] & 2) ? bars.wideLines : 1);
        if (bars.codes[i] & 1) fillRect(band, {x, 0, x + columns, 1}, true);
        x += columns;
    }
    for (int32_t row = 1; row < band.height; ++row) {
        std::copy_n(band.bits.begin(), band.stride,
                    band.bits.begin() + static_cast<std::ptrdiff_t>(row) * band.stride);
    }
    copyCanvas(canvas, band, kLeft, top + kBarTop);
    // Where the last element's line left the pen.
    if (width > 0) moveTo(canvas, kLeft + width - 2, top + kBarBottom);

    std::string digits;
    for (const char c : field) digits += std::string("   ") + c;
    textOut(canvas, kLeft, top + 129, digits);
}

}  // namespace kestrane
