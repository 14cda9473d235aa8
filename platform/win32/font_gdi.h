// The GDI font behind a Font, for the drawing code of this folder.
#pragma once

#include <windows.h>

#include "platform/font.h"

namespace kestrane {

HFONT fontHandle(const Font* font);

}  // namespace kestrane
