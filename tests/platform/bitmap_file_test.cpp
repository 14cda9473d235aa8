#include <gtest/gtest.h>

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
