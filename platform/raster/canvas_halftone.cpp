// Images onto the packed canvas: scaled with a box filter and halftoned by error diffusion, so
// logos keep their shading on a one-bit receipt.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/canvas.h"
#include "platform/image.h"

namespace kestrane {

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
    // Box means of each destination column over the source rows of the current band; a grown
    // image repeats a band over several destination rows, which take its means as they are.
    std::vector<int64_t> sums(from.size());
    std::vector<int> means(from.size());
    int64_t bandFrom = -1, bandTo = -1;
    // Floyd-Steinberg error (times 16) the row above passed to the current destination row,
    // and the error it passes to the next, one slot of margin on each side.
    std::vector<int> error(static_cast<std::size_t>(dw) + 2, 0), below(error.size(), 0);
    for (int64_t dy = 0; dy < dh; ++dy) {
        const int64_t sy0 = dy * sh / dh, sy1 = std::max(sy0 + 1, (dy + 1) * sh / dh);
        if (sy0 != bandFrom || sy1 != bandTo) {
            std::fill(sums.begin(), sums.end(), 0);
            for (int64_t sy = sy0; sy < sy1; ++sy) {
                if (sy != prefixRow) {
                    const uint8_t* row = &image.rgb[static_cast<std::size_t>(sy * sw * 3)];
                    for (int64_t sx = 0; sx < sw; ++sx) prefix[sx + 1] = prefix[sx] + luminance(row + sx * 3);
                    prefixRow = sy;
                }
                for (int64_t dx = 0; dx < dw; ++dx) sums[dx] += prefix[to[dx]] - prefix[from[dx]];
            }
            for (int64_t dx = 0; dx < dw; ++dx) {
                const int64_t area = (sy1 - sy0) * (to[dx] - from[dx]);
                // A grown image averages one pixel; a 64-bit division is dearer than the rest,
                // and sums of a band fit 32 bits.
                const int64_t sum = sums[dx];
                means[dx] = static_cast<int>(
                    area == 1                                ? sum
                    : (sum >> 32) == 0 && (area >> 32) == 0 ? static_cast<uint32_t>(sum) / static_cast<uint32_t>(area)
                                                            : sum / area);
            }
            bandFrom = sy0;
            bandTo = sy1;
        }
        // The error passed along the row stays in registers: a pixel's share for its right-hand
        // neighbour is used by the very next pixel, and each slot of the row below is written
        // once, when its three shares are known, rather than added to in memory pixel by pixel.
        int right = 0;             // 7/16 of the residue of the pixel on the left, times 16
        int left1 = 0, left2 = 0;  // the residues of the two pixels on the left
        // One pixel's box mean plus the error carried to it: 1 for white, 0 for black, its
        // residue passed on to the right and to the row below. Computed without a branch: a
        // halftone is black or white at random, which a branch would mispredict half the time.
        const auto halftone = [&](int64_t dx) -> unsigned {
            const int value = means[dx] + (error[dx + 1] + right) / 16;
            const unsigned white = value >= 128;
            const int residue = value - 255 * static_cast<int>(white);
            right = residue * 7;
            below[dx] = residue * 3 + left1 * 5 + left2;
            left2 = left1;
            left1 = residue;
            return white;
        };
        // Columns off the canvas carry their error all the same; those on it are gathered
        // eight to a byte, so each canvas byte is read and written once rather than per pixel.
        const int64_t y = target.top + dy;
        const bool rowOnCanvas = y >= 0 && y < canvas.height;
        const int64_t first = rowOnCanvas ? std::clamp<int64_t>(-int64_t{target.left}, 0, dw) : dw;
        const int64_t last = std::clamp<int64_t>(int64_t{canvas.width} - target.left, first, dw);
        int64_t dx = 0;
        for (; dx < first; ++dx) halftone(dx);
        if (first < last) {
            whitenRows(canvas, static_cast<int32_t>(y) + 1);
            uint8_t* const row = &canvas.bits[static_cast<std::size_t>(y) * canvas.stride];
            int64_t x = target.left + first;
            while (dx < last) {
                // The pixels of byte x / 8 from x on, up to its end or the last column, gathered
                // first pixel highest.
                const int64_t count = std::min(last - dx, 8 - x % 8);
                unsigned white = 0;
                for (int64_t i = 0; i < count; ++i) white = white << 1 | halftone(dx + i);
                const auto shift = static_cast<unsigned>(8 - x % 8 - count);
                const unsigned mask = ((1u << count) - 1) << shift;
                uint8_t& byte = row[x / 8];
                byte = static_cast<uint8_t>((byte & ~mask) | white << shift);
                dx += count;
                x += count;
            }
        }
        for (; dx < dw; ++dx) halftone(dx);
        below[dw] = left1 * 5 + left2;
        below[dw + 1] = left1;
        std::swap(error, below);
    }
}

}  // namespace kestrane
