#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/canvas.h"

namespace kestrane {

Canvas::Canvas(int32_t w, int32_t h)
    : width(std::max(0, w)),
      height(std::max(0, h)),
      stride((width + 7) / 8),
      bits(static_cast<std::size_t>(stride) * height, 0xFF),
      whiteRows(height) {}

Canvas::Canvas(int32_t w, int32_t h, WhitenAsDrawn)
    : width(std::max(0, w)),
      height(std::max(0, h)),
      stride((width + 7) / 8),
      bits(static_cast<std::size_t>(stride) * height),
      whiteRows(0) {}

void whitenRowsFrom(Canvas& canvas, int32_t bottom) {
    bottom = std::min(bottom, canvas.height);
    if (bottom <= canvas.whiteRows) return;
    // A canvas of no columns has rows but no bytes.
    if (canvas.stride > 0) {
        std::memset(&canvas.bits[static_cast<std::size_t>(canvas.whiteRows) * canvas.stride], 0xFF,
                    static_cast<std::size_t>(bottom - canvas.whiteRows) * canvas.stride);
    }
    canvas.whiteRows = bottom;
}

void fillRect(Canvas& canvas, Rect rect, bool black) {
    const int32_t left = std::max(rect.left, 0), right = std::min(rect.right, canvas.width);
    const int32_t top = std::max(rect.top, 0), bottom = std::min(rect.bottom, canvas.height);
    if (left >= right || top >= bottom) return;
    whitenRows(canvas, bottom);
    // Whole bytes at once; only the bytes at the two ends keep some of their bits.
    const int32_t firstByte = left / 8, lastByte = (right - 1) / 8;
    const auto headMask = static_cast<uint8_t>(0xFF >> (left % 8));
    const auto tailMask = static_cast<uint8_t>(0xFF << (7 - (right - 1) % 8));
    const uint8_t fill = black ? 0x00 : 0xFF;
    for (int32_t y = top; y < bottom; ++y) {
        uint8_t* row = &canvas.bits[static_cast<std::size_t>(y) * canvas.stride];
        const auto paint = [fill](uint8_t& byte, uint8_t mask) {
            byte = static_cast<uint8_t>((byte & ~mask) | (fill & mask));
        };
        if (firstByte == lastByte) {
            paint(row[firstByte], static_cast<uint8_t>(headMask & tailMask));
            continue;
        }
        paint(row[firstByte], headMask);
        std::memset(row + firstByte + 1, fill, static_cast<std::size_t>(lastByte - firstByte - 1));
        paint(row[lastByte], tailMask);
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
