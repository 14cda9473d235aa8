#include "platform/raster_pages.h"

namespace kestrane {

// Raster documents are what a CUPS queue hands its printer; they are read back on the machine
// that runs the scheduler, which has the CUPS raster library. Windows has neither.
bool readRasterPages(const std::string&, std::vector<RasterPage>& pages, std::string& error) {
    pages.clear();
    error =
        "reading PWG raster documents needs the CUPS raster library, which Windows does not have";
    return false;
}

}  // namespace kestrane
