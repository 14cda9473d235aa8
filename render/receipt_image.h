// Receipt images: BMP files in the image folder below a base directory, drawn 550 pixels wide.
#pragma once

#include <cstdint>
#include <string>

#include "platform/canvas.h"

namespace kestrane {

// The base directory of image lookups, set by each job before it lays out its first section.
extern std::string imageDirectory;

// The file an img element names: imageDirectory + "\node_modules\printer\GDIImageDirectory" +
// the file part of its src value (from its last "/" or "\", which is kept). Empty when the raw
// attribute text has no usable src value.
std::string resolveImagePath(const std::string& raw);

// The height the image takes in the receipt: its height scaled to 550 pixels wide, plus 10; 1
// when the file cannot be loaded.
int32_t receiptImageHeight(const std::string& path);

// Draws the image 550 pixels wide at (x + 10, y + 10). Returns the drawn height + 10, or 0
// when the file cannot be loaded (nothing is drawn).
int32_t drawReceiptImage(Canvas& canvas, int32_t x, int32_t y, const std::string& path);

}  // namespace kestrane
