#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "platform/image.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::bmp24;
using testing::writeBytes;

TEST(BitmapFileTest, DecodesBitmapsTopDownAsRgb) {
    testing::TempDir dir;
    writeBytes(dir.file("a.bmp"), bmp24(3, 2, [](int x, int y) {
                   return testing::Rgb{static_cast<uint8_t>(x * 100), static_cast<uint8_t>(y * 200), 7};
               }));
    Image image;
    ASSERT_TRUE(loadBitmapFile(dir.file("a.bmp"), image));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.rgb[(1 * 3 + 2) * 3], 200);      // x = 2, y = 1: red
    EXPECT_EQ(image.rgb[(1 * 3 + 2) * 3 + 1], 200);  // green
    EXPECT_EQ(image.rgb[2], 7);                      // blue
    // Windows separators find the same file.
    ASSERT_TRUE(loadBitmapFile(dir.path() + "\\a.bmp", image));
}

// A BMP with the 40-byte header: `bits` 24 or 8 (then `colours` palette entries), rows bottom-up
// unless `topDown`, `gap` bytes between the palette and the pixels, pixel bytes from `random`.
std::string plainBmp(int bits, int32_t width, int32_t height, bool topDown, int colours, int gap,
                     std::mt19937& random) {
    const uint32_t stride = (static_cast<uint32_t>(width) * bits / 8 + 3) / 4 * 4;
    const uint32_t offset = 54 + colours * 4 + gap;
    std::string out = "BM";
    testing::put32(out, offset + stride * height);
    testing::put32(out, 0);
    testing::put32(out, offset);
    testing::put32(out, 40);
    testing::put32(out, static_cast<uint32_t>(width));
    testing::put32(out, static_cast<uint32_t>(topDown ? -height : height));
    testing::put16(out, 1);
    testing::put16(out, static_cast<uint32_t>(bits));
    testing::put32(out, 0);
    testing::put32(out, stride * height);
    testing::put32(out, 2835);
    testing::put32(out, 2835);
    testing::put32(out, static_cast<uint32_t>(colours));
    testing::put32(out, 0);
    for (int i = 0; i < colours * 4 + gap; ++i) out += static_cast<char>(random());
    for (uint32_t i = 0; i < stride * height; ++i) {
        // Palette indices stay below the palette's size.
        out += static_cast<char>(bits == 8 ? random() % colours : random());
    }
    return out;
}

TEST(BitmapFileTest, DecodesAsStbImageDoes) {
    // Every row padding, both row orders, and forms decoded by stb_image itself (a gap before the
    // pixels, a palette of fewer than 256 colours) beside those decoded without it.
    std::mt19937 random(7);
    for (const int bits : {24, 8}) {
        for (const int colours : bits == 8 ? std::vector<int>{256, 16} : std::vector<int>{0}) {
            for (const int gap : {0, 4}) {
                for (int32_t width = 1; width <= 9; ++width) {
                    for (const bool topDown : {false, true}) {
                        const std::string bytes = plainBmp(bits, width, 3, topDown, colours, gap, random);
                        int w = 0, h = 0, channels = 0;
                        const std::unique_ptr<stbi_uc, void (*)(void*)> expected(
                            stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                                  static_cast<int>(bytes.size()), &w, &h, &channels, 3),
                            stbi_image_free);
                        Image image;
                        const bool decoded = decodeBitmap(bytes, image);
                        const auto what = ::testing::Message() << bits << " bits, " << colours << " colours, gap "
                                                               << gap << ", width " << width << (topDown ? ", top-down" : "");
                        ASSERT_EQ(decoded, expected != nullptr) << what;
                        if (!decoded) continue;
                        ASSERT_EQ(image.width, w) << what;
                        ASSERT_EQ(image.height, h) << what;
                        EXPECT_EQ(image.rgb, std::vector<uint8_t>(expected.get(), expected.get() + w * h * 3)) << what;
                    }
                }
            }
        }
    }
}

TEST(BitmapFileTest, RefusesWhatIsNotAWholeBitmap) {
    testing::TempDir dir;
    const std::string good = bmp24(40, 30, [](int, int) { return testing::Rgb{1, 2, 3}; });
    std::string huge = good;
    // The header claims 100000 x 100000 pixels on a file of a few kilobytes.
    for (int i = 0; i < 2; ++i) {
        const uint32_t side = 100000;
        for (int b = 0; b < 4; ++b) huge[18 + i * 4 + b] = static_cast<char>((side >> (8 * b)) & 0xFF);
    }
    std::string bigButShort = good;  // 4000 x 4000: plausible size, missing its pixels
    for (int i = 0; i < 2; ++i) {
        const uint32_t side = 4000;
        for (int b = 0; b < 4; ++b) bigButShort[18 + i * 4 + b] = static_cast<char>((side >> (8 * b)) & 0xFF);
    }
    std::string zeroWidth = good;
    for (int b = 0; b < 4; ++b) zeroWidth[18 + b] = 0;
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"truncated", good.substr(0, good.size() - 100)},
        {"header only", good.substr(0, 54)},
        {"claims 100000 x 100000", huge},
        {"claims more than it holds", bigButShort},
        {"zero width", zeroWidth},
        {"a PNG", "\x89PNG\r\n\x1a\n" + std::string(100, '\0')},
        {"text", "<table></table>"},
    };
    for (const auto& c : cases) {
        writeBytes(dir.file("x.bmp"), c.bytes);
        Image image;
        EXPECT_FALSE(loadBitmapFile(dir.file("x.bmp"), image)) << c.what;
        EXPECT_TRUE(image.rgb.empty()) << c.what;
    }
    Image image;
    EXPECT_FALSE(loadBitmapFile(dir.file("absent.bmp"), image));
    EXPECT_FALSE(loadBitmapFile(dir.path(), image));  // a directory
}

}  // namespace
}  // namespace kestrane
