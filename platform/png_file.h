#pragma once

#include <string>

#include "platform/canvas.h"

namespace kestrane {

// Writes `canvas` as a one-bit greyscale PNG file. On failure returns false with a reason.
bool writePngFile(const Canvas& canvas, const std::string& path, std::string& error);

}  // namespace kestrane
