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

// How a page's samples say "ink": one-bit pages (black_1) set a bit for black; eight-bit grey
// pages (sgray_8, and the Apple raster CUPS makes for AirPrint printers) hold white as 255.
// Anything else is not a page we read.
enum class Samples { kUnreadable, kBlackBits, kGreyBytes };

Samples samplesOf(const cups_page_header2_t& header) {
    if (header.cupsBitsPerPixel == 1) return Samples::kBlackBits;
    const bool grey =
        header.cupsColorSpace == CUPS_CSPACE_W || header.cupsColorSpace == CUPS_CSPACE_SW;
    return header.cupsBitsPerPixel == 8 && grey ? Samples::kGreyBytes : Samples::kUnreadable;
}

// One line of samples into a canvas row (bit set for white), grey thresholded at its middle.
void storeLine(Samples samples, const std::vector<unsigned char>& line, Canvas& canvas, int32_t y) {
    uint8_t* row = &canvas.bits[static_cast<std::size_t>(y) * canvas.stride];
    if (samples == Samples::kBlackBits) {
        const std::size_t count = std::min<std::size_t>(line.size(), canvas.stride);
        for (std::size_t i = 0; i < count; ++i) row[i] = static_cast<uint8_t>(~line[i]);
        return;
    }
    const int32_t width = std::min<int32_t>(canvas.width, static_cast<int32_t>(line.size()));
    for (int32_t x = 0; x < width; ++x) setPixel(canvas, x, y, line[x] < 128);
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
        const Samples samples = samplesOf(header);
        if (samples == Samples::kUnreadable || header.cupsWidth > 1000000 ||
            header.cupsHeight > 10000000) {
            error = "page " + std::to_string(pages.size() + 1) +
                    " is neither one-bit nor eight-bit grey";
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
            storeLine(samples, line, page.pixels, static_cast<int32_t>(y));
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
