#include "render/qr_symbol.h"

#include <qrencode.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace kestrane {

namespace {

// The area of a symbol as it is copied: modules of `moduleSize` pixels, cut to the placement.
// Null when the encoder refuses the text.
std::shared_ptr<const Canvas> encodeSymbol(const std::string& text, QrPlacement placement) {
    std::unique_ptr<QRcode, void (*)(QRcode*)> symbol(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1), QRcode_free);
    if (!symbol) return nullptr;
    const int32_t modules = symbol->width, m = placement.moduleSize;
    auto area = std::make_shared<Canvas>(std::min(modules * m, placement.width),
                                         std::min(modules * m, placement.height));
    // Module row 0 is the top row: the finder patterns land top-left, top-right and
    // bottom-left, as scanners and inspectors expect.
    for (int32_t row = 0; row < modules; ++row) {
        for (int32_t column = 0; column < modules; ++column) {
            if ((symbol->data[row * modules + column] & 1) == 0) continue;
            fillRect(*area, {column * m, row * m, (column + 1) * m, (row + 1) * m}, true);
        }
    }
    return area;
}

// Receipts repeat their QR texts (a shop's address, a survey link): a symbol is encoded once per
// text and placement and kept, up to a bound, like the images.
constexpr std::size_t kKeptSymbols = 256;

std::shared_ptr<const Canvas> symbolArea(const std::string& text, QrPlacement placement) {
    using Key = std::pair<std::string, std::array<int32_t, 3>>;
    static std::mutex lock;
    static std::map<Key, std::shared_ptr<const Canvas>> kept;
    Key key{text, {placement.moduleSize, placement.width, placement.height}};
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (const auto found = kept.find(key); found != kept.end()) return found->second;
    }
    std::shared_ptr<const Canvas> area = encodeSymbol(text, placement);
    const std::lock_guard<std::mutex> guard(lock);
    if (kept.size() >= kKeptSymbols) kept.clear();
    kept.emplace(std::move(key), area);
    return area;
}

}  // namespace

QrPlacement fiscalQrPlacement(std::size_t length) {
    if (length > 170) return {4, 100, 400, 400};
    if (length > 80 && length < 170) return {4, 150, 400, 400};
    return {6, 150, 400, 400};
}

int drawQrSymbol(const std::string& text, Canvas& canvas, int32_t top, QrPlacement placement) {
    if (placement.moduleSize <= 0) return 0;
    if (const std::shared_ptr<const Canvas> area = symbolArea(text, placement)) {
        copyCanvas(canvas, *area, placement.left, top);
    }
    return 0;
}

}  // namespace kestrane
