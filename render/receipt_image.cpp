#include "render/receipt_image.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/file_path.h"
#include "platform/image.h"

namespace kestrane {

namespace {

constexpr int32_t kImageWidth = 550;
constexpr int32_t kGap = 10;

// Receipts print the same logo again and again: an image is decoded and halftoned once per
// version of its file (path, size, modification time, inode), not once per pass and job. A file
// that cannot be loaded is remembered too, so a bad logo costs one decode, not two per job.
// Entries never change once made; jobs on other threads keep theirs alive while the cache moves
// on.
struct CachedImage {
    FileStamp stamp;
    std::optional<Canvas> halftone;  // the image as drawn, 550 pixels wide; none: not loadable
};

constexpr std::size_t kCacheBytes = 32u << 20;

struct ImageCache {
    std::mutex lock;
    std::map<std::string, std::shared_ptr<const CachedImage>> entries;
    std::size_t bytes = 0;
};

ImageCache& imageCache() {
    static ImageCache cache;
    return cache;
}

std::size_t footprint(const CachedImage& entry) {
    return sizeof entry + (entry.halftone ? entry.halftone->bits.size() : 0);
}

// The size an image of `width` x `height` pixels is drawn at; false when it is empty or would be
// drawn taller than kMaxImageHeight.
bool drawnSize(int32_t width, int32_t height, int32_t& drawnWidth, int32_t& drawnHeight) {
    if (width <= 0 || height <= 0) return false;
    const double scale = static_cast<double>(kImageWidth) / width;
    const double rows = height * scale;
    if (rows > kMaxImageHeight) return false;
    drawnWidth = static_cast<int32_t>(width * scale);
    drawnHeight = static_cast<int32_t>(rows);
    return true;
}

// Decodes and halftones the file; no halftone when it cannot be loaded or would be drawn taller
// than kMaxImageHeight.
std::shared_ptr<const CachedImage> decode(const std::string& path, const FileStamp& stamp) {
    auto entry = std::make_shared<CachedImage>();
    entry->stamp = stamp;
    Image pixels;
    int32_t width = 0, height = 0, drawnWidth = 0, drawnHeight = 0;
    if (loadBitmapFile(path, pixels)) {
        entry->halftone = receiptHalftone(pixels);
    } else if (readBitmapSize(path, width, height) &&
               drawnSize(width, height, drawnWidth, drawnHeight) &&
               // Too large to decode whole: shrunk to the drawn size as it is read, so the
               // halftone below is 1:1. An image drawn 0 rows tall is still read, 1 row of it,
               // so a file stb_image refuses stays one that cannot be loaded.
               loadBitmapShrunk(path, drawnWidth, std::max(drawnHeight, 1), pixels)) {
        entry->halftone.emplace(drawnWidth, drawnHeight);
        stretchImage(*entry->halftone, pixels, {0, 0, drawnWidth, drawnHeight});
    }
    return entry;
}

// The current version of the image at `path`.
std::shared_ptr<const CachedImage> lookUp(const std::string& path) {
    ImageCache& cache = imageCache();
    FileStamp stamp;
    const bool exists = fileStamp(path, stamp);
    {
        std::lock_guard<std::mutex> guard(cache.lock);
        const auto found = cache.entries.find(path);
        if (found != cache.entries.end()) {
            if (exists && found->second->stamp == stamp) return found->second;
            cache.bytes -= footprint(*found->second);
            cache.entries.erase(found);
        }
    }
    if (!exists) return nullptr;
    // Decoded without the lock, so other jobs' lookups never wait for a decode; two jobs that
    // meet a new file at once both decode it, and the later one's entry stays.
    std::shared_ptr<const CachedImage> entry = decode(path, stamp);
    std::lock_guard<std::mutex> guard(cache.lock);
    auto& slot = cache.entries[path];
    if (slot) cache.bytes -= footprint(*slot);
    if (cache.bytes + footprint(*entry) > kCacheBytes) {
        cache.entries.clear();
        cache.bytes = 0;
        cache.entries[path] = entry;
    } else {
        slot = entry;
    }
    cache.bytes += footprint(*entry);
    return entry;
}

// The halftone of the image at `path`, or nullptr (noted in the job) when it cannot be loaded.
std::shared_ptr<const CachedImage> loadable(JobContext& job, const std::string& path) {
    std::shared_ptr<const CachedImage> image = lookUp(path);
    if (image && image->halftone) return image;
    auto& noted = job.unloadedImages;
    if (std::find(noted.begin(), noted.end(), path) == noted.end()) noted.push_back(path);
    return nullptr;
}

}  // namespace

std::optional<Canvas> receiptHalftone(const Image& pixels) {
    int32_t width = 0, height = 0;
    if (!drawnSize(pixels.width, pixels.height, width, height)) return std::nullopt;
    std::optional<Canvas> halftone(std::in_place, width, height);
    stretchImage(*halftone, pixels, {0, 0, width, height});
    return halftone;
}

std::string resolveImagePath(const JobContext& job, const std::string& raw) {
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
    return job.imageDirectory + "\\node_modules\\printer\\" + "GDIImageDirectory" + filePart;
}

int32_t receiptImageHeight(JobContext& job, const std::string& path) {
    const auto image = loadable(job, path);
    return image ? image->halftone->height + kGap : 1;
}

int32_t drawReceiptImage(JobContext& job, Canvas& canvas, int32_t x, int32_t y,
                         const std::string& path) {
    const auto image = loadable(job, path);
    if (!image) return 0;
    copyCanvas(canvas, *image->halftone, x + kGap, y + kGap);
    return image->halftone->height + kGap;
}

}  // namespace kestrane
