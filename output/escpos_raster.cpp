#include "output/escpos_raster.h"

#include <algorithm>

#include "output/escpos.h"
#include "output/star_job.h"

namespace kestrane {

namespace {

int32_t byteAt(const std::string& stream, std::size_t at) { return static_cast<unsigned char>(stream[at]); }

// Joins images of one width or another below each other, white where an image is narrower.
Canvas stacked(const std::vector<Canvas>& images) {
    int32_t width = 0, height = 0;
    for (const Canvas& image : images) {
        width = std::max(width, image.width);
        height += image.height;
    }
    Canvas page(width, height);
    int32_t y = 0;
    for (const Canvas& image : images) {
        copyCanvas(page, image, 0, y);
        y += image.height;
    }
    return page;
}

}  // namespace

JobOutcome escposRasterStream(const std::string& base, const std::string& layout, int32_t dots, std::string& stream) {
    if (dots < 1 || dots > kEscposMaxDots) {
        return jobOutcome(JobStatus::kArgumentRefused,
                          "The printer's width must be from 1 to " + std::to_string(kEscposMaxDots) + " dots");
    }
    stream.assign("\x1B@", 2);
    JobOutcome outcome = runStarJob(base, layout, [&](const Canvas& section, std::size_t) {
        // A section that fits goes out as it is; only a narrower printer needs a new canvas.
        appendRasterBands(section.width <= dots ? section : shrunkSection(section, dots), dots, stream);
        return jobOutcome(JobStatus::kDrawn);
    });
    if (outcome.succeeded()) stream += escpos::kCut;
    return outcome;
}

Canvas shrunkSection(const Canvas& section, int32_t dots) {
    const auto height = static_cast<int32_t>((int64_t{section.height} * dots + section.width - 1) / section.width);
    Canvas shrunk(dots, height);
    stretchCanvas(shrunk, section, {0, 0, section.width, section.height});
    return shrunk;
}

void appendRasterBands(const Canvas& canvas, int32_t dots, std::string& stream) {
    const int32_t widthBytes = (std::max(dots, canvas.width) + 7) / 8, sourceBytes = (canvas.width + 7) / 8;
    // The last byte of a row keeps only the canvas' own columns.
    const auto lastMask = static_cast<uint8_t>(canvas.width % 8 == 0 ? 0xFF : 0xFF << (8 - canvas.width % 8));
    const std::size_t bands = static_cast<std::size_t>((canvas.height + kEscposBandRows - 1) / kEscposBandRows);
    std::size_t at = stream.size();
    const std::size_t size = at + bands * 8 + static_cast<std::size_t>(widthBytes) * canvas.height;
    stream.reserve(size + 64);  // room for the cut, so the stream is not copied again for it
    // Zeros: the columns past the canvas are white.
    stream.resize(size, '\0');
    auto* out = reinterpret_cast<uint8_t*>(&stream[0]);
    for (int32_t top = 0; top < canvas.height; top += kEscposBandRows) {
        const int32_t rows = std::min(kEscposBandRows, canvas.height - top);
        const uint8_t header[] = {0x1D, 0x76, 0x30, 0x00, static_cast<uint8_t>(widthBytes & 0xFF),
                                  static_cast<uint8_t>(widthBytes >> 8), static_cast<uint8_t>(rows & 0xFF),
                                  static_cast<uint8_t>(rows >> 8)};
        std::copy(header, header + sizeof header, out + at);
        at += sizeof header;
        for (int32_t y = top; y < top + rows; ++y) {
            // The canvas has its bit set for white; a printer's raster for black.
            const uint8_t* row = &canvas.bits[static_cast<std::size_t>(y) * canvas.stride];
            uint8_t* line = out + at;
            for (int32_t i = 0; i < sourceBytes; ++i) line[i] = static_cast<uint8_t>(~row[i]);
            line[sourceBytes - 1] &= lastMask;
            at += static_cast<std::size_t>(widthBytes);
        }
    }
}

bool decodeEscposRaster(const std::string& stream, std::vector<Canvas>& pages, std::string& error) {
    std::vector<Canvas> images;
    for (std::size_t at = 0; at < stream.size();) {
        if (stream.compare(at, 3, "\x1Dv0", 3) == 0) {
            if (at + 8 > stream.size()) {
                error = "an image header is cut short";
                return false;
            }
            const int32_t widthBytes = byteAt(stream, at + 4) | (byteAt(stream, at + 5) << 8);
            const int32_t rows = byteAt(stream, at + 6) | (byteAt(stream, at + 7) << 8);
            const std::size_t size = static_cast<std::size_t>(widthBytes) * rows;
            at += 8;
            if (stream.size() - at < size) {
                error = "an image of " + std::to_string(widthBytes * 8) + "x" + std::to_string(rows) +
                        " dots is cut short";
                return false;
            }
            Canvas image(widthBytes * 8, rows);
            for (std::size_t i = 0; i < size; ++i) image.bits[i] = static_cast<uint8_t>(~stream[at + i]);
            images.push_back(std::move(image));
            at += size;
        } else if (stream.compare(at, 2, "\x1DV", 2) == 0) {
            // GS V m (and n for the feeding forms 65 and 66): the cut ends the page.
            at += at + 2 < stream.size() && (byteAt(stream, at + 2) == 65 || byteAt(stream, at + 2) == 66) ? 4 : 3;
            pages.push_back(stacked(images));
            images.clear();
        } else {
            ++at;
        }
    }
    if (!images.empty()) pages.push_back(stacked(images));
    return true;
}

}  // namespace kestrane
