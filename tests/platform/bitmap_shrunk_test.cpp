// Files too large to decode whole, shrunk band by band: the result must be exactly the box filter
// of stb_image's decode of the whole file, so no band shifts, drops or repeats a row or column.
#include <stb_image.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "platform/image.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::put16;
using testing::put32;

// A pattern that changes along both axes, in every channel.
uint32_t pattern(int64_t x, int64_t y) {
    return static_cast<uint32_t>(((x + 2 * y) & 0xFF) | (((x * y) >> 3) & 0xFF) << 8 |
                                 (((x ^ y) * 13) & 0xFF) << 16);
}

// A BMP file of `pattern`, with the 12- or 40-byte header: palette indexes up to 8 bits a pixel
// (entry i a colour of its own), 0xRRGGBB above.
std::string patternBmp(int32_t width, int32_t height, int bits, int headerSize, bool topDown) {
    const int64_t stride = (int64_t{width} * bits + 31) / 32 * 4;
    const bool core = headerSize == 12;
    const uint32_t colours = bits <= 8 ? 1u << bits : 0;
    const uint32_t offset = 14 + headerSize + colours * (core ? 3 : 4);
    std::string out = "BM";
    put32(out, static_cast<uint32_t>(offset + stride * height));
    put32(out, 0);
    put32(out, offset);
    put32(out, headerSize);
    if (core) {
        put16(out, width), put16(out, height), put16(out, 1), put16(out, bits);
    } else {
        put32(out, width), put32(out, topDown ? -height : height), put16(out, 1), put16(out, bits);
        const auto size = static_cast<uint32_t>(stride * height);
        for (uint32_t field : {0u, size, 2835u, 2835u, 0u, 0u}) put32(out, field);
    }
    for (uint32_t i = 0; i < colours; ++i) {
        out += {static_cast<char>(i * 37), static_cast<char>(i * 91), static_cast<char>(255 - i)};
        if (!core) out += '\0';
    }
    for (int64_t r = 0; r < height; ++r) {
        const int64_t y = topDown ? r : height - 1 - r;
        std::string row(static_cast<std::size_t>(stride), '\0');
        for (int x = 0; x < width; ++x) {
            const uint32_t v = pattern(x, y);
            if (bits > 8) {
                for (int c = 0; c < 3; ++c) row[x * bits / 8 + c] = static_cast<char>(v >> (8 * c));
            } else {
                const uint32_t index = (v ^ v >> 8 ^ v >> 16) & (colours - 1);
                row[x * bits / 8] |= static_cast<char>(index << (8 - bits - x * bits % 8));
            }
        }
        out += row;
    }
    return out;
}

// The box filter of stb_image's decode of the whole file, with stretchImage's boxes.
Image expectedShrink(const std::string& bytes, int64_t dw, int64_t dh) {
    int sw = 0, sh = 0, channels = 0;
    stbi_uc* rgb = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                         static_cast<int>(bytes.size()), &sw, &sh, &channels, 3);
    Image out{static_cast<int32_t>(dw), static_cast<int32_t>(dh),
              std::vector<uint8_t>(static_cast<std::size_t>(dw * dh * 3))};
    if (rgb == nullptr) return Image();
    const auto box = [](int64_t d, int64_t s, int64_t dd) {
        return std::pair<int64_t, int64_t>(d * s / dd, std::max(d * s / dd + 1, (d + 1) * s / dd));
    };
    for (int64_t dy = 0; dy < dh; ++dy) {
        const auto [y0, y1] = box(dy, sh, dh);
        for (int64_t dx = 0; dx < dw; ++dx) {
            const auto [x0, x1] = box(dx, sw, dw);
            for (int c = 0; c < 3; ++c) {
                int64_t sum = 0;
                for (int64_t y = y0; y < y1; ++y) {
                    for (int64_t x = x0; x < x1; ++x) sum += rgb[(y * sw + x) * 3 + c];
                }
                const int64_t area = (y1 - y0) * (x1 - x0);
                out.rgb[static_cast<std::size_t>((dy * dw + dx) * 3 + c)] =
                    static_cast<uint8_t>(sum / area);
            }
        }
    }
    stbi_image_free(rgb);
    return out;
}

