// The two checksums a PNG file carries: CRC-32 after each chunk, Adler-32 after the zlib stream
// of the image data. Each OS links one implementation of them (libdeflate's or zlib's).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrane {

// CRC-32 of `size` bytes, as PNG computes it over a chunk's type and data.
uint32_t pngCrc32(const uint8_t* data, std::size_t size);

// Adler-32 of `size` bytes, as zlib computes it over the uncompressed data.
uint32_t pngAdler32(const uint8_t* data, std::size_t size);

}  // namespace kestrane
