// Receipts as ESC/POS raster images (GS v 0): the sections exactly as the STAR job draws them,
// logos, codes and fonts included, for ESC/POS printers with no logos stored in them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/job_outcome.h"
#include "platform/canvas.h"

namespace kestrane {

// Printable widths of the usual rolls, in dots at 203 dpi: 80 mm and 58 mm.
constexpr int32_t kEscposDots80 = 576;
constexpr int32_t kEscposDots58 = 384;
// The widest raster a printer is sent (ESC/POS' own limit is far beyond any roll).
constexpr int32_t kEscposMaxDots = 4096;
// Rows a GS v 0 band holds: a band at 80 mm is 9 KiB, which any printer's buffer takes.
constexpr int32_t kEscposBandRows = 128;

// How an EPSON job speaks to its printer: the text conversion (the default, byte for byte as it
// always was), or the receipt drawn as the STAR job draws it and sent as raster images for a
// printer `dots` wide.
struct EscposOptions {
    bool raster = false;
    int32_t dots = kEscposDots80;
    bool nativeQr = false;  // text conversion: QR code fields as the printer's own QR command
};

// The raster stream of `layout`: ESC @, each section as GS v 0 bands `dots` wide, then a cut.
// A section that fits goes out as drawn, at the left; a wider one is shrunk (shrunkSection). kDrawn with its warnings (images that could not be loaded), a drawing failure, or
// kArgumentRefused for a width that is not from 1 to kEscposMaxDots dots.
JobOutcome escposRasterStream(const std::string& base, const std::string& layout, int32_t dots, std::string& stream);

// A section shrunk to a printer `dots` wide, narrower than it (height in proportion), keeping
// every pixel black that covers black, so no rule or bar is lost.
Canvas shrunkSection(const Canvas& section, int32_t dots);

// Appends `canvas` as GS v 0 bands of at most kEscposBandRows rows, `dots` wide (white to the
// right of a narrower canvas).
void appendRasterBands(const Canvas& canvas, int32_t dots, std::string& stream);

// The pages of an ESC/POS stream as a printer would print its raster images: the GS v 0 images
// one below the other, each cut (GS V) ending a page. Other commands are skipped. False, with
// `error` set, for a stream cut short inside an image.
bool decodeEscposRaster(const std::string& stream, std::vector<Canvas>& pages, std::string& error);

}  // namespace kestrane
