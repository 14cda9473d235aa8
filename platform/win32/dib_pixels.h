// Images as device-independent bitmaps for GDI: 24-bit top-down rows of blue, green and red,
// each row padded to a multiple of four bytes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "platform/image.h"

namespace kestrane {

inline std::size_t rgbDibStride(int32_t width) {
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

inline BITMAPINFO rgbDibInfo(int32_t width, int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Copies `width` x `height` pixels between an Image's rows and a DIB's, whose channel orders are
// each other's reverse. A DIB's rows take rgbDibStride(width) x height bytes.
inline void copyDibPixels(const uint8_t* from, std::size_t fromStride, uint8_t* to,
                          std::size_t toStride, int32_t width, int32_t height) {
    for (int32_t y = 0; y < height; ++y, from += fromStride, to += toStride) {
        for (int32_t x = 0; x < width; ++x) {
            to[x * 3] = from[x * 3 + 2];
            to[x * 3 + 1] = from[x * 3 + 1];
            to[x * 3 + 2] = from[x * 3];
        }
    }
}

inline void imageToDib(const Image& image, uint8_t* rows) {
    copyDibPixels(image.rgb.data(), static_cast<std::size_t>(image.width) * 3, rows,
                  rgbDibStride(image.width), image.width, image.height);
}

inline void dibToImage(const uint8_t* rows, Image& image) {
    copyDibPixels(rows, rgbDibStride(image.width), image.rgb.data(),
                  static_cast<std::size_t>(image.width) * 3, image.width, image.height);
}

}  // namespace kestrane
