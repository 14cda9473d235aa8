// The EPSON conversion: a receipt layout to the ESC/POS stream its printer gets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "output/byte_sink.h"

namespace kestrane {

// The bytes one rewritten row (see rewriteReceiptRow) writes, with labels padded to
// `labelWidth`: the alignment, the row's text with emphasis commands, or instead a rule, a stored
// logo, or the row's own barcode block.
std::string rawRowBytes(const std::string& row, std::size_t labelWidth);

// The row with its label (see findLabel) padded with blanks to `width`, so that the colons of all
// label rows line up; rejoining drops the empty pieces between colons.
std::string alignLabel(const std::string& row, std::size_t width);

// The emphasis commands in place of the emphasis markers, the centre markers taken out.
void replaceMarkers(std::string& row);

// Converts `layout` and writes the stream to `sink`: the initialise command, then each row's
// bytes, one write per row. The conversion never fails; a layout with no markup it knows still
// gives the initialise command and its rows as text.
//
// With `nativeQr`, each QR code field (qrcodeText, qrcodeTextFiscal) prints as the printer's own
// QR command after its row: GS ( k, model 2, error correction H and the module size the STAR job
// draws it with, centred. A value the printer cannot take (empty, over 7,089 bytes, or holding a
// line feed, which the stream's CR LF rule would change) prints nothing, as the STAR job draws
// nothing for one it cannot encode.
void writeRawReceipt(const std::string& layout, ByteSink& sink, bool nativeQr = false);

// The stream `layout` converts to as the printer gets it: text line feeds as CR LF, as the job's
// stream file stores them, and commands (the QR command of `nativeQr`) byte for byte.
std::string rawReceiptBytes(const std::string& layout, bool nativeQr);

// The printer's QR command block (centred) for a field's value at module size `moduleSize`;
// empty for a value it cannot take. Its bytes must reach the printer as they are.
std::string nativeQrBlock(const std::string& value, int32_t moduleSize);

}  // namespace kestrane
