// The four receipt fonts. They are made when the program loads and live as long as it does.
#pragma once

#include "platform/font.h"

namespace kestrane {

extern const Font* const LargeFont;      // Arial 28: full-width rows
extern const Font* const SmallFont;      // Arial 24: cells of three-cell rows
extern const Font* const SmallBoldFont;  // Arial 24 bold: strong text
extern const Font* const CaptionFont;    // Arial 28: the characters under a barcode

}  // namespace kestrane
