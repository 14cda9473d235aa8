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

// The grey level (0 black to 255 white) of an RGB pixel, as colours become black or white.
inline int luminance(const uint8_t* rgb) {
    return (299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2]) / 1000;
}

// Decodes the Windows bitmap (BMP) file at `enginePath` ("\" separates directories). Returns
// false for a missing or unreadable file, one that is not a BMP, one shorter than its header
// says, or one too large to be a receipt image; nothing is allocated for the pixels first.
bool loadBitmapFile(const std::string& enginePath, Image& image);

// Reads the BMP file at `enginePath` whole when its headers describe a receipt image that the
// file is long enough to hold, as loadBitmapFile requires; false otherwise.
bool readBitmapFile(const std::string& enginePath, std::string& bytes);

// Decodes the bytes of a BMP file, refusing what loadBitmapFile refuses. Takes the bytes by
// value so they can be released before the pixels are copied out.
bool decodeBitmap(std::string bytes, Image& image);

// The size of the BMP file at `enginePath` when loadBitmapShrunk can load it: its headers are
// ones stb_image decodes (not run-length coded), it has at most 268,435,456 (2^28) pixels,
// which bounds the time a load takes, and the file holds all its rows. Reads only the headers;
// false otherwise.
bool readBitmapSize(const std::string& enginePath, int32_t& width, int32_t& height);

// Loads the BMP file at `enginePath` scaled to `width` x `height` pixels, for files too large
// to decode whole: the file is decoded by stb_image a band of rows at a time and each pixel is
// the average of its box of source pixels (columns and rows repeated when growing), boxes taken
// as stretchImage takes them. Memory is a band of a few MiB, a few rows of sums and the result,
// whatever the file's size. False, with `image` empty, when readBitmapSize is false, the size
// is not positive, or stb_image refuses the file.
bool loadBitmapShrunk(const std::string& enginePath, int32_t width, int32_t height, Image& image);

}  // namespace kestrane
