// Writes small BMP files for tests, and reads the canvas back as pictures and boxes.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "tests/support/temp_dir.h"

namespace kestrane {

inline bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline void PrintTo(const Rect& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

}  // namespace kestrane

namespace kestrane::testing {

struct Rgb {
    uint8_t r, g, b;
};

inline void put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// The bytes of a 24-bit bottom-up BMP whose pixel (x, y), y from the top, is `pixel(x, y)`.
inline std::string bmp24(int32_t width, int32_t height, const std::function<Rgb(int, int)>& pixel) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    std::string out = "BM";
    put32(out, 54 + stride * height);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, stride * height);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int32_t y = height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int32_t x = 0; x < width; ++x) {
            const Rgb p = pixel(x, y);
            row[x * 3] = static_cast<char>(p.b);
            row[x * 3 + 1] = static_cast<char>(p.g);
            row[x * 3 + 2] = static_cast<char>(p.r);
        }
        out += row;
    }
    return out;
}

inline std::string solidBmp(int32_t width, int32_t height, Rgb colour) {
    return bmp24(width, height, [colour](int, int) { return colour; });
}

inline int64_t countBlack(const Canvas& canvas, Rect area) {
    int64_t count = 0;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.right; ++x) count += isBlack(canvas, x, y) ? 1 : 0;
    }
    return count;
}

// The smallest rectangle holding every black pixel of `area`; all zero when there is none.
inline Rect blackBounds(const Canvas& canvas, Rect area) {
    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.right; ++x) {
            if (!isBlack(canvas, x, y)) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return box.left == INT32_MAX ? Rect{} : box;
}

// Rows of 'X' (black) and '.' (white) for a small area, for goldens written in the test.
inline std::vector<std::string> picture(const Canvas& canvas, Rect area) {
    std::vector<std::string> rows;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        std::string row;
        for (int32_t x = area.left; x < area.right; ++x) row += isBlack(canvas, x, y) ? 'X' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace kestrane::testing
