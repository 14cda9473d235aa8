#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/file_path.h"
#include "platform/image.h"

namespace kestrane {

namespace {

// Receipt images are drawn 550 pixels wide; anything beyond these sizes is not decoded whole and
// is refused before its pixels are allocated. With them a file costs at most about 60 MB while it
// is decoded (the file, then stb's pixels and ours) and a tenth of a second.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = 8 * 1024 * 1024;

// Larger files are shrunk while they are read, a band at a time: memory is a band (its file rows
// and their RGB, each at most kBandBytes) whatever the file's size, so only time grows with it.
// kMaxShrunkPixels bounds that time, once per version of the file: at the cap 2.5 s for 24 bits
// a pixel, 7.5 s for 32 with bit masks (stb's slowest form) on the 2-core build machine.
constexpr int64_t kMaxShrunkPixels = int64_t{1} << 28;
constexpr int64_t kBandBytes = 4 << 20;
// stb_image refuses pixels that start later than its longest header and a 256-colour palette
// (about 1,200 bytes), so no more of a file's start is ever kept.
constexpr int64_t kMaxHeaderBytes = 2048;

uint32_t le32(const unsigned char* p) {
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void put16(std::string& data, std::size_t at, uint32_t value) {
    data[at] = static_cast<char>(value & 0xFF);
    data[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
void put32(std::string& data, std::size_t at, uint32_t value) {
    put16(data, at, value & 0xFFFF);
    put16(data, at + 2, value >> 16);
}

// The fields of a BMP file's headers that say where its pixels are and how they are laid out.
struct BitmapHeaders {
    uint32_t offset = 0, headerSize = 0;
    int64_t width = 0, height = 0;  // height below 0: rows stored top-down
    int64_t bitCount = 0, compression = 0;
};

// The fields as stb_image reads them: the 12-byte core header's sizes are unsigned, its rows
// bottom-up.
bool readHeaders(const std::string& data, BitmapHeaders& headers) {
    if (data.size() < 26) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    if (p[0] != 'B' || p[1] != 'M') return false;
    headers.offset = le32(p + 10);
    headers.headerSize = le32(p + 14);
    if (headers.headerSize == 12) {
        headers.width = le16(p + 18);
        headers.height = le16(p + 20);
        headers.bitCount = le16(p + 24);
        headers.compression = 0;
        return true;
    }
    if (headers.headerSize < 40 || data.size() < 34) return false;
    headers.width = static_cast<int32_t>(le32(p + 18));
    headers.height = static_cast<int32_t>(le32(p + 22));
    headers.bitCount = le16(p + 28);
    headers.compression = le32(p + 30);
    return true;
}

int64_t rowStride(int64_t width, int64_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

// Whether the headers (the start of a file of `size` bytes) describe a bitmap that the file is
// long enough to hold.
bool plausibleBitmap(const std::string& data, int64_t size) {
    BitmapHeaders headers;
    if (!readHeaders(data, headers)) return false;
    const int64_t width = headers.width, height = std::abs(headers.height);
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    if (width * height > kMaxPixels) return false;
    if (headers.compression != 0 && headers.compression != 3) return false;  // no run-length data
    return int64_t{headers.offset} + rowStride(width, headers.bitCount) * height <= size;
}

// The two forms logos are mostly saved in, 24-bit and 256-colour bitmaps with the 40-byte header
// and nothing between it, the palette and the pixels, decoded here to the very pixels stb_image
// gives them: stb reads a byte at a time through a check of its buffer, several times slower,
// and its pixels would then be copied once more. These are exactly the files of such a header
// that stb accepts (it refuses a gap before the pixels, and every byte has a palette entry);
// false for any other, which stb decodes. `data` is a plausibleBitmap, which holds all its rows.
bool decodePlainBitmap(const std::string& data, Image& image) {
    BitmapHeaders headers;
    if (!readHeaders(data, headers) || headers.headerSize != 40 || headers.compression != 0) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const bool palette = headers.bitCount == 8;
    const bool plain = (headers.bitCount == 24 && headers.offset == 54) ||
                       (palette && headers.offset == 54 + 256 * 4);
    if (!plain || le16(bytes + 26) != 1) return false;  // one plane, as stb requires
    const int64_t width = headers.width, height = std::abs(headers.height);
    const int64_t stride = rowStride(width, headers.bitCount);
    const unsigned char* colours = bytes + 54;  // blue, green, red and a spare byte each
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.rgb.resize(static_cast<std::size_t>(width * height * 3));
    uint8_t* out = image.rgb.data();
    for (int64_t y = 0; y < height; ++y) {
        // A positive height stores the rows bottom-up.
        const unsigned char* row =
            bytes + headers.offset + (headers.height > 0 ? height - 1 - y : y) * stride;
        for (int64_t x = 0; x < width; ++x, out += 3) {
            const unsigned char* bgr = palette ? colours + row[x] * 4 : row + x * 3;
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    return true;
}

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File openFile(const std::string& enginePath) {
    return File(std::fopen(nativePath(enginePath).c_str(), "rb"), std::fclose);
}

// A file the banded loader reads: its fields, and its bytes before the pixels (headers, bit
// masks, palette), which begin every band given to stb_image.
struct BitmapLayout {
    BitmapHeaders headers;
    int64_t height = 0;
    bool topDown = false;
    int64_t stride = 0;
    std::string start;
};

// The layout of a file that holds all its rows, in a form stb_image decodes; false otherwise.
bool readLayout(std::FILE* file, BitmapLayout& layout) {
    // Every byte read lies before 2^30 + 2 KiB (kMaxShrunkPixels pixels of at most 4 bytes after
    // kMaxHeaderBytes), where a 32-bit long (Windows') still seeks. A file longer than such a long
    // counts is refused: gigabytes of something else would follow its rows.
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const int64_t size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) return false;
    layout.start.assign(static_cast<std::size_t>(std::min(size, kMaxHeaderBytes)), '\0');
    if (std::fread(layout.start.data(), 1, layout.start.size(), file) != layout.start.size()) {
        return false;
    }
    BitmapHeaders& headers = layout.headers;
    if (!readHeaders(layout.start, headers)) return false;
    const uint32_t hsz = headers.headerSize;
    if (hsz != 12 && hsz != 40 && hsz != 56 && hsz != 108 && hsz != 124) return false;
    const int64_t bits = headers.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (headers.compression != 0 && headers.compression != 3) return false;
    // The sizes rewritten for each band lie in the kept bytes.
    if (headers.offset < 14 + hsz || headers.offset > layout.start.size()) return false;
    layout.start.resize(headers.offset);
    layout.height = std::abs(headers.height);
    layout.topDown = headers.height < 0;
    if (headers.width <= 0 || layout.height <= 0) return false;
    if (headers.width * layout.height > kMaxShrunkPixels) return false;
    layout.stride = rowStride(headers.width, bits);
    return headers.offset + layout.stride * layout.height <= size;
}

using Pixels = std::unique_ptr<stbi_uc, void (*)(void*)>;

// Rows [y0, y1) of columns [x0, x1) decoded by stb_image, from a BMP of the file's own bytes
// before its pixels, its sizes made the piece's, and the piece's bytes of those rows. A piece
// is whole rows or some columns of one row; x0 is a multiple of 8, so those start on a byte.
Pixels decodePiece(std::FILE* file, const BitmapLayout& layout, int64_t y0, int64_t y1,
                   int64_t x0, int64_t x1, std::string& bmp) {
    Pixels none(nullptr, stbi_image_free);
    const BitmapHeaders& headers = layout.headers;
    const int64_t rows = y1 - y0, columns = x1 - x0;
    // Bottom-up files store the last row first: image rows [y0, y1) are file rows
    // [height - y1, height - y0), kept in that order with the sign of the file's height.
    const int64_t firstRow = layout.topDown ? y0 : layout.height - y1;
    const int64_t at = headers.offset + firstRow * layout.stride + x0 * headers.bitCount / 8;
    const int64_t stride = rowStride(columns, headers.bitCount);
    const int64_t bytes = columns == headers.width ? rows * stride
                                                   : (columns * headers.bitCount + 7) / 8;
    bmp.assign(layout.start);
    bmp.resize(bmp.size() + static_cast<std::size_t>(rows * stride), '\0');
    if (std::fseek(file, static_cast<long>(at), SEEK_SET) != 0 ||
        std::fread(&bmp[headers.offset], 1, static_cast<std::size_t>(bytes), file) !=
            static_cast<std::size_t>(bytes)) {
        return none;
    }
    // stb reads neither the file's size (byte 2) nor the pixels' (byte 34): they stay as they are.
    if (headers.headerSize == 12) {
        put16(bmp, 18, static_cast<uint32_t>(columns));
        put16(bmp, 20, static_cast<uint32_t>(rows));
    } else {
        put32(bmp, 18, static_cast<uint32_t>(columns));
        put32(bmp, 22, static_cast<uint32_t>(layout.topDown ? -rows : rows));
    }
    int width = 0, height = 0, channels = 0;
    Pixels pixels(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bmp.data()),
                              static_cast<int>(bmp.size()), &width, &height, &channels, 3),
        stbi_image_free);
    return pixels && width == columns && height == rows ? std::move(pixels) : std::move(none);
}

// Source rows in order, decoded a band of rows at a time, or a piece of a row at a time when one
// row is more than a band.
struct BandReader {
    std::FILE* file;
    const BitmapLayout& layout;
    int64_t bandRows;
    int64_t pieceColumns;
    int64_t top = 0, bottom = 0;  // the rows in `band`
    Pixels band{nullptr, stbi_image_free};
    std::string bmp{};  // kept from band to band, so its pages are not mapped afresh for each
};

// Adds columns [x0, x1) of a source row (its RGB at `rgb`) to the sums of the destination
// columns whose boxes hold them.
void addColumns(const stbi_uc* rgb, int64_t x0, int64_t x1, const std::vector<int64_t>& from,
                const std::vector<int64_t>& to, std::vector<int64_t>& sums) {
    for (std::size_t dx = 0; dx < from.size(); ++dx) {
        const int64_t end = std::min(to[dx], x1);
        for (int64_t sx = std::max(from[dx], x0); sx < end; ++sx) {
            for (int c = 0; c < 3; ++c) sums[dx * 3 + c] += rgb[(sx - x0) * 3 + c];
        }
    }
}

// Adds source row `sy`, the row after the last one read, to `sums`.
bool addSourceRow(BandReader& reader, int64_t sy, const std::vector<int64_t>& from,
                  const std::vector<int64_t>& to, std::vector<int64_t>& sums) {
    const int64_t width = reader.layout.headers.width;
    if (reader.pieceColumns < width) {
        for (int64_t x0 = 0; x0 < width; x0 += reader.pieceColumns) {
            const int64_t x1 = std::min(width, x0 + reader.pieceColumns);
            const Pixels piece =
                decodePiece(reader.file, reader.layout, sy, sy + 1, x0, x1, reader.bmp);
            if (!piece) return false;
            addColumns(piece.get(), x0, x1, from, to, sums);
        }
        return true;
    }
    if (sy >= reader.bottom) {
        reader.band.reset();  // freed before the next is decoded
        reader.top = sy;
        reader.bottom = std::min(reader.layout.height, sy + reader.bandRows);
        reader.band = decodePiece(reader.file, reader.layout, reader.top, reader.bottom, 0, width,
                                  reader.bmp);
        if (!reader.band) return false;
    }
    addColumns(reader.band.get() + (sy - reader.top) * width * 3, 0, width, from, to, sums);
    return true;
}

}  // namespace

bool readBitmapFile(const std::string& enginePath, std::string& data) {
    const File file = openFile(enginePath);
    if (!file) return false;
    // Sized from the file, read at once; a file larger than the largest image is no image.
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file.get());
    if (size < 0 || size > kMaxPixels * 4 + 65536 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return false;
    }
    // The headers first: a file too large to decode whole is not read whole either.
    data.assign(static_cast<std::size_t>(std::min(size, 34L)), '\0');
    if (std::fread(data.data(), 1, data.size(), file.get()) != data.size() ||
        !plausibleBitmap(data, size)) {
        return false;
    }
    const std::size_t read = data.size();
    data.resize(static_cast<std::size_t>(size));
    return std::fread(&data[read], 1, data.size() - read, file.get()) == data.size() - read;
}

bool decodeBitmap(std::string data, Image& image) {
    if (!plausibleBitmap(data, static_cast<int64_t>(data.size()))) return false;
    if (decodePlainBitmap(data, image)) return true;
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

bool readBitmapSize(const std::string& enginePath, int32_t& width, int32_t& height) {
    const File file = openFile(enginePath);
    BitmapLayout layout;
    if (!file || !readLayout(file.get(), layout)) return false;
    width = static_cast<int32_t>(layout.headers.width);
    height = static_cast<int32_t>(layout.height);
    return true;
}

bool loadBitmapShrunk(const std::string& enginePath, int32_t width, int32_t height, Image& image) {
    image = Image();
    const File file = openFile(enginePath);
    BitmapLayout layout;
    if (width <= 0 || height <= 0 || !file || !readLayout(file.get(), layout)) return false;
    const int64_t sw = layout.headers.width, sh = layout.height, dw = width, dh = height;
    // Each destination column's source columns, at least one, as stretchImage takes them.
    std::vector<int64_t> from(static_cast<std::size_t>(dw)), to(from.size());
    for (std::size_t dx = 0; dx < from.size(); ++dx) {
        const auto d = static_cast<int64_t>(dx);
        from[dx] = d * sw / dw;
        to[dx] = std::max(from[dx] + 1, (d + 1) * sw / dw);
    }
    // A band's file rows and its RGB each fit kBandBytes; bits a pixel are at most 32, so a
    // piece of kBandBytes / 4 columns does too.
    const int64_t rowBytes = std::max(layout.stride, sw * 3);
    BandReader reader{file.get(), layout, std::max<int64_t>(1, kBandBytes / rowBytes),
                      rowBytes > kBandBytes ? kBandBytes / 4 : sw};
    // The sums of the last source row read (a row that several destination rows repeat is read
    // once) and of the current destination row's box.
    std::vector<int64_t> rowSums(from.size() * 3), boxSums(rowSums.size());
    int64_t sumsRow = -1;
    std::vector<uint8_t> rgb(static_cast<std::size_t>(dw * dh * 3));
    for (int64_t dy = 0; dy < dh; ++dy) {
        const int64_t sy0 = dy * sh / dh, sy1 = std::max(sy0 + 1, (dy + 1) * sh / dh);
        std::fill(boxSums.begin(), boxSums.end(), 0);
        for (int64_t sy = sy0; sy < sy1; ++sy) {
            if (sy != sumsRow) {
                std::fill(rowSums.begin(), rowSums.end(), 0);
                if (!addSourceRow(reader, sy, from, to, rowSums)) return false;
                sumsRow = sy;
            }
            for (std::size_t i = 0; i < rowSums.size(); ++i) boxSums[i] += rowSums[i];
        }
        uint8_t* out = &rgb[static_cast<std::size_t>(dy * dw * 3)];
        for (std::size_t dx = 0; dx < from.size(); ++dx) {
            const int64_t area = (sy1 - sy0) * (to[dx] - from[dx]);
            for (int c = 0; c < 3; ++c) {
                out[dx * 3 + c] = static_cast<uint8_t>(boxSums[dx * 3 + c] / area);
            }
        }
    }
    image.width = width;
    image.height = height;
    image.rgb = std::move(rgb);
    return true;
}

}  // namespace kestrane
