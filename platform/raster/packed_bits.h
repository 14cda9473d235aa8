// Rows of packed pixels, most significant bit first, moved a byte at a time whatever their
// alignment: eight pixels cost one two-byte read, a shift and a masked write.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kestrane::packed {

// The eight pixels from pixel `bit` of a row of `bytes` bytes; pixels before or after the row
// read as the bits of `outside`.
inline uint8_t bitsAt(const uint8_t* row, int64_t bytes, int64_t bit, uint8_t outside) {
    const int64_t index = bit >= 0 ? bit / 8 : -((7 - bit) / 8);
    const auto shift = static_cast<unsigned>(bit - index * 8);
    const unsigned high = index >= 0 && index < bytes ? row[index] : outside;
    const unsigned low = index + 1 >= 0 && index + 1 < bytes ? row[index + 1] : outside;
    return static_cast<uint8_t>(((high << 8) | low) >> (8 - shift));
}

// The bits of byte `index` that stand for pixels in [left, right).
inline uint8_t spanMask(int64_t index, int64_t left, int64_t right) {
    const int64_t first = std::max<int64_t>(left - index * 8, 0);
    const int64_t end = std::min<int64_t>(right - index * 8, 8);
    return static_cast<uint8_t>((0xFFu >> first) & (0xFFu << (8 - end)));
}

// Calls write(index, mask, bits) for each byte of a target row that holds pixels of [left,
// right): `bits` are the eight source pixels that land on it (source pixel 0 at x, a row of
// `sourceBytes` bytes, `outside` beyond it) and `mask` the bits that are in the span. The bytes
// wholly inside take the short path: no bounds, no mask.
template <typename Write>
inline void forEachByte(const uint8_t* source, int64_t sourceBytes, int64_t x, int64_t left,
                        int64_t right, uint8_t outside, Write write) {
    if (left >= right) return;
    const int64_t first = left / 8, last = (right - 1) / 8;
    const auto edge = [&](int64_t index) {
        write(index, spanMask(index, left, right), bitsAt(source, sourceBytes, index * 8 - x, outside));
    };
    edge(first);
    if (last == first) return;
    const int64_t bit = (first + 1) * 8 - x;  // the source pixel of the first inner byte, >= 0
    const auto shift = static_cast<unsigned>(bit % 8);
    const uint8_t* from = source + bit / 8;
    for (int64_t index = first + 1; index < last; ++index, ++from) {
        const uint8_t bits = shift == 0 ? from[0]
                                        : static_cast<uint8_t>((from[0] << shift) | (from[1] >> (8 - shift)));
        write(index, uint8_t{0xFF}, bits);
    }
    edge(last);
}

// Copies pixels [left, right) of `target` from `source` (a row of `sourceBytes` bytes whose
// pixel 0 lands at x, covering the span), both colours. Inner bytes go eight at a time.
inline void copyBits(uint8_t* target, const uint8_t* source, int64_t sourceBytes, int64_t x,
                     int64_t left, int64_t right) {
    if (left >= right) return;
    const int64_t first = left / 8, last = (right - 1) / 8;
    const auto edge = [&](int64_t index) {
        const uint8_t mask = spanMask(index, left, right);
        const uint8_t bits = bitsAt(source, sourceBytes, index * 8 - x, 0xFF);
        target[index] = static_cast<uint8_t>((target[index] & ~mask) | (bits & mask));
    };
    edge(first);
    if (last == first) return;
    const int64_t bit = (first + 1) * 8 - x;  // the source pixel of the first inner byte, >= 0
    const auto shift = static_cast<unsigned>(bit % 8);
    const uint8_t* from = source + bit / 8;
    uint8_t* to = target + first + 1;
    auto count = static_cast<std::size_t>(last - first - 1);
    if (shift == 0) {
        std::memcpy(to, from, count);
    } else {
        // Eight target bytes take nine source bytes, all inside the span.
        for (; count >= 8; count -= 8, from += 8, to += 8) {
            uint64_t word;
            std::memcpy(&word, from, 8);
            word = (__builtin_bswap64(word) << shift) | (from[8] >> (8 - shift));
            word = __builtin_bswap64(word);
            std::memcpy(to, &word, 8);
        }
        for (; count > 0; --count, ++from, ++to) {
            *to = static_cast<uint8_t>((from[0] << shift) | (from[1] >> (8 - shift)));
        }
    }
    edge(last);
}

// Blackens pixels [left, right) of `target` (bit set = white) where `ink` (a row of `inkBytes`
// bytes, bit set = ink, pixel 0 at x, covering the span) has ink; the others stay as they are.
inline void inkBits(uint8_t* target, const uint8_t* ink, int64_t inkBytes, int64_t x,
                    int64_t left, int64_t right) {
    forEachByte(ink, inkBytes, x, left, right, 0x00, [target](int64_t index, uint8_t mask, uint8_t bits) {
        target[index] = static_cast<uint8_t>(target[index] & ~(bits & mask));
    });
}

}  // namespace kestrane::packed
