#include "platform/font.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrane {
namespace {

int ink(const GlyphImage& glyph) {
    int bits = 0;
    for (int i = 0; i < glyph.pitch * glyph.rows; ++i) bits += __builtin_popcount(glyph.bits[i]);
    return bits;
}

const Font* arial(int height, int weight = 400) {
    static const Font* fonts[2][64] = {};
    const Font*& slot = fonts[weight == 700][height];
    if (slot == nullptr) slot = createFont(height, weight, "Arial");
    return slot;
}

TEST(FontTest, ArialResolvesToTheMetricCompatibleFace) {
    ASSERT_NE(arial(28), nullptr);
    EXPECT_STREQ(familyName(arial(28)), "Liberation Sans");
    EXPECT_STREQ(familyName(arial(24, 700)), "Liberation Sans");
}

TEST(FontTest, MeasuresAsTheWindowsTextLayerDoes) {
    // Rounded unhinted advances at the em size a cell height gives; GDI measures the same text
    // at cell height 28 as 131 pixels.
    const struct {
        int height, weight;
        std::string text;
        int32_t width;
    } cases[] = {
        {28, 400, "Hello World", 131},
        {28, 400, "", 0},
        {28, 400, "H", 18},
        {24, 400, "Hello World", 111},
        {24, 700, "Total", 51},
        {28, 400, "    ", 28},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textWidth(arial(c.height, c.weight), c.text), c.width) << c.text << " " << c.height;
    }
}

TEST(FontTest, CellHeightIsTheRequestedHeight) {
    for (const int height : {24, 28}) {
        EXPECT_EQ(cellHeight(arial(height)), height);
        EXPECT_GT(ascent(arial(height)), height * 3 / 4);
        EXPECT_LT(ascent(arial(height)), height);
    }
}

TEST(FontTest, BytesAreWindows1252Characters) {
    const Font* font = arial(28);
    // 0x80 is the euro sign and 0xE9 e-acute in Windows-1252: real glyphs, drawn with ink.
    for (const int byte : {0x80, 0xE9, 0xA9, 0x41}) {
        EXPECT_GT(charAdvance(font, static_cast<unsigned char>(byte)), 0) << byte;
        const GlyphImage glyph = glyphImage(font, static_cast<unsigned char>(byte));
        EXPECT_GT(ink(glyph), 0) << byte;
    }
    EXPECT_EQ(ink(glyphImage(font, ' ')), 0);
    // A missing font measures nothing and has no glyphs.
    EXPECT_EQ(textWidth(nullptr, "abc"), 0);
    EXPECT_EQ(glyphImage(nullptr, 'a').bits, nullptr);
}

}  // namespace
}  // namespace kestrane