TEST(BitmapShrunkTest, EqualsTheBoxFilterOfTheWholeDecode) {
    // Bands are 4 MiB: none of these heights is a whole number of bands, and the last two files'
    // rows are each more than a band, so a row is read in pieces.
    const struct {
        const char* what;
        int32_t width, height;
        int bits, headerSize;
        bool topDown;
        int32_t dw, dh;
    } cases[] = {
        {"24-bit", 4000, 2100, 24, 40, false, 550, 288},
        {"24-bit, top-down", 4000, 2100, 24, 40, true, 550, 288},
        {"8-bit palette", 2897, 2897, 8, 40, false, 550, 550},
        {"24-bit, core header", 3001, 2800, 24, 12, false, 550, 513},
        {"32-bit, top-down, drawn 549 wide", 4212, 2000, 32, 40, true, 549, 261},
        {"1-bit", 5003, 3001, 1, 40, false, 550, 329},
        {"grown along both axes", 549, 15300, 24, 40, false, 550, 15327},
        {"4-bit, odd width, rows in pieces", 1500001, 2, 4, 40, false, 500000, 3},
        {"24-bit, top-down, rows in pieces", 1400000, 3, 24, 40, true, 700001, 2},
    };
    testing::TempDir dir;
    for (const auto& c : cases) {
        const std::string bytes = patternBmp(c.width, c.height, c.bits, c.headerSize, c.topDown);
        testing::writeBytes(dir.file("big.bmp"), bytes);
        int32_t width = 0, height = 0;
        ASSERT_TRUE(readBitmapSize(dir.file("big.bmp"), width, height)) << c.what;
        EXPECT_EQ(width, c.width) << c.what;
        EXPECT_EQ(height, c.height) << c.what;
        Image image;
        ASSERT_TRUE(loadBitmapShrunk(dir.file("big.bmp"), c.dw, c.dh, image)) << c.what;
        const Image expected = expectedShrink(bytes, c.dw, c.dh);
        ASSERT_EQ(expected.rgb.size(), std::size_t{3} * c.dw * c.dh) << c.what;
        EXPECT_EQ(image.width, c.dw) << c.what;
        EXPECT_EQ(image.height, c.dh) << c.what;
        EXPECT_TRUE(image.rgb == expected.rgb) << c.what;
    }
}

TEST(BitmapShrunkTest, RefusesWhatIsNotAWholeBitmapOrTakesTooLong) {
    testing::TempDir dir;
    const std::string big = patternBmp(4000, 2100, 24, 40, false);
    std::string rle = patternBmp(2897, 2897, 8, 40, false);
    rle[30] = 1;
    std::string lateOffset = big;  // pixels after 4 KB of other data: stb refuses it
    lateOffset.insert(54, 4096, '\0');
    lateOffset[11] = static_cast<char>(lateOffset[11] + 16);
    std::string twoBit = big;
    twoBit[28] = 2;
    // 2^28 pixels, the most a file may have, and one row more; sparse files, read no further.
    const auto oneBit = [&](int32_t height) {
        std::string headers = patternBmp(16384, 1, 1, 40, false).substr(0, 62);
        for (int b = 0; b < 4; ++b) headers[22 + b] = static_cast<char>((height >> (8 * b)) & 0xFF);
        testing::writeBytes(dir.file("sparse.bmp"), headers);
        std::filesystem::resize_file(dir.file("sparse.bmp"), 62 + uintmax_t{2048} * height);
        return dir.file("sparse.bmp");
    };
    int32_t width = 0, height = 0;
    EXPECT_TRUE(readBitmapSize(oneBit(16384), width, height));
    EXPECT_EQ(int64_t{width} * height, int64_t{1} << 28);
    EXPECT_FALSE(readBitmapSize(oneBit(16385), width, height));

    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"truncated by a byte", big.substr(0, big.size() - 1)},
        {"run-length coded", rle},
        {"pixels far from the headers", lateOffset},
        {"2 bits a pixel", twoBit},
        {"not a bitmap", "GIF89a" + std::string(40 << 20, '\x7f')},
        {"headers only", big.substr(0, 54)},
    };
    for (const auto& c : cases) {
        testing::writeBytes(dir.file("x.bmp"), c.bytes);
        Image image;
        EXPECT_FALSE(loadBitmapFile(dir.file("x.bmp"), image)) << c.what;
        EXPECT_FALSE(readBitmapSize(dir.file("x.bmp"), width, height)) << c.what;
        EXPECT_FALSE(loadBitmapShrunk(dir.file("x.bmp"), 550, 288, image)) << c.what;
        EXPECT_TRUE(image.rgb.empty()) << c.what;
    }
    Image image;
    EXPECT_FALSE(loadBitmapShrunk(dir.file("absent.bmp"), 550, 288, image));
    testing::writeBytes(dir.file("big.bmp"), big);
    EXPECT_FALSE(loadBitmapShrunk(dir.file("big.bmp"), 0, 288, image));
}

}  // namespace
}  // namespace kestrane
