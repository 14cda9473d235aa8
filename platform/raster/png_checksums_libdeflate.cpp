// The PNG checksums through libdeflate, which picks the fastest code the processor runs
// (carry-less multiplication for CRC-32, vector sums for Adler-32).
#include <libdeflate.h>

#include "platform/raster/png_checksums.h"

namespace kestrane {

uint32_t pngCrc32(const uint8_t* data, std::size_t size) {
    return libdeflate_crc32(0, data, size);
}

uint32_t pngAdler32(const uint8_t* data, std::size_t size) {
    return libdeflate_adler32(1, data, size);
}

}  // namespace kestrane
