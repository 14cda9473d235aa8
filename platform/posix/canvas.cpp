#include <algorithm>
#include <cstdlib>

#include "platform/canvas.h"

namespace kestrane {

Canvas::Canvas(int32_t w, int32_t h)
    : width(std::max(0, w)),
      height(std::max(0, h)),
      stride((width + 7) / 8),
      bits(static_cast<std::size_t>(stride) * height, 0xFF) {}

bool isBlack(const Canvas& canvas, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return false;
    const uint8_t byte = canvas.bits[static_cast<std::size_t>(y) * canvas.stride + x / 8];
    return (byte & (0x80 >> (x % 8))) == 0;
}

void setPixel(Canvas& canvas, int32_t x, int32_t y, bool black) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
    uint8_t& byte = canvas.bits[static_cast<std::size_t>(y) * canvas.stride + x / 8];
    const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
    byte = black ? static_cast<uint8_t>(byte & ~mask) : static_cast<uint8_t>(byte | mask);
}

void fillRect(Canvas& canvas, Rect rect, bool black) {
    const int32_t left = std::max(rect.left, 0), right = std::min(rect.right, canvas.width);
    const int32_t top = std::max(rect.top, 0), bottom = std::min(rect.bottom, canvas.height);
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) setPixel(canvas, x, y, black);
    }
}

void selectFont(Canvas& canvas, const Font* font) {
    if (font != nullptr) canvas.font = font;
}

Pen selectPen(Canvas& canvas, Pen pen) {
    const Pen previous = canvas.pen;
    canvas.pen = pen;
    return previous;
}

void moveTo(Canvas& canvas, int32_t x, int32_t y) {
    canvas.penX = x;
    canvas.penY = y;
}

void lineTo(Canvas& canvas, int32_t x, int32_t y) {
    const int32_t w = std::max(1, canvas.pen.width);
    const bool black = !canvas.pen.white;
    int32_t cx = canvas.penX, cy = canvas.penY;
    if (cx == x && cy == y) return;
    if (cx == x || cy == y) {
        // Straight lines, the only ones receipts have: the pen widens them to the right or
        // downwards, and their length stops short of the end point.
        const Rect span = cx == x ? Rect{x, std::min(cy, y + 1), x + w, std::max(cy + 1, y)}
                                  : Rect{std::min(cx, x + 1), y, std::max(cx + 1, x), y + w};
        fillRect(canvas, span, black);
        moveTo(canvas, x, y);
        return;
    }
    // Bresenham, the end point excluded; each point is a w x w dot.
    const int32_t dx = std::abs(x - cx), dy = -std::abs(y - cy);
    const int32_t sx = cx < x ? 1 : -1, sy = cy < y ? 1 : -1;
    int64_t error = int64_t{dx} + dy;
    while (cx != x || cy != y) {
        fillRect(canvas, {cx, cy, cx + w, cy + w}, black);
        const int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            cx += sx;
        }
        if (twice <= dx) {
            error += dx;
            cy += sy;
        }
    }
    moveTo(canvas, x, y);
}

}  // namespace kestrane
