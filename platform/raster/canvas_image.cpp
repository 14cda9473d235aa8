#include <algorithm>
#include <map>
#include <vector>

#include "platform/canvas.h"
#include "platform/image.h"
#include "platform/raster/packed_bits.h"

namespace kestrane {

namespace {

// When every target column has exactly one source column (a scale of 1 or more), the eight
// pixels of a target byte come from a window of at most 9 source pixels: a table a target byte
// maps each window to the byte, so a row costs one lookup a byte instead of eight branches on
// the picture (which halftoned logos make unpredictable).
// Target bytes whose pixels take the same offsets in their windows share a table; a stretch
// has only a few such patterns.
struct ByteTables {
    std::vector<uint32_t> windowStart;  // the first source column of each target byte's window
    std::vector<uint32_t> tableOf;      // each target byte's table, as an offset into `bytes`
    std::vector<uint8_t> bytes;         // 512 entries a table
};

constexpr int kWindow = 9;

ByteTables byteTables(const std::vector<int64_t>& first, int64_t width) {
    ByteTables tables;
    const int64_t count = (width + 7) / 8;
    std::map<uint64_t, uint32_t> tableOfPattern;
    for (int64_t byte = 0; byte < count; ++byte) {
        const int64_t start = first[static_cast<std::size_t>(byte * 8)];
        // Four bits an offset, 15 for a column past the edge (white).
        uint64_t pattern = 0;
        for (int64_t dx = byte * 8; dx < byte * 8 + 8; ++dx) {
            pattern = (pattern << 4) | static_cast<uint64_t>(dx < width ? first[dx] - start : 15);
        }
        auto found = tableOfPattern.find(pattern);
        if (found == tableOfPattern.end()) {
            found = tableOfPattern.emplace(pattern, static_cast<uint32_t>(tables.bytes.size())).first;
            for (unsigned window = 0; window < (1u << kWindow); ++window) {
                unsigned white = 0;
                for (int shift = 28; shift >= 0; shift -= 4) {
                    const auto offset = static_cast<unsigned>((pattern >> shift) & 15);
                    white = (white << 1) | (offset == 15 ? 1u : (window >> (kWindow - 1 - offset)) & 1u);
                }
                tables.bytes.push_back(static_cast<uint8_t>(white));
            }
        }
        tables.windowStart.push_back(static_cast<uint32_t>(start));
        tables.tableOf.push_back(found->second);
    }
    return tables;
}

// The 9 source pixels from column `start` of a packed row (bit set = white); the row has two
// bytes of white padding.
unsigned windowAt(const std::vector<uint8_t>& band, uint32_t start) {
    const std::size_t at = start >> 3;
    const unsigned sixteen = (unsigned{band[at]} << 8) | band[at + 1];
    return (sixteen >> (16 - kWindow - (start & 7))) & ((1u << kWindow) - 1);
}

}  // namespace

void stretchCanvas(Canvas& canvas, const Canvas& source, Rect from) {
    const int64_t dw = canvas.width, dh = canvas.height;
    const int64_t sw = from.right - from.left, sh = from.bottom - from.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    whitenRows(canvas, canvas.height);
    // The source columns [first, last) of each target column, at least one, clipped to the
    // source (columns outside it are white, as are the two padding bytes of the band).
    std::vector<int64_t> first(static_cast<std::size_t>(dw)), last(first.size());
    bool oneEach = true;
    for (int64_t dx = 0; dx < dw; ++dx) {
        const int64_t begin = from.left + dx * sw / dw;
        const int64_t end = std::max(begin + 1, from.left + (dx + 1) * sw / dw);
        first[dx] = std::clamp<int64_t>(begin, 0, source.width);
        last[dx] = std::clamp<int64_t>(end, first[dx], source.width);
        oneEach = oneEach && end - begin == 1 && from.left >= 0 && from.right <= source.width;
    }
    const ByteTables tables = oneEach ? byteTables(first, dw) : ByteTables();
    // One packed row holding the band of source rows a target row covers: bits are ANDed, so a
    // bit is clear (black) where any row of the band is black.
    std::vector<uint8_t> band(static_cast<std::size_t>(source.stride) + 2, 0xFF);
    const auto blackIn = [&](int64_t dx) {
        for (int64_t sx = first[dx]; sx < last[dx]; ++sx) {
            if ((band[static_cast<std::size_t>(sx >> 3)] & (0x80 >> (sx & 7))) == 0) return true;
        }
        return false;
    };
    int64_t previousTop = -1, previousBottom = -1;
    for (int64_t dy = 0; dy < dh; ++dy) {
        const int64_t top = std::max<int64_t>(from.top + dy * sh / dh, 0);
        const int64_t bottom =
            std::min<int64_t>(std::max(top + 1, from.top + (dy + 1) * sh / dh), source.height);
        uint8_t* row = &canvas.bits[static_cast<std::size_t>(dy) * canvas.stride];
        if (top == previousTop && bottom == previousBottom) {
            // Growing: the band of the row above again.
            std::copy(row - canvas.stride, row, row);
            continue;
        }
        previousTop = top;
        previousBottom = bottom;
        std::fill(row, row + canvas.stride, 0xFF);
        std::fill(band.begin(), band.begin() + source.stride, 0xFF);
        for (int64_t sy = top; sy < bottom; ++sy) {
            const uint8_t* line = &source.bits[static_cast<std::size_t>(sy) * source.stride];
            for (int32_t i = 0; i < source.stride; ++i) band[i] &= line[i];
        }
        if (std::all_of(band.begin(), band.end(), [](uint8_t byte) { return byte == 0xFF; })) continue;
        if (oneEach) {
            for (std::size_t byte = 0; byte < tables.windowStart.size(); ++byte) {
                row[byte] = tables.bytes[tables.tableOf[byte] + windowAt(band, tables.windowStart[byte])];
            }
            continue;
        }
        for (int64_t dx = 0; dx < dw; ++dx) {
            if (blackIn(dx)) row[dx >> 3] = static_cast<uint8_t>(row[dx >> 3] & ~(0x80 >> (dx & 7)));
        }
    }
}

void copyCanvas(Canvas& canvas, const Canvas& source, int32_t x, int32_t y) {
    const int64_t left = std::max<int64_t>(0, x);
    const int64_t right = std::min<int64_t>(canvas.width, int64_t{x} + source.width);
    const int32_t top = std::max(0, -y), bottom = std::min(source.height, canvas.height - y);
    if (left >= right) return;
    whitenRows(canvas, bottom + y);
    for (int32_t row = top; row < bottom; ++row) {
        packed::copyBits(&canvas.bits[static_cast<std::size_t>(row + y) * canvas.stride],
                 &source.bits[static_cast<std::size_t>(row) * source.stride], source.stride,
                 int64_t{x}, left, right);
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
