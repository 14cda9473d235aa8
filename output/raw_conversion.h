// The EPSON conversion: a receipt layout to the ESC/POS stream its printer gets.
#pragma once

#include <cstddef>
#include <string>

#include "output/byte_sink.h"

namespace kestrane {

// The bytes one rewritten row (see rewriteReceiptRow) writes, with labels padded to
// `labelWidth`: the alignment, the row's text with emphasis commands, or instead a rule, a stored
// logo, or the row's own barcode block.
std::string rawRowBytes(const std::string& row, std::size_t labelWidth);

// Converts `layout` and writes the stream to `sink`: the initialise command, then each row's
// bytes, one write per row. The conversion never fails; a layout with no markup it knows still
// gives the initialise command and its rows as text.
void writeRawReceipt(const std::string& layout, ByteSink& sink);

}  // namespace kestrane
