#include "render/receipt_image.h"

#include "platform/image.h"

namespace kestrane {

std::string imageDirectory;

namespace {

constexpr int32_t kImageWidth = 550;
constexpr int32_t kGap = 10;

double scaleOf(const Image& image) { return static_cast<double>(kImageWidth) / image.width; }

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
    Image image;
    if (!loadBitmapFile(path, image)) return 1;
    return static_cast<int32_t>(scaleOf(image) * image.height) + kGap;
}

int32_t drawReceiptImage(Canvas& canvas, int32_t x, int32_t y, const std::string& path) {
    Image image;
    if (!loadBitmapFile(path, image)) return 0;
    const double scale = scaleOf(image);
    const auto drawnWidth = static_cast<int32_t>(image.width * scale);
    const auto drawnHeight = static_cast<int32_t>(image.height * scale);
    stretchImage(canvas, image,
                 {x + kGap, y + kGap, x + kGap + drawnWidth, y + kGap + drawnHeight});
    return drawnHeight + kGap;
}

}  // namespace kestrane
