// The PNG checksums through zlib, which the Windows build carries (libpng's own dependency).
#include <zlib.h>

#include <algorithm>

#include "platform/raster/png_checksums.h"

namespace kestrane {

namespace {

// zlib counts lengths in `uInt`: longer data goes in pieces.
constexpr std::size_t kPiece = std::size_t{1} << 30;

}  // namespace

uint32_t pngCrc32(const uint8_t* data, std::size_t size) {
    uLong crc = crc32(0, nullptr, 0);
    for (std::size_t at = 0; at < size; at += kPiece) {
        crc = crc32(crc, data + at, static_cast<uInt>(std::min(kPiece, size - at)));
    }
    return static_cast<uint32_t>(crc);
}

uint32_t pngAdler32(const uint8_t* data, std::size_t size) {
    uLong adler = adler32(0, nullptr, 0);
    for (std::size_t at = 0; at < size; at += kPiece) {
        adler = adler32(adler, data + at, static_cast<uInt>(std::min(kPiece, size - at)));
    }
    return static_cast<uint32_t>(adler);
}

}  // namespace kestrane
