// Bitmap files decoded by stb_image, where no system loader is used.
#include "platform/image.h"

#include <utility>

namespace kestrane {

bool loadBitmapFile(const std::string& enginePath, Image& image) {
    std::string bytes;
    return readBitmapFile(enginePath, bytes) && decodeBitmap(std::move(bytes), image);
}

}  // namespace kestrane
