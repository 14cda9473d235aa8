// Decoded images and the bitmap files they come from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrane {

// An RGB image, rows top-down, three bytes a pixel.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};

// Decodes the Windows bitmap (BMP) file at `enginePath` ("\" separates directories). Returns
// false for a missing or unreadable file, one that is not a BMP, one shorter than its header
// says, or one too large to be a receipt image; nothing is allocated for the pixels first.
bool loadBitmapFile(const std::string& enginePath, Image& image);

// Decodes the bytes of a BMP file, refusing what loadBitmapFile refuses. Takes the bytes by
// value so they can be released before the pixels are copied out.
bool decodeBitmap(std::string bytes, Image& image);

}  // namespace kestrane
