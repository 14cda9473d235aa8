// Deflate made for receipts. Instead of searching every earlier position, the encoder tries the
// few places that repeat on a receipt; instead of counting what it found and fitting Huffman codes
// to it (a second pass over every symbol), it writes each symbol as it finds it, in one code fitted
// beforehand to drawn receipts, and stores a block as it is where that code would make it longer.
#include "platform/raster/row_deflate.h"

#include <algorithm>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Where a run of three bytes starts, among the first `kLook` bytes from `at`: equal to the byte
// before (`runs`), or to the bytes `row` before (`rows`, when `above`); bit i for byte i. `at`
// has kLook + 2 bytes readable.
struct RunStarts {
    unsigned runs;
    unsigned rows;
};

#if defined(__SSE2__)
constexpr std::size_t kLook = 14;

unsigned sameBytes(const __m128i x, const uint8_t* other) {
    return static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(other)))));
}

RunStarts runStarts(const uint8_t* at, std::size_t row, bool above) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const unsigned same = sameBytes(x, at - 1);
    const unsigned upper = above ? sameBytes(x, at - row) : 0;
    constexpr unsigned kLooked = (1u << kLook) - 1;
    return {same & (same >> 1) & (same >> 2) & kLooked,
            upper & (upper >> 1) & (upper >> 2) & kLooked};
}
#else
constexpr std::size_t kLook = 6;

unsigned sameBytes(const uint8_t* at, const uint8_t* other) {
    unsigned same = 0;
    for (unsigned i = 0; i < kLook + 2; ++i) same |= unsigned{at[i] == other[i]} << i;
    return same;
}

RunStarts runStarts(const uint8_t* at, std::size_t row, bool above) {
    const unsigned same = sameBytes(at, at - 1);
    const unsigned upper = above ? sameBytes(at, at - row) : 0;
    return {same & (same >> 1) & (same >> 2), upper & (upper >> 1) & (upper >> 2)};
}
#endif

// The index of the lowest byte that holds a mark.
unsigned firstMarked(uint64_t marks) {
    return static_cast<unsigned>(__builtin_ctzll(marks)) >> 3;
}

// How many bytes from `a` on equal those from `b` on, at most `limit`.
[[gnu::always_inline]] inline std::size_t matchLength(const uint8_t* a, const uint8_t* b,
                                                      std::size_t limit) {
    std::size_t n = 0;
#if defined(__SSE2__)
    for (; n + 16 <= limit; n += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + n));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + n));
        const unsigned differ =
            ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y))) & 0xFFFFu;
        if (differ != 0) return n + static_cast<unsigned>(__builtin_ctz(differ));
    }
