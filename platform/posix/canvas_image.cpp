#include <algorithm>
#include <vector>

#include "platform/canvas.h"

namespace kestrane {

namespace {

int luminance(const uint8_t* rgb) { return (299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2]) / 1000; }

}  // namespace

void stretchImage(Canvas& canvas, const Image& image, Rect target) {
    const int64_t dw = target.right - target.left, dh = target.bottom - target.top;
    if (dw <= 0 || dh <= 0 || image.width <= 0 || image.height <= 0) return;
    const int64_t sw = image.width, sh = image.height;
    // Floyd-Steinberg error of the current and the next destination row, one slot of margin
    // on each side.
    std::vector<int> error(static_cast<std::size_t>(dw) + 2, 0), below(error.size(), 0);
    for (int64_t dy = 0; dy < dh; ++dy) {
        const int64_t sy0 = dy * sh / dh, sy1 = std::max(sy0 + 1, (dy + 1) * sh / dh);
        std::fill(below.begin(), below.end(), 0);
        for (int64_t dx = 0; dx < dw; ++dx) {
            const int64_t sx0 = dx * sw / dw, sx1 = std::max(sx0 + 1, (dx + 1) * sw / dw);
            int64_t sum = 0;
            for (int64_t sy = sy0; sy < sy1; ++sy) {
                const uint8_t* row = &image.rgb[static_cast<std::size_t>(sy * sw * 3)];
                for (int64_t sx = sx0; sx < sx1; ++sx) sum += luminance(row + sx * 3);
            }
            const int value = static_cast<int>(sum / ((sy1 - sy0) * (sx1 - sx0))) + error[dx + 1] / 16;
            const bool black = value < 128;
            const int residue = value - (black ? 0 : 255);
            error[dx + 2] += residue * 7;
            below[dx] += residue * 3;
            below[dx + 1] += residue * 5;
            below[dx + 2] += residue;
            setPixel(canvas, static_cast<int32_t>(target.left + dx), static_cast<int32_t>(target.top + dy), black);
        }
        std::swap(error, below);
    }
}

void copyImage(Canvas& canvas, const Image& image, int32_t x, int32_t y, int32_t width,
               int32_t height) {
    const int32_t rows = std::min(height, image.height), columns = std::min(width, image.width);
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* pixel = &image.rgb[static_cast<std::size_t>(row) * image.width * 3];
        for (int32_t column = 0; column < columns; ++column, pixel += 3) {
            setPixel(canvas, x + column, y + row, luminance(pixel) < 128);
        }
    }
}

}  // namespace kestrane
