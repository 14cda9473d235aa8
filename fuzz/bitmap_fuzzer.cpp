// BMP file bytes through the loader's checks and stb_image, then scaled and halftoned as a
// receipt draws an image.
#include <cstddef>
#include <cstdint>
#include <string>

#include "render/receipt_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kestrane::Image image;
    if (!kestrane::decodeBitmap(std::string(reinterpret_cast<const char*>(data), size), image)) {
        return 0;
    }
    if (image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3) __builtin_trap();
    kestrane::receiptHalftone(image);
    return 0;
}