#endif
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
constexpr unsigned kMaxCodeLengthCodeLength = 7;
constexpr int kCodeLengthSymbols = 19;
// The order in which a dynamic block's header lists the code-length code.
constexpr uint8_t kCodeLengthOrder[kCodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
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

// The code every block uses for literals and lengths: Huffman code lengths fitted to the symbols
// this encoder finds in drawn receipts (the sections and previews of the bundled samples and a
// long till receipt with codes, each weighed alike, every symbol counted once more so that each
// has a code). Glyph rows make most of the literals; the row above and runs of white most of the
// matches. At most 14 bits, so that four literals fit in one put.
constexpr uint8_t kLitLenLengths[kLitLenSymbols] = {
    6,  7,  9,  7,  9,  11, 11, 7,  9,  11, 12, 11, 10, 11, 10, 7,  9,  12, 11, 11, 14, 11, 13, 14,
    10, 11, 14, 14, 8,  14, 8,  6,  9,  11, 11, 11, 10, 12, 14, 10, 14, 12, 9,  11, 14, 10, 12, 13,
    10, 10, 14, 9,  14, 10, 10, 12, 8,  9,  14, 12, 7,  11, 8,  6,  9,  11, 11, 12, 11, 14, 14, 11,
    10, 10, 10, 14, 14, 11, 14, 10, 12, 14, 10, 13, 10, 6,  7,  9,  12, 13, 7,  6,  14, 8,  9,  10,
    10, 11, 14, 10, 14, 14, 11, 10, 12, 11, 7,  7,  11, 5,  8,  8,  9,  9,  14, 9,  14, 8,  7,  9,
    8,  8,  9,  8,  8,  9,  7,  6,  7,  9,  11, 10, 11, 14, 10, 8,  11, 12, 12, 14, 10, 14, 9,  7,
    10, 12, 10, 12, 12, 10, 14, 14, 11, 11, 14, 12, 9,  14, 8,  7,  10, 14, 12, 14, 12, 10, 11, 14,
    11, 10, 6,  7,  12, 6,  8,  9,  12, 14, 13, 11, 11, 6,  5,  7,  13, 14, 8,  7,  12, 7,  9,  8,
    7,  10, 13, 9,  11, 14, 10, 7,  11, 12, 14, 14, 10, 11, 9,  6,  12, 14, 14, 11, 11, 6,  6,  8,
    12, 11, 6,  5,  12, 7,  8,  8,  7,  8,  12, 7,  10, 14, 10, 6,  14, 14, 9,  8,  12, 7,  8,  8,
    7,  7,  11, 6,  12, 8,  8,  8,  6,  7,  10, 8,  6,  8,  6,  4,  14, 6,  6,  7,  8,  7,  8,  8,
    9,  9,  9,  9,  9,  8,  8,  8,  8,  8,  8,  8,  7,  8,  12, 12, 14, 11, 14, 10, 11, 6};

// The distance code, fitted alike: its one-bit code belongs to the row above of a 570-pixel
// canvas (73 bytes, symbol 12), and goes to whichever symbol the row above of another width has.
constexpr unsigned kFittedUpSymbol = 12;
constexpr uint8_t kDistanceLengths[kDistanceSymbols] = {3, 14, 14, 12, 11, 10, 10, 9, 10, 14,
                                                        5, 14, 1,  9,  8,  8,  8,  8, 6,  6,
                                                        6, 5,  6,  6,  6,  7,  3,  6, 5,  6};

struct Weight {
    uint32_t key;
    uint16_t symbol;
};

// Huffman code lengths of at most `limit` bits for the code-length code's symbols, seen `freq`
// times (0 for those never seen). One symbol alone gets a partner, as a complete code needs two.
void codeLengths(const uint32_t* freq, int count, unsigned limit, uint8_t* lengths) {
    Weight w[kCodeLengthSymbols];
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
    for (int i = 1; i < n; ++i) {
        const Weight x = w[i];
        int j = i;
        for (; j > 0 && w[j - 1].key > x.key; --j) w[j] = w[j - 1];
        w[j] = x;
    }
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

// A block's codes and its header (after the bit that says whether it is the last), as values
// and their widths in bits.
struct BlockCode {
    Code litLen[kLitLenSymbols];
    Code distance[kDistanceSymbols];
    int headerCount = 0;
    uint16_t headerValue[4 + kCodeLengthSymbols + 2 * (kLitLenSymbols + kDistanceSymbols)];
    uint8_t headerBits[4 + kCodeLengthSymbols + 2 * (kLitLenSymbols + kDistanceSymbols)];

    void add(unsigned value, unsigned bits) {
        headerValue[headerCount] = static_cast<uint16_t>(value);
        headerBits[headerCount++] = static_cast<uint8_t>(bits);
    }
};

// Every symbol has a code, so the header never counts runs of unused ones (17 and 18).
constexpr bool everyOneCoded(const uint8_t* lengths, int count) {
    for (int s = 0; s < count; ++s) {
        if (lengths[s] == 0) return false;
    }
    return true;
}
static_assert(everyOneCoded(kLitLenLengths, kLitLenSymbols) &&
              everyOneCoded(kDistanceLengths, kDistanceSymbols));

// The fitted codes, the row above's distance symbol being `upSymbol`, and the dynamic block
// header that gives them: both codes' lengths as code-length symbols (a length, or 16 to repeat
// the last one three to six times), themselves in a code fitted to them.
void receiptCode(unsigned upSymbol, BlockCode& code) {
    uint8_t lengths[kLitLenSymbols + kDistanceSymbols];
    std::memcpy(lengths, kLitLenLengths, kLitLenSymbols);
    uint8_t* distanceLengths = lengths + kLitLenSymbols;
    std::memcpy(distanceLengths, kDistanceLengths, kDistanceSymbols);
    std::swap(distanceLengths[kFittedUpSymbol], distanceLengths[upSymbol]);
    canonicalCodes(lengths, kLitLenSymbols, code.litLen);
    canonicalCodes(distanceLengths, kDistanceSymbols, code.distance);

    const int total = kLitLenSymbols + kDistanceSymbols;
    uint8_t runSymbol[total];
    uint8_t runExtra[total];
    int runs = 0;
    uint32_t runCounts[kCodeLengthSymbols] = {};
    const auto addRun = [&](int symbol, int extra) {
        runSymbol[runs] = static_cast<uint8_t>(symbol);
        runExtra[runs++] = static_cast<uint8_t>(extra);
        ++runCounts[symbol];
    };
    for (int i = 0; i < total;) {
        const uint8_t value = lengths[i];
        int n = 1;
        while (i + n < total && lengths[i + n] == value) ++n;
        i += n;
        addRun(value, 0);
        for (--n; n >= 3; n -= std::min(n, 6)) addRun(16, std::min(n, 6) - 3);
        for (; n > 0; --n) addRun(value, 0);
    }
    uint8_t runLengths[kCodeLengthSymbols];
    codeLengths(runCounts, kCodeLengthSymbols, kMaxCodeLengthCodeLength, runLengths);
    int runLengthCount = kCodeLengthSymbols;
    while (runLengthCount > 4 && runLengths[kCodeLengthOrder[runLengthCount - 1]] == 0)
        --runLengthCount;
    Code runCodes[kCodeLengthSymbols];
    canonicalCodes(runLengths, kCodeLengthSymbols, runCodes);

    code.headerCount = 0;
    code.add(2, 2);  // dynamic Huffman codes
    code.add(kLitLenSymbols - 257, 5);
    code.add(kDistanceSymbols - 1, 5);
    code.add(static_cast<unsigned>(runLengthCount - 4), 4);
    for (int i = 0; i < runLengthCount; ++i) code.add(runLengths[kCodeLengthOrder[i]], 3);
    for (int i = 0; i < runs; ++i) {
        const Code run = runCodes[runSymbol[i]];
        code.add(run.bits, run.length);
        if (runSymbol[i] == 16) code.add(runExtra[i], 2);
    }
}

// Out of line, so that the writer's own address is never taken and its fields stay in registers
// (the bytes it stores could otherwise be them).
[[gnu::noinline]] void grow(std::string& bytes, std::size_t size) {
    bytes.resize(std::max(size, bytes.size() + bytes.size() / 2));
}

// Bits go out lowest first through a 64-bit buffer, appended to `bytes`. A flush stores the
// whole word and moves on by the whole bytes in it; between flushes at most 56 bits may be put.
// Before writing, `reserve` makes room for what comes and the eight bytes a flush stores.
struct BitWriter {
    std::string& bytes;
    uint8_t* begin;
    uint8_t* at;
    uint8_t* end;
    uint64_t bits = 0;
    unsigned count = 0;

    BitWriter(std::string& out, std::size_t room) : bytes(out) {
        const std::size_t used = bytes.size();
        bytes.resize(used + room + 8);
        point(used);
    }
    void point(std::size_t used) {
        begin = reinterpret_cast<uint8_t*>(&bytes[0]);
        at = begin + used;
        end = begin + bytes.size();
    }
    void reserve(std::size_t more) {
        if (static_cast<std::size_t>(end - at) >= more + 8) return;
        const auto used = static_cast<std::size_t>(at - begin);
        grow(bytes, used + more + 8);
        point(used);
    }
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
    // Position in bits from `begin`.
    uint64_t position() const { return 8 * static_cast<uint64_t>(at - begin) + count; }
    // Ends the stream on a whole byte, `bytes` holding exactly what was written.
    void finish() {
        alignToByte();
        bytes.resize(static_cast<std::size_t>(at - begin));
    }
};

// At most four literals in one put: 56 bits.
[[gnu::always_inline]] inline void putLiterals(BitWriter& out, const Code* code, const uint8_t* p,
                                               std::size_t n) {
    for (; n >= 4; n -= 4, p += 4) {
        const Code a = code[p[0]], b = code[p[1]], c = code[p[2]], d = code[p[3]];
        const unsigned ab = unsigned{a.length} + b.length;
        out.put(a.bits | (uint64_t{b.bits} << a.length) |
                    ((uint64_t{c.bits} | (uint64_t{d.bits} << c.length)) << ab),
                ab + c.length + d.length);
        out.flush();
    }
    uint64_t bits = 0;
    unsigned count = 0;
    for (; n > 0; --n, ++p) {
        const Code a = code[*p];
        bits |= uint64_t{a.bits} << count;
        count += a.length;
    }
    out.put(bits, count);
    out.flush();
}

// A match: its length's symbol and extra bits, its distance's: at most 47 bits.
[[gnu::always_inline]] inline void putMatch(BitWriter& out, const BlockCode& code,
                                            std::size_t length, const Coded& distance) {
    const Coded& coded = kLengthCodes.of[length];
    const Code lengthSymbol = code.litLen[coded.symbol];
    const Code distanceSymbol = code.distance[distance.symbol];
    out.put(lengthSymbol.bits, lengthSymbol.length);
    out.put(coded.value, coded.bits);
    out.put(distanceSymbol.bits, distanceSymbol.length);
    out.put(distance.value, distance.bits);
    out.flush();
}

// Input bytes a block takes at most, so that a stretch the code does badly on (noise) is stored
// apart from the rest; its header costs about 60 bytes.
constexpr std::size_t kBlockBytes = std::size_t{1} << 17;

// Each step of the scan takes at least three bytes and writes at most 32 (thirteen literals and
// a match), so room is made, and the block's length checked, once every so many bytes of input.
constexpr std::size_t kMostPerStep = 32;
constexpr std::size_t kCheckBytes = 384;
constexpr std::size_t kRoomPerCheck = kCheckBytes / 3 * kMostPerStep;

// Where literal stretches start, the last position whose four bytes hashed alike.
constexpr unsigned kHashBits = 12;

uint32_t hashOf(uint32_t fourBytes) {
    return (fourBytes * 2654435761u) >> (32 - kHashBits);
}

// Where a block started: in the output (its first bit says whether it is the last), and in the
// input.
struct BlockStart {
    std::size_t byte;
    uint64_t bits;
    unsigned count;
    std::size_t input;
};

[[gnu::always_inline]] inline BlockStart startBlock(BitWriter& out, const BlockCode& code,
                                                    std::size_t input) {
    const BlockStart start{static_cast<std::size_t>(out.at - out.begin), out.bits, out.count,
                           input};
    out.reserve(2 * (4 + kCodeLengthSymbols + 2 * (kLitLenSymbols + kDistanceSymbols)));
    out.put(0, 1);
    for (int i = 0; i < code.headerCount; ++i) {
        out.put(code.headerValue[i], code.headerBits[i]);
        out.flush();
    }
    return start;
}

// Ends the block that started at `start` and holds the input up to `end`: stored instead, should
// that be shorter. A coded block's first bit is set once it is known to be the last; by then that
// byte is written.
[[gnu::always_inline]] inline void endBlock(BitWriter& out, const BlockCode& code,
                                            const BlockStart& start, const uint8_t* data,
                                            std::size_t end, bool last) {
    const Code endOfBlock = code.litLen[kEndOfBlock];
    out.put(endOfBlock.bits, endOfBlock.length);
    out.flush();
    const std::size_t bytes = end - start.input;
    const std::size_t pieces = std::max<std::size_t>(1, (bytes + 65534) / 65535);
    const uint64_t storedBits = pieces * (3 + 7 + 32) + 8 * uint64_t{bytes};
    const uint64_t codedBits = out.position() - (8 * uint64_t{start.byte} + start.count);
    if (codedBits <= storedBits) {
        if (last) out.begin[start.byte] |= static_cast<uint8_t>(1u << start.count);
        return;
    }
    out.at = out.begin + start.byte;
    out.bits = start.bits;
    out.count = start.count;
    out.reserve(bytes + 5 * pieces);
    for (std::size_t at = start.input, piece = 1; piece <= pieces; ++piece) {
        const std::size_t n = std::min<std::size_t>(65535, end - at);
        out.put(last && piece == pieces ? 1 : 0, 3);
        out.alignToByte();
        out.put(n | ((n ^ 0xFFFF) << 16), 32);
        out.flush();
        std::memcpy(out.at, data + at, n);
        out.at += n;
        at += n;
    }
}

}  // namespace

// Matches are taken greedily, the longest of a few candidates: the same byte repeated (distance
// 1: white space, solid bars), the row above (distance `row`: a row equal to the one above costs
// a few bits, and it is most of a receipt), and, where a stretch of literals starts, the last
// place its first four bytes started one (text set again lower down).
void deflateRows(const uint8_t* data, std::size_t n, std::size_t row, std::string& bytes) {
    const bool above = row <= kWindow;
    const Coded one = distanceCode(1);
    const Coded up = distanceCode(above ? static_cast<unsigned>(row) : 1u);
    const bool hashing = n <= UINT32_MAX;
    // The code of a 570-pixel canvas is made once; other widths make theirs.
    static const BlockCode kFitted = [] {
        BlockCode fitted;
        receiptCode(kFittedUpSymbol, fitted);
        return fitted;
    }();
    BlockCode other;
    if (up.symbol != kFittedUpSymbol) receiptCode(up.symbol, other);
    const BlockCode& code = up.symbol == kFittedUpSymbol ? kFitted : other;
    std::unique_ptr<uint32_t[]> lastSeen(new uint32_t[std::size_t{1} << kHashBits]());
    BitWriter out(bytes, n / 4 + 1024);
    BlockStart block = startBlock(out, code, 0);
    out.reserve(kMostPerStep);
    putLiterals(out, code.litLen, data, 1);
    std::size_t p = 1, check = 0;
    // A few bytes at a time: where a run of three equal to the byte before, or to the byte above,
    // starts, if one does among them; the bytes before it are literals.
    bool stretchStart = true;
    while (p + kLook + 2 <= n) {
        if (p >= check) {
            if (p - block.input >= kBlockBytes) {
                endBlock(out, code, block, data, p, false);
                block = startBlock(out, code, p);
            }
            out.reserve(kRoomPerCheck);
            check = std::min(p + kCheckBytes, block.input + kBlockBytes);
        }
        const RunStarts starts = runStarts(data + p, row, above && p >= row);
        const unsigned matches = starts.runs | starts.rows;
        if (stretchStart && hashing && (matches & 1u) == 0) {
            const uint32_t here = load32(data + p);
            uint32_t& slot = lastSeen[hashOf(here)];
            const std::size_t from = slot;
            slot = static_cast<uint32_t>(p);
            if (from != 0 && p - from <= kWindow && load32(data + from) == here) {
                const std::size_t length =
                    matchLength(data + p, data + from, std::min(kMaxMatch, n - p));
                putMatch(out, code, length, distanceCode(static_cast<unsigned>(p - from)));
                p += length;
                continue;
            }
        }
        if (matches == 0) {
            putLiterals(out, code.litLen, data + p, kLook);
            p += kLook;
            stretchStart = false;
            continue;
        }
        const unsigned before = static_cast<unsigned>(__builtin_ctz(matches));
        putLiterals(out, code.litLen, data + p, before);
        p += before;
        const std::size_t limit = std::min(kMaxMatch, n - p);
        const unsigned mark = 1u << before;
        std::size_t length = 0;
        if ((starts.rows & mark) != 0) length = matchLength(data + p, data + p - row, limit);
        stretchStart = true;
        if (length < limit && (starts.runs & mark) != 0) {
            const std::size_t same = matchLength(data + p, data + p - 1, limit);
            if (same >= length) {
                putMatch(out, code, same, one);
                p += same;
                continue;
            }
        }
        putMatch(out, code, length, up);
        p += length;
    }
    // The last few bytes, one at a time.
    while (p < n) {
        out.reserve(kMostPerStep);
        const std::size_t limit = n - p;
        const std::size_t same =
            limit >= kMinMatch ? matchLength(data + p, data + p - 1, limit) : 0;
        const std::size_t length = limit >= kMinMatch && above && p >= row
                                       ? matchLength(data + p, data + p - row, limit)
                                       : 0;
        if (std::max(same, length) < kMinMatch) {
            putLiterals(out, code.litLen, data + p, 1);
            ++p;
        } else if (same >= length) {
            putMatch(out, code, same, one);
            p += same;
        } else {
            putMatch(out, code, length, up);
            p += length;
        }
    }
    endBlock(out, code, block, data, n, true);
    out.finish();
}

}  // namespace kestrane
