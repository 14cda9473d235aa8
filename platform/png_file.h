#pragma once

#include <string>

#include "platform/canvas.h"

namespace kestrane {

// The canvas as a one-bit greyscale PNG image in `bytes`; false for an empty canvas.
bool encodePng(const Canvas& canvas, std::string& bytes);

// Writes `canvas` as a one-bit greyscale PNG file. On failure returns false with a reason.
bool writePngFile(const Canvas& canvas, const std::string& path, std::string& error);

}  // namespace kestrane
