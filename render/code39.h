// Code 39 barcodes of a 12-character, zero-padded field, with the characters written beneath.
#pragma once

#include <cstdint>
#include <string>

#include "platform/canvas.h"

namespace kestrane {

// Element codes of one symbol: bit 0 set = bar, bit 1 set = wide.
struct Code39Bars {
    uint8_t codes[4096] = {};
    int32_t count = 0;
    int32_t wideLines = 3;  // 2-pixel lines in a wide element
};

// Appends the ten codes of `character` (its nine elements and the narrow gap after it) at
// `position`. Returns the position after them, or -1 when the character has no pattern or the
// codes would not fit.
int32_t appendCode39Character(Code39Bars& bars, char character, int32_t position);

// Fills `bars` with "*" + text + "*", upper-cased. Returns false, leaving the count at 0, when a
// character has no pattern.
bool encodeCode39(Code39Bars& bars, const std::string& text);

// Draws the field of `value` (at most 12 bytes, zero-padded on the left) from x = 60: bars from
// top + 20 to top + 124, then the characters, each after three blanks, at (60, top + 129) in the
// current font. A longer value draws nothing; one with a character outside Code 39 draws only
// the characters.
void drawBarcodeField(Canvas& canvas, int32_t top, const std::string& value);

}  // namespace kestrane
