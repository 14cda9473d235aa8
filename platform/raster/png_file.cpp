// PNG files of a canvas, written whole here: the signature, IHDR (one-bit greyscale), IDAT and
// IEND. The image data (each row led by filter byte 0, None, then the canvas row unchanged) goes
// through a deflate encoder made for receipts: instead of searching every earlier position it
// tries the few that repeat on a receipt, and fits Huffman codes to each block.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/png_file.h"
#include "platform/raster/png_checksums.h"

namespace kestrane {

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "words are compared with their first byte in the low bits");

uint64_t load64(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

uint32_t load32(const uint8_t* p) {
    uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

void store64(uint8_t* p, uint64_t word) {
    std::memcpy(p, &word, sizeof word);
}

void putBig32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

// 0x80 in each byte of `x` that is zero, nothing in the others.
uint64_t zeroBytes(uint64_t x) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// 0x80 in each byte of `x` that starts three zero bytes.
uint64_t threeZeroBytes(uint64_t x) {
    const uint64_t zero = zeroBytes(x);
    return zero & (zero >> 8) & (zero >> 16);
}

// The index of the lowest byte that holds a mark.
unsigned firstMarked(uint64_t marks) {
    return static_cast<unsigned>(__builtin_ctzll(marks)) >> 3;
}

// How many bytes from `a` on equal those from `b` on, at most `limit`.
std::size_t matchLength(const uint8_t* a, const uint8_t* b, std::size_t limit) {
    std::size_t n = 0;
    for (; n + 8 <= limit; n += 8) {
        const uint64_t differ = load64(a + n) ^ load64(b + n);
        if (differ != 0) return n + firstMarked(differ);
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

// Deflate (RFC 1951) as far as this encoder uses it.
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 258;
constexpr std::size_t kWindow = 32768;
constexpr int kLitLenSymbols = 286;
constexpr int kDistanceSymbols = 30;
constexpr int kEndOfBlock = 256;
constexpr unsigned kMaxCodeLength = 15;
// Literal and length codes are kept a bit shorter than deflate allows, so that four literals fit
// between two flushes of the bit buffer.
constexpr unsigned kMaxLitLenCodeLength = 14;
constexpr unsigned kMaxCodeLengthCodeLength = 7;
// The order in which a dynamic block's header lists the code-length code.
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

// A length or distance as deflate codes it: a symbol, then `bits` extra bits holding `value`.
struct Coded {
    uint16_t symbol = 0;
    uint8_t bits = 0;
    uint16_t value = 0;
};

// Lengths 3 to 10 have a symbol each; above, each doubling of the length past 3 has four
// symbols, told apart by the two bits below its top bit, the bits under those sent as extra
// bits. 258, the longest, has a symbol of its own.
Coded lengthCode(unsigned length) {
    if (length == kMaxMatch) return {285, 0, 0};
    const unsigned v = length - 3;
    if (v < 8) return {static_cast<uint16_t>(257 + v), 0, 0};
    const unsigned log = 31u - static_cast<unsigned>(__builtin_clz(v));
    const unsigned high = (v >> (log - 2)) & 3;
    return {static_cast<uint16_t>(257 + 4 * (log - 1) + high), static_cast<uint8_t>(log - 2),
            static_cast<uint16_t>(v - ((4 | high) << (log - 2)))};
}

// Distances 1 to 4 have a symbol each; above, each doubling has two symbols, told apart by the
// bit below the top bit of the distance less 1, the bits under it sent as extra bits.
Coded distanceCode(unsigned distance) {
    const unsigned v = distance - 1;
    if (v < 4) return {static_cast<uint16_t>(v), 0, 0};
    const unsigned log = 31u - static_cast<unsigned>(__builtin_clz(v));
    const unsigned high = (v >> (log - 1)) & 1;
    return {static_cast<uint16_t>(2 * log + high), static_cast<uint8_t>(log - 1),
            static_cast<uint16_t>(v - ((2 | high) << (log - 1)))};
}

struct LengthCodes {
    Coded of[kMaxMatch + 1];
    LengthCodes() {
        for (std::size_t n = kMinMatch; n <= kMaxMatch; ++n)
            of[n] = lengthCode(static_cast<unsigned>(n));
    }
};
const LengthCodes kLengthCodes;

// A Huffman code, its bits reversed: deflate sends codes first bit first into a stream that is
// filled from the low bits up.
struct Code {
    uint16_t bits = 0;
    uint8_t length = 0;
};

struct ReversedBytes {
    uint8_t of[256] = {};
    constexpr ReversedBytes() {
        for (unsigned b = 0; b < 256; ++b) {
            unsigned r = 0;
            for (unsigned i = 0; i < 8; ++i) r |= ((b >> i) & 1u) << (7 - i);
            of[b] = static_cast<uint8_t>(r);
        }
    }
};
constexpr ReversedBytes kReversed;

// The canonical codes for `lengths` (0 for a symbol that is not used).
void canonicalCodes(const uint8_t* lengths, int count, Code* codes) {
    unsigned perLength[kMaxCodeLength + 1] = {};
    for (int s = 0; s < count; ++s) ++perLength[lengths[s]];
    perLength[0] = 0;
    unsigned next[kMaxCodeLength + 1] = {};
    for (unsigned l = 1, code = 0; l <= kMaxCodeLength; ++l) {
        code = (code + perLength[l - 1]) << 1;
        next[l] = code;
    }
    for (int s = 0; s < count; ++s) {
        const unsigned l = lengths[s];
        const unsigned code = next[l]++;
        const unsigned reversed =
            (unsigned{kReversed.of[code & 0xFF]} << 8) | kReversed.of[code >> 8];
        codes[s].bits = static_cast<uint16_t>(reversed >> (16 - l));
        codes[s].length = static_cast<uint8_t>(l);
    }
}

struct Weight {
    uint32_t key;
    uint16_t symbol;
};

// Sorts by key, smallest first: a few by insertion, more by radix (the key's bytes, low first).
void sortWeights(Weight* w, int n) {
    if (n <= 32) {
        for (int i = 1; i < n; ++i) {
            const Weight x = w[i];
            int j = i;
            for (; j > 0 && w[j - 1].key > x.key; --j) w[j] = w[j - 1];
            w[j] = x;
        }
        return;
    }
    Weight scratch[kLitLenSymbols];
    uint32_t all = 0;
    for (int i = 0; i < n; ++i) all |= w[i].key;
    for (unsigned shift = 0; shift < 32 && (all >> shift) != 0; shift += 8) {
        unsigned place[257] = {};
        for (int i = 0; i < n; ++i) ++place[((w[i].key >> shift) & 0xFF) + 1];
        for (int d = 0; d < 256; ++d) place[d + 1] += place[d];
        for (int i = 0; i < n; ++i) scratch[place[(w[i].key >> shift) & 0xFF]++] = w[i];
        std::copy(scratch, scratch + n, w);
    }
}

// Huffman code lengths of at most `limit` bits for `count` symbols seen `freq` times (0 for the
// symbols never seen). One symbol alone gets a partner, as a complete code needs two.
void codeLengths(const uint32_t* freq, int count, unsigned limit, uint8_t* lengths) {
    Weight w[kLitLenSymbols];
    int n = 0;
    for (int s = 0; s < count; ++s) {
        lengths[s] = 0;
        if (freq[s] != 0) w[n++] = {freq[s], static_cast<uint16_t>(s)};
    }
    if (n < 2) {
        const int first = n == 1 ? w[0].symbol : 0;
        lengths[first] = 1;
        lengths[first == 0 ? 1 : 0] = 1;
        return;
    }
    sortWeights(w, n);
    // Minimum-redundancy lengths in place (Moffat and Katajainen): first the parents' weights,
    // then each node's depth, then the leaves' depths.
    w[0].key += w[1].key;
    int root = 0, leaf = 2;
    for (int next = 1; next < n - 1; ++next) {
        if (leaf >= n || w[root].key < w[leaf].key) {
            w[next].key = w[root].key;
            w[root++].key = static_cast<uint32_t>(next);
        } else {
            w[next].key = w[leaf++].key;
        }
        if (leaf >= n || (root < next && w[root].key < w[leaf].key)) {
            w[next].key += w[root].key;
            w[root++].key = static_cast<uint32_t>(next);
        } else {
            w[next].key += w[leaf++].key;
        }
    }
    w[n - 2].key = 0;
    for (int next = n - 3; next >= 0; --next) w[next].key = w[w[next].key].key + 1;
    int available = 1, used = 0, depth = 0, next = n - 1;
    root = n - 2;
    while (available > 0) {
        while (root >= 0 && static_cast<int>(w[root].key) == depth) {
            ++used;
            --root;
        }
        while (available > used) {
            w[next--].key = static_cast<uint32_t>(depth);
            --available;
        }
        available = 2 * used;
        ++depth;
        used = 0;
    }
    // Lengths over the limit become the limit; shorter codes then lengthen, one at a time, until
    // the code is complete again.
    unsigned perLength[33] = {};
    for (int i = 0; i < n; ++i) ++perLength[std::min<uint32_t>(w[i].key, 32)];
    for (unsigned l = limit + 1; l <= 32; ++l) {
        perLength[limit] += perLength[l];
        perLength[l] = 0;
    }
    uint32_t kraft = 0;
    for (unsigned l = limit; l > 0; --l) kraft += perLength[l] << (limit - l);
    for (; kraft != (1u << limit); --kraft) {
        --perLength[limit];
        for (unsigned l = limit - 1; l > 0; --l) {
            if (perLength[l] != 0) {
                --perLength[l];
                perLength[l + 1] += 2;
                break;
            }
        }
    }
    // The most frequent symbols (last in `w`) take the shortest codes.
    int i = n;
    for (unsigned l = 1; l <= limit; ++l) {
        for (unsigned k = perLength[l]; k > 0; --k)
            lengths[w[--i].symbol] = static_cast<uint8_t>(l);
    }
}

struct FixedCodes {
    Code litLen[288];
    Code distance[kDistanceSymbols];
    FixedCodes() {
        uint8_t lengths[288];
        for (int s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        canonicalCodes(lengths, 288, litLen);
        uint8_t five[kDistanceSymbols];
        std::fill(five, five + kDistanceSymbols, 5);
        canonicalCodes(five, kDistanceSymbols, distance);
    }
};
const FixedCodes kFixed;

// Literal bytes, then a match; a length of 0 for none (a block may end on literals).
struct Sequence {
    uint32_t literals;
    uint16_t length;
    uint8_t distanceSymbol;
    uint8_t distanceBits;
    uint16_t distanceValue;
};

// Bits go out lowest first through a 64-bit buffer. A flush stores the whole word and moves on
// by the whole bytes in it; between flushes at most 56 bits may be put. `limit` is the end of
// the room a block was counted to take, checked before each group of literals and each match.
struct BitSink {
    uint8_t* at;
    uint64_t bits;
    unsigned count;
    const uint8_t* limit;

    void put(uint64_t value, unsigned n) {
        bits |= value << count;
        count += n;
    }
    void flush() {
        store64(at, bits);
        at += count >> 3;
        bits >>= count & 56u;
        count &= 7u;
    }
    void alignToByte() {
        count = (count + 7) & ~7u;
        flush();
    }
};

// The PNG file as it grows: `size` bytes written, then the bits not yet stored. A block is
// written into room for exactly the bits its counts give, and some slack: should it take more
// (which would be a miscount), writing stops within the slack and `overflow` says the file is lost.
struct Output {
    std::string& bytes;
    std::size_t size;
    uint64_t bits = 0;
    unsigned count = 0;
    bool overflow = false;

    BitSink open(std::size_t more) {
        // Past the limit: a group of literals, up to three more, a match, the end of the block
        // and a flush's eight bytes.
        const std::size_t need = size + more + 64;
        if (bytes.size() < need) bytes.resize(std::max(need, bytes.size() + bytes.size() / 2));
        uint8_t* start = reinterpret_cast<uint8_t*>(&bytes[0]);
        return {start + size, bits, count, start + size + more};
    }
    void close(const BitSink& sink) {
        size = static_cast<std::size_t>(sink.at - reinterpret_cast<const uint8_t*>(bytes.data()));
        bits = sink.bits;
        count = sink.count;
        overflow = overflow || sink.at > sink.limit;
    }
};

struct BlockCounts {
    uint32_t litLen[kLitLenSymbols];
    uint32_t distance[kDistanceSymbols];
    // Literal bytes, counted in six tables by their place in the eight bytes the scan reads, so
    // that no two counts in a row wait on the same counter.
    uint32_t literals[6][256];
};

// One block of `data` [start, end), coded as `sequences` say, in whichever of deflate's three
// block types comes out shortest. Clears `counts` for the next block.
void writeBlock(Output& output, const uint8_t* data, std::size_t start, std::size_t end,
                const Sequence* sequence, std::size_t sequences, BlockCounts& counts, bool last) {
    for (int b = 0; b < 256; ++b) {
        counts.litLen[b] = counts.literals[0][b] + counts.literals[1][b] + counts.literals[2][b] +
                           counts.literals[3][b] + counts.literals[4][b] + counts.literals[5][b];
    }
    counts.litLen[kEndOfBlock] = 1;
    uint64_t extraBits = 0;
    for (int s = 265; s < 285; ++s) extraBits += uint64_t{counts.litLen[s]} * ((s - 261) / 4);
    for (int s = 4; s < kDistanceSymbols; ++s)
        extraBits += uint64_t{counts.distance[s]} * ((s - 2) / 2);

    uint8_t lengths[kLitLenSymbols + kDistanceSymbols];
    uint8_t* distanceLengths = lengths + kLitLenSymbols;
    codeLengths(counts.litLen, kLitLenSymbols, kMaxLitLenCodeLength, lengths);
    codeLengths(counts.distance, kDistanceSymbols, kMaxCodeLength, distanceLengths);
    int litLenCount = kLitLenSymbols;
    while (litLenCount > 257 && lengths[litLenCount - 1] == 0) --litLenCount;
    int distanceCount = kDistanceSymbols;
    while (distanceCount > 1 && distanceLengths[distanceCount - 1] == 0) --distanceCount;
    // Both codes' lengths, one list after the other, as code-length symbols: runs of a length
    // repeat it (16), runs of zeros are counted (17, 18).
    uint8_t listed[kLitLenSymbols + kDistanceSymbols];
    std::memcpy(listed, lengths, litLenCount);
    std::memcpy(listed + litLenCount, distanceLengths, distanceCount);
    const int total = litLenCount + distanceCount;
    uint8_t runSymbol[kLitLenSymbols + kDistanceSymbols];
    uint8_t runExtra[kLitLenSymbols + kDistanceSymbols];
    int runs = 0;
    uint32_t runCounts[19] = {};
    const auto addRun = [&](int symbol, int extra) {
        runSymbol[runs] = static_cast<uint8_t>(symbol);
        runExtra[runs++] = static_cast<uint8_t>(extra);
        ++runCounts[symbol];
    };
    for (int i = 0; i < total;) {
        const uint8_t value = listed[i];
        int n = 1;
        while (i + n < total && listed[i + n] == value) ++n;
        i += n;
        if (value == 0) {
            for (; n >= 11; n -= std::min(n, 138)) addRun(18, std::min(n, 138) - 11);
            if (n >= 3) {
                addRun(17, n - 3);
                n = 0;
            }
        } else {
            addRun(value, 0);
            for (--n; n >= 3; n -= std::min(n, 6)) addRun(16, std::min(n, 6) - 3);
        }
        for (; n > 0; --n) addRun(value, 0);
    }
    uint8_t runLengths[19];
    codeLengths(runCounts, 19, kMaxCodeLengthCodeLength, runLengths);
    int runLengthCount = 19;
    while (runLengthCount > 4 && runLengths[kCodeLengthOrder[runLengthCount - 1]] == 0)
        --runLengthCount;

    uint64_t dynamicBits = 3 + 5 + 5 + 4 + 3 * uint64_t(runLengthCount) + extraBits;
    for (int s = 0; s < 19; ++s) dynamicBits += uint64_t{runCounts[s]} * runLengths[s];
    dynamicBits += runCounts[16] * 2 + runCounts[17] * 3 + runCounts[18] * 7;
    uint64_t fixedBits = 3 + extraBits;
    for (int s = 0; s < kLitLenSymbols; ++s) {
        dynamicBits += uint64_t{counts.litLen[s]} * lengths[s];
        fixedBits += uint64_t{counts.litLen[s]} * kFixed.litLen[s].length;
    }
    for (int s = 0; s < kDistanceSymbols; ++s) {
        dynamicBits += uint64_t{counts.distance[s]} * distanceLengths[s];
        fixedBits += uint64_t{counts.distance[s]} * kFixed.distance[s].length;
    }
    const std::size_t bytes = end - start;
    const std::size_t pieces = std::max<std::size_t>(1, (bytes + 65534) / 65535);
    const uint64_t storedBits = pieces * (3 + 7 + 32) + 8 * uint64_t{bytes};
    std::memset(&counts, 0, sizeof counts);

    if (storedBits <= std::min(dynamicBits, fixedBits)) {
        BitSink out = output.open(static_cast<std::size_t>(storedBits / 8) + 1);
        for (std::size_t at = start, piece = 1; piece <= pieces; ++piece) {
            const std::size_t n = std::min<std::size_t>(65535, end - at);
            out.put(last && piece == pieces ? 1 : 0, 3);
            out.alignToByte();
            out.put(n | ((n ^ 0xFFFF) << 16), 32);
            out.flush();
            std::memcpy(out.at, data + at, n);
            out.at += n;
            at += n;
        }
        output.close(out);
        return;
    }
    Code dynamicLitLen[kLitLenSymbols];
    Code dynamicDistance[kDistanceSymbols];
    const Code* litLen = kFixed.litLen;
    const Code* distance = kFixed.distance;
    BitSink out = output.open(static_cast<std::size_t>(std::min(dynamicBits, fixedBits) / 8) + 1);
    out.put(last ? 1 : 0, 1);
    if (dynamicBits < fixedBits) {
        canonicalCodes(lengths, kLitLenSymbols, dynamicLitLen);
        canonicalCodes(distanceLengths, kDistanceSymbols, dynamicDistance);
        litLen = dynamicLitLen;
        distance = dynamicDistance;
        Code runCodes[19];
        canonicalCodes(runLengths, 19, runCodes);
        out.put(2, 2);
        out.put(static_cast<unsigned>(litLenCount - 257), 5);
        out.put(static_cast<unsigned>(distanceCount - 1), 5);
        out.put(static_cast<unsigned>(runLengthCount - 4), 4);
        out.flush();
        for (int i = 0; i < runLengthCount; ++i) {
            out.put(runLengths[kCodeLengthOrder[i]], 3);
            out.flush();
        }
        static constexpr uint8_t kRunExtraBits[3] = {2, 3, 7};
        for (int i = 0; i < runs; ++i) {
            const Code code = runCodes[runSymbol[i]];
            out.put(code.bits, code.length);
            if (runSymbol[i] >= 16) out.put(runExtra[i], kRunExtraBits[runSymbol[i] - 16]);
            out.flush();
        }
    } else {
        out.put(1, 2);
    }
    const uint8_t* p = data + start;
    for (std::size_t i = 0; i < sequences && out.at <= out.limit; ++i) {
        const Sequence& s = sequence[i];
        const uint8_t* literalsEnd = p + s.literals;
        for (; literalsEnd - p >= 4 && out.at <= out.limit; p += 4) {
            const Code a = litLen[p[0]], b = litLen[p[1]], c = litLen[p[2]], d = litLen[p[3]];
            out.put(a.bits, a.length);
            out.put(b.bits, b.length);
            out.put(c.bits, c.length);
            out.put(d.bits, d.length);
            out.flush();
        }
        for (; p < literalsEnd; ++p) {
            const Code code = litLen[*p];
            out.put(code.bits, code.length);
            out.flush();
        }
        if (s.length != 0) {
            const Coded& length = kLengthCodes.of[s.length];
            const Code lengthSymbol = litLen[length.symbol];
            const Code distanceSymbol = distance[s.distanceSymbol];
            out.put(lengthSymbol.bits, lengthSymbol.length);
            out.put(length.value, length.bits);
            out.put(distanceSymbol.bits, distanceSymbol.length);
            out.put(s.distanceValue, s.distanceBits);
            out.flush();
            p += s.length;
        }
    }
    const Code endOfBlock = litLen[kEndOfBlock];
    out.put(endOfBlock.bits, endOfBlock.length);
    out.flush();
    output.close(out);
}

// Symbols (literals and matches) a block holds at most: fewer blocks cost fewer code tables,
// more fit their codes closer to the part of the picture they hold.
constexpr std::size_t kBlockSymbols = std::size_t{1} << 15;

// Where literal stretches start, the last position whose four bytes hashed alike.
constexpr unsigned kHashBits = 12;

uint32_t hashOf(uint32_t fourBytes) {
    return (fourBytes * 2654435761u) >> (32 - kHashBits);
}

// Deflates `data` (`n` bytes in rows of `row`, eight more readable past the end) into `output`.
// Matches are taken greedily, the longest of a few candidates: the same byte repeated (distance
// 1: white space, solid bars), the row above (distance `row`: a row equal to the one above costs
// a few bits, and it is most of a receipt), and, where a stretch of literals starts, the last
// place its first four bytes started one (text set again lower down).
void deflateRows(const uint8_t* data, std::size_t n, std::size_t row, Output& output) {
    const bool above = row <= kWindow;
    const Coded one = distanceCode(1);
    const Coded up = distanceCode(above ? static_cast<unsigned>(row) : 1u);
    const bool hashing = n <= UINT32_MAX;
    std::vector<Sequence> sequence;
    sequence.reserve(std::min(kBlockSymbols, n / 32) + 64);
    std::unique_ptr<BlockCounts> counts(new BlockCounts());
    std::unique_ptr<uint32_t[]> starts(new uint32_t[std::size_t{1} << kHashBits]());
    std::size_t symbols = 0, blockStart = 0, literalStart = 0;
    std::size_t p = 1;
    ++counts->literals[0][data[0]];
    const auto endBlock = [&](bool last) {
        writeBlock(output, data, blockStart, p, sequence.data(), sequence.size(), *counts, last);
        blockStart = p;
        sequence.clear();
        symbols = 0;
    };
    // The literals before `p` end a sequence of their own.
    const auto endLiterals = [&](bool last) {
        sequence.push_back({static_cast<uint32_t>(p - literalStart), 0, 0, 0, 0});
        literalStart = p;
        endBlock(last);
    };
    const auto take = [&](std::size_t at, std::size_t length, const Coded& distance) {
        sequence.push_back({static_cast<uint32_t>(at - literalStart), static_cast<uint16_t>(length),
                            static_cast<uint8_t>(distance.symbol), distance.bits, distance.value});
        ++counts->litLen[kLengthCodes.of[length].symbol];
        ++counts->distance[distance.symbol];
        symbols += at - literalStart + 1;
        p = literalStart = at + length;
        if (symbols >= kBlockSymbols) endBlock(false);
    };
    // Eight bytes at a time: where a run of three equal to the byte before, or to the byte above,
    // starts, if one does in the first six; the bytes before it are literals.
    bool stretchStart = true;
    while (p + 8 <= n) {
        const uint64_t here = load64(data + p);
        const uint64_t runs = threeZeroBytes(here ^ load64(data + p - 1));
        const uint64_t rows = above && p >= row ? threeZeroBytes(here ^ load64(data + p - row)) : 0;
        const uint64_t matches = runs | rows;
        if (stretchStart && hashing && (matches & 0x80) == 0) {
            uint32_t& slot = starts[hashOf(static_cast<uint32_t>(here))];
            const std::size_t from = slot;
            slot = static_cast<uint32_t>(p);
            if (from != 0 && p - from <= kWindow &&
                load32(data + from) == static_cast<uint32_t>(here)) {
                const std::size_t length =
                    matchLength(data + p, data + from, std::min(kMaxMatch, n - p));
                take(p, length, distanceCode(static_cast<unsigned>(p - from)));
                continue;
            }
        }
        const uint8_t* bytes = data + p;
        uint32_t(&literals)[6][256] = counts->literals;
        if (matches == 0) {
            ++literals[0][bytes[0]];
            ++literals[1][bytes[1]];
            ++literals[2][bytes[2]];
            ++literals[3][bytes[3]];
            ++literals[4][bytes[4]];
            ++literals[5][bytes[5]];
            p += 6;
            stretchStart = false;
            if (p - literalStart >= kBlockSymbols) endLiterals(false);
            continue;
        }
        // The match starts within the first six bytes, after at most five literals.
        const unsigned before = firstMarked(matches);
        literals[0][bytes[0]] += static_cast<uint32_t>(before > 0);
        literals[1][bytes[1]] += static_cast<uint32_t>(before > 1);
        literals[2][bytes[2]] += static_cast<uint32_t>(before > 2);
        literals[3][bytes[3]] += static_cast<uint32_t>(before > 3);
        literals[4][bytes[4]] += static_cast<uint32_t>(before > 4);
        const std::size_t at = p + before;
        const std::size_t limit = std::min(kMaxMatch, n - at);
        const uint64_t mark = uint64_t{0x80} << (8 * before);
        std::size_t length = 0;
        if ((rows & mark) != 0) length = matchLength(data + at, data + at - row, limit);
        if (length < limit && (runs & mark) != 0) {
            const std::size_t same = matchLength(data + at, data + at - 1, limit);
            if (same >= length) {
                take(at, same, one);
                stretchStart = true;
                continue;
            }
        }
        take(at, length, up);
        stretchStart = true;
    }
    // The last few bytes, one at a time.
    while (p + kMinMatch <= n) {
        const std::size_t limit = n - p;
        const std::size_t same = matchLength(data + p, data + p - 1, limit);
        const std::size_t length =
            above && p >= row ? matchLength(data + p, data + p - row, limit) : 0;
        if (std::max(same, length) >= kMinMatch) {
            if (same >= length) {
                take(p, same, one);
            } else {
                take(p, length, up);
            }
        } else {
            ++counts->literals[0][data[p++]];
        }
    }
    for (; p < n; ++p) ++counts->literals[0][data[p]];
    endLiterals(true);
}

// A chunk holds at most 2^31 - 1 bytes of data: a longer stream goes in pieces of 1 GiB.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

// The CRC of `bytes` from `at` on, appended.
void appendCrc(std::string& bytes, std::size_t at) {
    uint8_t crc[4];
    putBig32(crc, pngCrc32(reinterpret_cast<const uint8_t*>(bytes.data()) + at, bytes.size() - at));
    bytes.append(reinterpret_cast<const char*>(crc), 4);
}

}  // namespace

bool encodePng(const Canvas& canvas, std::string& bytes) {
    bytes.clear();
    if (canvas.width <= 0 || canvas.height <= 0) return false;
    const auto stride = static_cast<std::size_t>(canvas.stride);
    const std::size_t row = stride + 1;
    const std::size_t n = row * static_cast<std::size_t>(canvas.height);
    // The rows as PNG filters them (filter byte 0, None, then the row unchanged: the canvas
    // stores white as 1, as one-bit greyscale does), and eight bytes more for reads ahead.
    std::unique_ptr<uint8_t[]> data(new uint8_t[n + 8]);
    for (std::size_t y = 0; y < static_cast<std::size_t>(canvas.height); ++y) {
        data[y * row] = 0;
        std::memcpy(&data[y * row + 1], &canvas.bits[y * stride], stride);
    }
    std::memset(&data[n], 0, 8);

    // The signature, IHDR (bit depth 1, colour type 0: greyscale, compression 0, filters 0, no
    // interlacing), then IDAT's length and type, then the zlib stream's header (deflate with a
    // 32 KiB window, no dictionary, the check bits).
    uint8_t head[43] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                        0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    putBig32(head + 16, static_cast<uint32_t>(canvas.width));
    putBig32(head + 20, static_cast<uint32_t>(canvas.height));
    head[24] = 1;
    putBig32(head + 29, pngCrc32(head + 12, 17));
    constexpr std::size_t kIdat = 33;
    std::memcpy(head + kIdat + 4, "IDAT", 4);
    head[kIdat + 8] = 0x78;
    head[kIdat + 9] = 0x01;
    bytes.assign(reinterpret_cast<const char*>(head), sizeof head);
    Output output{bytes, sizeof head};
    deflateRows(data.get(), n, row, output);
    BitSink end = output.open(5);
    end.alignToByte();
    putBig32(end.at, pngAdler32(data.get(), n));
    end.at += 4;
    output.close(end);
    if (output.overflow) {
        bytes.clear();
        return false;
    }
    bytes.resize(output.size);

    const std::size_t stream = output.size - kIdat - 8;
    if (stream <= kMaxChunk) {
        putBig32(reinterpret_cast<uint8_t*>(&bytes[kIdat]), static_cast<uint32_t>(stream));
        appendCrc(bytes, kIdat + 4);
    } else {
        // More than a chunk holds: the stream again, in pieces.
        const std::string whole = bytes.substr(kIdat + 8);
        bytes.resize(kIdat);
        for (std::size_t at = 0; at < whole.size(); at += kMaxChunk) {
            const std::size_t piece = std::min(kMaxChunk, whole.size() - at);
            uint8_t length[4];
            putBig32(length, static_cast<uint32_t>(piece));
            bytes.append(reinterpret_cast<const char*>(length), 4);
            const std::size_t type = bytes.size();
            bytes.append("IDAT", 4);
            bytes.append(whole, at, piece);
            appendCrc(bytes, type);
        }
    }
    // IEND: no data, then the CRC of its type.
    bytes.append("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    return true;
}

bool writePngFile(const Canvas& canvas, const std::string& path, std::string& error) {
    std::string bytes;
    if (!encodePng(canvas, bytes)) {
        error = path + ": " +
                (canvas.width <= 0 || canvas.height <= 0 ? "empty canvas"
                                                         : "could not encode the PNG image");
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        error = path + ": could not write the PNG file";
        return false;
    }
    return true;
}

}  // namespace kestrane
