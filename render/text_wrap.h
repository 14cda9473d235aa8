// Line breaking of cell texts. The layout pass decides every line break of a receipt here; the
// render pass draws the texts as they were rewritten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/canvas.h"
#include "platform/font.h"

namespace kestrane {

// Removes the blanks (space, tab, CR, LF) at the start of the text and after every line feed
// that is not the last byte; the line feeds themselves stay.
void trimLineStarts(std::string& text);

// How many leading bytes of `segment` go on one line of `maxWidth` pixels, `margin` of which
// stay free: the line ends at a line feed, before the last blank that lay inside it, or inside a
// word with no blank before the overflow. The last byte of a segment is never measured. A first
// byte that does not fit gives 0.
std::size_t fitLine(std::string_view segment, int32_t margin, int32_t maxWidth, const Font* font);

// Rewrites `text` with a line feed at every line end it introduces and returns the box of the
// block: {0, 0, maxWidth, lineHeight x lines}. Every line takes at least one byte. Returns
// nothing, leaving the text alone, for a width below 1 or a line height of 0 or less.
std::optional<Rect> wrapText(int32_t maxWidth, const Font* font, int32_t lineHeight,
                             std::string& text);

}  // namespace kestrane
