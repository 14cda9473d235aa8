// PNG files of a canvas, written whole here: the signature, IHDR (one-bit greyscale), IDAT and
// IEND. The image data (each row led by filter byte 0, None, then the canvas row unchanged) goes
// through a deflate encoder made for receipts.
#include "platform/png_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/raster/png_checksums.h"
#include "platform/raster/row_deflate.h"

namespace kestrane {

namespace {

void putBig32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

// A chunk holds at most 2^31 - 1 bytes of data: a longer stream goes in pieces of 1 GiB.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

// The CRC of `bytes` from `at` on, appended.
void appendCrc(std::string& bytes, std::size_t at) {
    uint8_t crc[4];
    putBig32(crc, pngCrc32(reinterpret_cast<const uint8_t*>(bytes.data()) + at, bytes.size() - at));
    bytes.append(reinterpret_cast<const char*>(crc), 4);
}

// Room for `n` bytes of rows. The last image's room is kept for the next one on the same thread,
// up to a size: room of an image's size, freed, goes back to the system, and taken again it is
// paid for page by page.
uint8_t* rowRoom(std::size_t n, std::unique_ptr<uint8_t[]>& own) {
    constexpr std::size_t kKeptBytes = std::size_t{1} << 20;
    thread_local std::unique_ptr<uint8_t[]> kept;
    thread_local std::size_t keptBytes = 0;
    if (n > kKeptBytes) {
        own.reset(new uint8_t[n]);
        return own.get();
    }
    if (keptBytes < n) {
        kept.reset(new uint8_t[n]);
        keptBytes = n;
    }
    return kept.get();
}

}  // namespace

bool encodePng(const Canvas& canvas, std::string& bytes) {
    bytes.clear();
    if (canvas.width <= 0 || canvas.height <= 0) return false;
    const auto stride = static_cast<std::size_t>(canvas.stride);
    const std::size_t row = stride + 1;
    const std::size_t n = row * static_cast<std::size_t>(canvas.height);
    // The rows as PNG filters them (filter byte 0, None, then the row unchanged: the canvas
    // stores white as 1, as one-bit greyscale does), and eight bytes more for reads ahead.
    std::unique_ptr<uint8_t[]> own;
    uint8_t* data = rowRoom(n + 8, own);
    // Sixteen bytes at a time, the last piece of a row overlapping the one before: rows are too
    // short for a call to memcpy to pay.
    for (std::size_t y = 0; y < static_cast<std::size_t>(canvas.height); ++y) {
        uint8_t* to = &data[y * row];
        const uint8_t* from = &canvas.bits[y * stride];
        *to++ = 0;
        if (stride < 16) {
            std::memcpy(to, from, stride);
            continue;
        }
        for (std::size_t k = 0; k + 16 < stride; k += 16) std::memcpy(to + k, from + k, 16);
        std::memcpy(to + stride - 16, from + stride - 16, 16);
    }
    std::memset(&data[n], 0, 8);

    // The signature, IHDR (bit depth 1, colour type 0: greyscale, compression 0, filters 0, no
    // interlacing), then IDAT's length and type, then the zlib stream's header (deflate with a
    // 32 KiB window, no dictionary, the check bits).
    uint8_t head[43] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                        0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    putBig32(head + 16, static_cast<uint32_t>(canvas.width));
    putBig32(head + 20, static_cast<uint32_t>(canvas.height));
    head[24] = 1;
    putBig32(head + 29, pngCrc32(head + 12, 17));
    constexpr std::size_t kIdat = 33;
    std::memcpy(head + kIdat + 4, "IDAT", 4);
    head[kIdat + 8] = 0x78;
    head[kIdat + 9] = 0x01;
    bytes.assign(reinterpret_cast<const char*>(head), sizeof head);
    deflateRows(data, n, row, bytes);
    uint8_t adler[4];
    putBig32(adler, pngAdler32(data, n));
    bytes.append(reinterpret_cast<const char*>(adler), 4);

    const std::size_t stream = bytes.size() - kIdat - 8;
    if (stream <= kMaxChunk) {
        putBig32(reinterpret_cast<uint8_t*>(&bytes[kIdat]), static_cast<uint32_t>(stream));
        appendCrc(bytes, kIdat + 4);
    } else {
        // More than a chunk holds: the file again, the stream in pieces.
        std::string pieces(bytes, 0, kIdat);
        for (std::size_t at = kIdat + 8; at < bytes.size(); at += kMaxChunk) {
            const std::size_t piece = std::min(kMaxChunk, bytes.size() - at);
            uint8_t length[4];
            putBig32(length, static_cast<uint32_t>(piece));
            pieces.append(reinterpret_cast<const char*>(length), 4);
            const std::size_t type = pieces.size();
            pieces.append("IDAT", 4);
            pieces.append(bytes, at, piece);
            appendCrc(pieces, type);
        }
        bytes.swap(pieces);
    }
    // IEND: no data, then the CRC of its type.
    bytes.append("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    return true;
}

bool writePngFile(const Canvas& canvas, const std::string& path, std::string& error) {
    std::string bytes;
    if (!encodePng(canvas, bytes)) {
        error = path + ": empty canvas";
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
