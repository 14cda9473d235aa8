#include "render/qr_symbol.h"

#include <qrencode.h>

#include <algorithm>
#include <memory>

#include "platform/image.h"

namespace kestrane {

QrPlacement fiscalQrPlacement(std::size_t length) {
    if (length > 170) return {4, 100, 400, 400};
    if (length > 80 && length < 170) return {4, 150, 400, 400};
    return {6, 150, 400, 400};
}

int drawQrSymbol(const std::string& text, Canvas& canvas, int32_t top, QrPlacement placement) {
    std::unique_ptr<QRcode, void (*)(QRcode*)> symbol(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1), QRcode_free);
    if (!symbol || placement.moduleSize <= 0) return 0;
    const int32_t modules = symbol->width, m = placement.moduleSize;
    Image image;
    image.width = image.height = modules * m;
    image.rgb.assign(static_cast<std::size_t>(image.width) * image.height * 3, 0xFF);
    // Module row 0 is the top row of the image: the finder patterns land top-left, top-right
    // and bottom-left, as scanners and inspectors expect.
    for (int32_t row = 0; row < modules; ++row) {
        for (int32_t column = 0; column < modules; ++column) {
            if ((symbol->data[row * modules + column] & 1) == 0) continue;
            for (int32_t y = row * m; y < (row + 1) * m; ++y) {
                const auto start = (static_cast<std::size_t>(y) * image.width + column * m) * 3;
                std::fill_n(image.rgb.begin() + static_cast<std::ptrdiff_t>(start), m * 3, 0);
            }
        }
    }
    copyImage(canvas, image, placement.left, top, placement.width, placement.height);
    return 0;
}

}  // namespace kestrane
