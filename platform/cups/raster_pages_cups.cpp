#include <algorithm>
#include <cstring>

#include "platform/cups/cups_library.h"
#include "platform/raster_pages.h"

namespace kestrane {

namespace {

struct Reader {
    const std::string& bytes;
    std::size_t at = 0;
};

ssize_t readFromString(void* context, unsigned char* buffer, size_t length) {
    auto* reader = static_cast<Reader*>(context);
    const std::size_t count = std::min(length, reader->bytes.size() - reader->at);
    std::memcpy(buffer, reader->bytes.data() + reader->at, count);
    reader->at += count;
    return static_cast<ssize_t>(count);
}

}  // namespace

bool readRasterPages(const std::string& bytes, std::vector<RasterPage>& pages, std::string& error) {
    if (!cupsLoaded()) {
        error = "the CUPS client library libcups.so.2 cannot be loaded";
        return false;
    }
    Reader reader{bytes};
    cups_raster_t* raster = cupsRasterOpenIO(readFromString, &reader, CUPS_RASTER_READ);
    if (raster == nullptr) {
        error = "not a raster document";
        return false;
    }
    cups_page_header2_t header;
    bool whole = true;
    while (cupsRasterReadHeader2(raster, &header)) {
        if (header.cupsBitsPerPixel != 1 || header.cupsWidth > 1000000 || header.cupsHeight > 10000000) {
            error = "page " + std::to_string(pages.size() + 1) + " is not a one-bit page";
            whole = false;
            break;
        }
        RasterPage page;
        page.xdpi = static_cast<int32_t>(header.HWResolution[0]);
        page.ydpi = static_cast<int32_t>(header.HWResolution[1]);
        page.pixels = Canvas(static_cast<int32_t>(header.cupsWidth), static_cast<int32_t>(header.cupsHeight));
        std::vector<unsigned char> line(header.cupsBytesPerLine);
        for (unsigned y = 0; y < header.cupsHeight && whole; ++y) {
            if (cupsRasterReadPixels(raster, line.data(), header.cupsBytesPerLine) == 0) {
                error = "page " + std::to_string(pages.size() + 1) + " is cut short";
                whole = false;
            }
            uint8_t* row = &page.pixels.bits[static_cast<std::size_t>(y) * page.pixels.stride];
            const std::size_t count = std::min<std::size_t>(line.size(), page.pixels.stride);
            for (std::size_t i = 0; i < count; ++i) row[i] = static_cast<uint8_t>(~line[i]);
        }
        pages.push_back(std::move(page));
        if (!whole) break;
    }
    cupsRasterClose(raster);
    if (whole && pages.empty()) {
        error = "the document holds no page";
        return false;
    }
    return whole;
}

}  // namespace kestrane
