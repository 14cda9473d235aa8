#include <stb_image.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/file_path.h"
#include "platform/image.h"

namespace kestrane {

namespace {

// Receipt images are drawn 550 pixels wide; anything beyond these sizes is not a receipt image
// and is refused before its pixels are allocated. With them a file costs at most about 60 MB
// while it is decoded (the file, then stb's pixels and ours) and a tenth of a second.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = 8 * 1024 * 1024;

uint32_t le32(const unsigned char* p) {
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Whether the headers describe a bitmap that the file is long enough to hold.
bool plausibleBitmap(const std::string& data) {
    if (data.size() < 26) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    if (p[0] != 'B' || p[1] != 'M') return false;
    const uint32_t offset = le32(p + 10), headerSize = le32(p + 14);
    int64_t width, height, bitCount, compression = 0;
    if (headerSize == 12) {
        width = le16(p + 18);
        height = static_cast<int16_t>(le16(p + 20));
        bitCount = le16(p + 24);
    } else {
        if (headerSize < 40 || data.size() < 34) return false;
        width = static_cast<int32_t>(le32(p + 18));
        height = static_cast<int32_t>(le32(p + 22));
        bitCount = le16(p + 28);
        compression = le32(p + 30);
    }
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    if (width * height > kMaxPixels) return false;
    if (compression != 0 && compression != 3) return false;  // run-length data is not read
    const int64_t stride = (width * bitCount + 31) / 32 * 4;
    return int64_t{offset} + stride * height <= static_cast<int64_t>(data.size());
}

}  // namespace

bool readBitmapFile(const std::string& enginePath, std::string& data) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(nativePath(enginePath).c_str(), "rb"), std::fclose);
    if (!file) return false;
    // Sized from the file, read at once; a file larger than the largest image is no image.
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file.get());
    if (size < 0 || size > kMaxPixels * 4 + 65536 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return false;
    }
    data.assign(static_cast<std::size_t>(size), '\0');
    return std::fread(data.data(), 1, data.size(), file.get()) == data.size() &&
           plausibleBitmap(data);
}

bool decodeBitmap(std::string data, Image& image) {
    if (!plausibleBitmap(data)) return false;
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(data.data()),
                                            static_cast<int>(data.size()), &width, &height,
                                            &channels, 3);
    std::string().swap(data);
    if (pixels == nullptr) return false;
    image.width = width;
    image.height = height;
    image.rgb.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 3);
    stbi_image_free(pixels);
    return true;
}

}  // namespace kestrane
