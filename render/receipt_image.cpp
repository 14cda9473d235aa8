#include "render/receipt_image.h"

#include <map>
#include <optional>

#include "platform/file_path.h"
#include "platform/image.h"

namespace kestrane {

std::string imageDirectory;

namespace {

constexpr int32_t kImageWidth = 550;
constexpr int32_t kGap = 10;

// Receipts print the same logo again and again: an image is decoded and halftoned once per
// version of its file (path, size, modification time, inode), not once per pass and job.
struct CachedImage {
    FileStamp stamp;
    int32_t width = 0;
    int32_t height = 0;
    Image pixels;                    // dropped once the halftone exists
    std::optional<Canvas> halftone;  // the image as drawn, 550 pixels wide
};

constexpr std::size_t kCacheBytes = 32u << 20;
std::map<std::string, CachedImage> cache;
std::size_t cacheBytes = 0;

std::size_t footprint(const CachedImage& entry) {
    return entry.pixels.rgb.size() + (entry.halftone ? entry.halftone->bits.size() : 0);
}

void forget(std::map<std::string, CachedImage>::iterator entry) {
    cacheBytes -= footprint(entry->second);
    cache.erase(entry);
}

// The current version of the image at `path`, or nullptr when it cannot be loaded.
CachedImage* lookUp(const std::string& path) {
    const auto found = cache.find(path);
    FileStamp stamp;
    if (!fileStamp(path, stamp)) {
        if (found != cache.end()) forget(found);
        return nullptr;
    }
    if (found != cache.end()) {
        if (found->second.stamp == stamp) return &found->second;
        forget(found);
    }
    CachedImage entry;
    if (!loadBitmapFile(path, entry.pixels)) return nullptr;
    entry.stamp = stamp;
    entry.width = entry.pixels.width;
    entry.height = entry.pixels.height;
    if (cacheBytes + footprint(entry) > kCacheBytes) {
        cache.clear();
        cacheBytes = 0;
    }
    cacheBytes += footprint(entry);
    return &cache.emplace(path, std::move(entry)).first->second;
}

double scaleOf(const CachedImage& image) { return static_cast<double>(kImageWidth) / image.width; }

const Canvas& halftoneOf(CachedImage& image) {
    if (!image.halftone) {
        const double scale = scaleOf(image);
        const auto drawnWidth = static_cast<int32_t>(image.width * scale);
        const auto drawnHeight = static_cast<int32_t>(image.height * scale);
        cacheBytes -= footprint(image);
        Canvas& halftone = image.halftone.emplace(drawnWidth, drawnHeight);
        stretchImage(halftone, image.pixels, {0, 0, drawnWidth, drawnHeight});
        image.pixels = Image();
        cacheBytes += footprint(image);
    }
    return *image.halftone;
}

}  // namespace

std::string resolveImagePath(const std::string& raw) {
    const std::size_t src = raw.find("src");
    if (src == std::string::npos) return std::string();
    const std::size_t open = raw.find('"', src + 1);
    if (open == std::string::npos) return std::string();
    const std::size_t close = raw.find('"', open + 1);
    if (close == std::string::npos || close == open + 1) return std::string();
    const std::string value = raw.substr(open + 1, close - open - 1);
    const std::size_t separator = value.find_last_of("/\\");
    const std::string filePart = (separator != std::string::npos && separator >= 1)
                                     ? value.substr(separator)
                                     : "/" + value;
    return imageDirectory + "\\node_modules\\printer\\" + "GDIImageDirectory" + filePart;
}

int32_t receiptImageHeight(const std::string& path) {
    const CachedImage* image = lookUp(path);
    if (image == nullptr) return 1;
    return static_cast<int32_t>(scaleOf(*image) * image->height) + kGap;
}

int32_t drawReceiptImage(Canvas& canvas, int32_t x, int32_t y, const std::string& path) {
    CachedImage* image = lookUp(path);
    if (image == nullptr) return 0;
    const Canvas& halftone = halftoneOf(*image);
    copyCanvas(canvas, halftone, x + kGap, y + kGap);
    return halftone.height + kGap;
}

}  // namespace kestrane
