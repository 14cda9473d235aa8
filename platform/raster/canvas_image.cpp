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
    // Source columns of each destination column, at least one: a box filter when shrinking,
    // repetition when growing.
    std::vector<int64_t> from(static_cast<std::size_t>(dw)), to(from.size());
    for (int64_t dx = 0; dx < dw; ++dx) {
        from[dx] = dx * sw / dw;
        to[dx] = std::max(from[dx] + 1, (dx + 1) * sw / dw);
    }
    // Running luminance sums of the last source row read, so a row used by several
    // destination rows is converted once.
    std::vector<int64_t> prefix(static_cast<std::size_t>(sw) + 1, 0);
    int64_t prefixRow = -1;
    std::vector<int64_t> sums(from.size());
    // Floyd-Steinberg error of the current and the next destination row, one slot of margin
    // on each side.
    std::vector<int> error(static_cast<std::size_t>(dw) + 2, 0), below(error.size(), 0);
    for (int64_t dy = 0; dy < dh; ++dy) {
        const int64_t sy0 = dy * sh / dh, sy1 = std::max(sy0 + 1, (dy + 1) * sh / dh);
        std::fill(sums.begin(), sums.end(), 0);
        for (int64_t sy = sy0; sy < sy1; ++sy) {
            if (sy != prefixRow) {
                const uint8_t* row = &image.rgb[static_cast<std::size_t>(sy * sw * 3)];
                for (int64_t sx = 0; sx < sw; ++sx) prefix[sx + 1] = prefix[sx] + luminance(row + sx * 3);
                prefixRow = sy;
            }
            for (int64_t dx = 0; dx < dw; ++dx) sums[dx] += prefix[to[dx]] - prefix[from[dx]];
        }
        std::fill(below.begin(), below.end(), 0);
        const int32_t y = static_cast<int32_t>(target.top + dy);
        for (int64_t dx = 0; dx < dw; ++dx) {
            const int64_t area = (sy1 - sy0) * (to[dx] - from[dx]);
            const int value = static_cast<int>(sums[dx] / area) + error[dx + 1] / 16;
            const bool black = value < 128;
            const int residue = value - (black ? 0 : 255);
            error[dx + 2] += residue * 7;
            below[dx] += residue * 3;
            below[dx + 1] += residue * 5;
            below[dx + 2] += residue;
            setPixel(canvas, static_cast<int32_t>(target.left + dx), y, black);
        }
        std::swap(error, below);
    }
}

void stretchCanvas(Canvas& canvas, const Canvas& source, Rect from) {
    const int64_t dw = canvas.width, dh = canvas.height;
    const int64_t sw = from.right - from.left, sh = from.bottom - from.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    // The source columns [first, last) of each target column, at least one.
    std::vector<int64_t> first(static_cast<std::size_t>(dw)), last(first.size());
    for (int64_t dx = 0; dx < dw; ++dx) {
        first[dx] = from.left + dx * sw / dw;
        last[dx] = std::max(first[dx] + 1, from.left + (dx + 1) * sw / dw);
    }
    // One packed row holding the band of source rows a target row covers: bits are ANDed, so a
    // bit is clear (black) where any row of the band is black.
    std::vector<uint8_t> band(static_cast<std::size_t>(source.stride));
    for (int64_t dy = 0; dy < dh; ++dy) {
        const int64_t top = from.top + dy * sh / dh;
        const int64_t bottom = std::max(top + 1, from.top + (dy + 1) * sh / dh);
        std::fill(band.begin(), band.end(), 0xFF);
        for (int64_t sy = std::max<int64_t>(top, 0); sy < std::min<int64_t>(bottom, source.height); ++sy) {
            const uint8_t* row = &source.bits[static_cast<std::size_t>(sy) * source.stride];
            for (std::size_t i = 0; i < band.size(); ++i) band[i] &= row[i];
        }
        for (int64_t dx = 0; dx < dw; ++dx) {
            bool black = false;
            for (int64_t sx = std::max<int64_t>(first[dx], 0);
                 sx < std::min<int64_t>(last[dx], source.width) && !black; ++sx) {
                black = (band[static_cast<std::size_t>(sx / 8)] & (0x80 >> (sx % 8))) == 0;
            }
            if (black) setPixel(canvas, static_cast<int32_t>(dx), static_cast<int32_t>(dy), true);
        }
    }
}

void copyCanvas(Canvas& canvas, const Canvas& source, int32_t x, int32_t y) {
    const int32_t left = std::max(0, -x), right = std::min(source.width, canvas.width - x);
    const int32_t top = std::max(0, -y), bottom = std::min(source.height, canvas.height - y);
    if (left >= right) return;
    for (int32_t row = top; row < bottom; ++row) {
        const uint8_t* from = &source.bits[static_cast<std::size_t>(row) * source.stride];
        uint8_t* to = &canvas.bits[static_cast<std::size_t>(row + y) * canvas.stride];
        // A byte of the source at a time where it lands on whole target bytes; the two ends
        // and an unaligned x take the bits one by one.
        int32_t column = left;
        if ((x + column) % 8 == 0 && column % 8 == 0) {
            for (; column + 8 <= right; column += 8) to[(x + column) / 8] = from[column / 8];
        } else if (column % 8 == 0) {
            const int shift = (x + column) % 8;
            for (; column + 8 <= right; column += 8) {
                const uint8_t byte = from[column / 8];
                uint8_t& first = to[(x + column) / 8];
                uint8_t& second = to[(x + column) / 8 + 1];
                first = static_cast<uint8_t>((first & ~(0xFF >> shift)) | (byte >> shift));
                second = static_cast<uint8_t>((second & ~(0xFF << (8 - shift))) | (byte << (8 - shift)));
            }
        }
        for (; column < right; ++column) {
            const bool black = (from[column / 8] & (0x80 >> (column % 8))) == 0;
            setPixel(canvas, x + column, row + y, black);
        }
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
