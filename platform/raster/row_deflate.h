// Deflate (RFC 1951) for the rows of a one-bit receipt, as PNG's image data holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrane {

// Appends the deflate stream of `data` (`n` bytes in rows of `row`, eight more readable past the
// end) to `bytes`; the stream ends on a whole byte.
void deflateRows(const uint8_t* data, std::size_t n, std::size_t row, std::string& bytes);

}  // namespace kestrane
