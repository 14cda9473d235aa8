// Images onto the packed canvas: scaled with a box filter and halftoned by error diffusion, so
// logos keep their shading on a one-bit receipt.
#include <algorithm>
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

}  // namespace kestrane
