// Images and canvases as device-independent bitmaps for GDI: 24-bit top-down rows of blue, green
// and red, or one-bit rows as a canvas holds them; each row padded to a multiple of four bytes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/canvas.h"
#include "platform/image.h"

namespace kestrane {

inline std::size_t rgbDibStride(int32_t width) {
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

// The header of a top-down, uncompressed DIB of `bits` bits a pixel.
inline BITMAPINFOHEADER dibHeader(int32_t width, int32_t height, WORD bits) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;  // top-down rows
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biCompression = BI_RGB;
    return header;
}

inline BITMAPINFO rgbDibInfo(int32_t width, int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader = dibHeader(width, height, 24);
    return info;
}

// A one-bit DIB's header and its two colours: bit 0 black, bit 1 white, as a canvas has them.
struct MonochromeDibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
    BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

inline MonochromeDibInfo monochromeDibInfo(int32_t width, int32_t height) {
    MonochromeDibInfo info{};
    info.header = dibHeader(width, height, 1);
    info.colours[1] = RGBQUAD{255, 255, 255, 0};
    return info;
}

inline std::size_t monochromeDibStride(int32_t width) {
    return (static_cast<std::size_t>(width) + 31) / 32 * 4;
}

// The canvas's rows as a one-bit DIB's: the same bits, each row padded to four bytes.
inline std::vector<uint8_t> monochromeDibRows(const Canvas& canvas) {
    const std::size_t stride = monochromeDibStride(canvas.width);
    std::vector<uint8_t> rows(stride * static_cast<std::size_t>(canvas.height), 0);
    for (int32_t y = 0; y < canvas.height; ++y) {
        std::copy_n(&canvas.bits[static_cast<std::size_t>(y) * canvas.stride], canvas.stride,
                    &rows[static_cast<std::size_t>(y) * stride]);
    }
    return rows;
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
