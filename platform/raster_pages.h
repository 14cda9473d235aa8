// Reading back the raster documents the spooler delivers to a printer: for people who look at
// what a virtual printer received, and for tests that check it.
#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"

namespace kestrane {

struct RasterPage {
    int32_t xdpi = 0;
    int32_t ydpi = 0;
    Canvas pixels{0, 0};  // black where the page has ink
};

// Decodes a raster document (PWG raster, or the Apple raster CUPS makes for AirPrint printers) of
// one-bit black or eight-bit grey pages; grey darker than its middle is ink. False, with `error`
// set, for a stream that is not one or is cut short; the pages decoded before the fault are kept.
bool readRasterPages(const std::string& bytes, std::vector<RasterPage>& pages, std::string& error);

}  // namespace kestrane
