// The four receipt fonts. Each is made on first use (finding a face through fontconfig costs
// milliseconds at a program's start, which a job that draws nothing should not pay) and lives as
// long as the program.
#pragma once

#include "platform/font.h"

namespace kestrane {

const Font* LargeFont();      // Arial 28: full-width rows
const Font* SmallFont();      // Arial 24: cells of three-cell rows
const Font* SmallBoldFont();  // Arial 24 bold: strong text
const Font* CaptionFont();    // Arial 28: the characters under a barcode

}  // namespace kestrane
