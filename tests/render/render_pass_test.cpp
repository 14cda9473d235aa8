#include "render/render_pass.h"

#include <gtest/gtest.h>

#include "render/fonts.h"
#include "render/receipt_image.h"
#include "render/receipt_section.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::blackBounds;
using testing::countBlack;

Canvas draw(const std::string& rows, Variant variant = Variant::AddOn, const std::string& base = ".") {
    JobContext job{base};
    SectionImage image = renderSection(job, "<table>" + rows + "</table>", variant);
    EXPECT_EQ(image.failure, SectionFailure::kNone) << rows;
    return image.canvas ? std::move(*image.canvas) : Canvas(0, 0);
}

// Ink of the first text row (y 0 to 24) between x = from and x = to.
Rect inkIn(const Canvas& canvas, int32_t from, int32_t to) {
    return blackBounds(canvas, {from, 0, to, 24});
}

// The ink `text` leaves on one line when its pen starts at `pen`: from the first glyph's left
// edge to the last glyph's right edge.
std::pair<int32_t, int32_t> inkSpan(const Font* font, const std::string& text, int32_t pen) {
    const auto first = static_cast<unsigned char>(text.front());
    const auto last = static_cast<unsigned char>(text.back());
    const GlyphImage lastGlyph = glyphImage(font, last);
    const int32_t lastPen = pen + textWidth(font, text) - charAdvance(font, last);
    return {pen + glyphImage(font, first).left, lastPen + lastGlyph.left + lastGlyph.width};
}

TEST(RenderPassTest, ThreeCellColumns) {
    const std::string colon = "<td><strong>:</strong></td>";
    const int32_t www = textWidth(SmallFont(), "WWW"), boldWww = textWidth(SmallBoldFont(), "WWW");
    const struct {
        const char* what;
        std::string row;
        Variant variant;
        int32_t pen;  // where the probed text starts
        const Font* font;
        std::string text;
        int32_t columnLeft, columnRight;  // the column the text is drawn and clipped in
    } cases[] = {
        {"strong colon in the middle column", "<tr><td>a</td>" + colon + "<td>b</td></tr>",
         Variant::AddOn, 278, SmallBoldFont(), ":", 278, 302},
        {"third column starts at 302", "<tr><td>a</td><td>:</td><td>WWW</td></tr>", Variant::AddOn,
         302, SmallFont(), "WWW", 302, 560},
        {"right-aligned plain third cell, align on the row",
         "<tr><td>a</td><td>:</td><td align=\"right\">WWW</td></tr>", Variant::AddOn, 560 - www,
         SmallFont(), "WWW", 302, 560},
        {"right-aligned centre-strong third cell, align on the row",
         "<tr align=\"right\"><td>a</td><td>:</td><td>\n<center><strong>WWW</strong></center></td></tr>",
         Variant::AddOn, 560 - boldWww, SmallBoldFont(), "WWW", 302, 560},
        {"strong third cell reads align from the cell",
         "<tr><td>a</td><td>:</td><td align=\"right\"><strong>WWW</strong></td></tr>",
         Variant::AddOn, 560 - boldWww, SmallBoldFont(), "WWW", 302, 560},
        {"strong third cell ignores align on the row",
         "<tr align=\"right\"><td>a</td><td>:</td><td><strong>WWW</strong></td></tr>",
         Variant::AddOn, 302, SmallBoldFont(), "WWW", 302, 560},
        {"an unknown cell gives its column to the next",
         "<tr><td>a</td><td><em>x</em></td><td>:</td><td>WWW</td></tr>", Variant::AddOn, 278,
         SmallFont(), ":", 278, 302},
        {"previewer third column starts at 287", "<tr><td>a</td><td></td><td>WWW</td></tr>",
         Variant::Previewer, 287, SmallFont(), "WWW", 287, 550},
        {"previewer has no right alignment",
         "<tr><td>a</td><td></td><td align=\"right\">WWW</td></tr>", Variant::Previewer, 287,
         SmallFont(), "WWW", 287, 550},
    };
    for (const auto& c : cases) {
        const Rect ink = inkIn(draw(c.row, c.variant), c.columnLeft, c.columnRight);
        const auto expected = inkSpan(c.font, c.text, c.pen);
        EXPECT_EQ(ink.left, std::max(expected.first, c.columnLeft)) << c.what;
        EXPECT_EQ(ink.right, std::min(expected.second, c.columnRight)) << c.what;
    }
}

TEST(RenderPassTest, AFourthCellIsNotDrawn) {
    const Canvas three = draw("<tr><td>a</td><td>:</td><td>b</td></tr>");
    const Canvas four = draw("<tr><td>a</td><td>:</td><td>b</td><td>WWWWWWWW</td></tr>");
    EXPECT_EQ(testing::picture(three, {0, 0, 570, 24}), testing::picture(four, {0, 0, 570, 24}));
}

TEST(RenderPassTest, RuleMarkerDrawsA540PixelRule) {
    const Canvas canvas = draw("<tr><td>x</td></tr><tr><td>0x01</td></tr>");
    // The rule row starts at 28; its rule lies 10 pixels lower, from x = 10 to 549.
    EXPECT_EQ(blackBounds(canvas, {0, 28, 570, 56}), (Rect{10, 38, 550, 39}));
    EXPECT_EQ(countBlack(canvas, {0, 28, 570, 56}), 540);
}

TEST(RenderPassTest, FullWidthTextIsPlainOrCentred) {
    const Canvas plain = draw("<tr><td>Left</td></tr>");
    EXPECT_LE(blackBounds(plain, {0, 0, 570, 28}).left, 12);
    const Canvas centred = draw("<tr><td><center>Mid</center></td></tr>");
    const Rect mid = blackBounds(centred, {0, 0, 570, 28});
    const int32_t expected = 10 + (540 - textWidth(LargeFont(), "Mid")) / 2;
    EXPECT_GE(mid.left, expected);
    EXPECT_LE(mid.left, expected + 3);
}

TEST(RenderPassTest, ImagesAndFieldsDrawAtTheRowTop) {
    testing::TempDir base;
    testing::writeBytes(base.imageFolder() + "/logo.bmp", testing::solidBmp(275, 100, {0, 0, 0}));
    const Canvas canvas = draw(
        "<tr><td>Title</td></tr>"
        "<tr><td><center><img src=\"logo.bmp\"></center></td></tr>"
        "<tr><td><input type=\"hidden\" name=\"qrcodeText\" value=\"7\"></td></tr>",
        Variant::AddOn, base.path());
    // The image row starts at 28: the image covers x 10-560, y 38-238.
    EXPECT_EQ(blackBounds(canvas, {0, 28, 570, 238}), (Rect{10, 38, 560, 238}));
    // The QR row starts at 238: the symbol's top-left module is there, at x = 201.
    EXPECT_EQ(blackBounds(canvas, {0, 238, 570, 638}), (Rect{201, 238, 369, 406}));
}

TEST(RenderPassTest, ALogoTooLargeToDecodeWholeIsDrawn) {
    // 4000 x 2100, left half black: more pixels than a file decoded whole may have.
    testing::TempDir base;
    const std::string logo = testing::bmp24(4000, 2100, [](int x, int) {
        return x < 2000 ? testing::Rgb{0, 0, 0} : testing::Rgb{255, 255, 255};
    });
    testing::writeBytes(base.imageFolder() + "/logo.bmp", logo);
    const Canvas canvas = draw(
        "<tr><td>Title</td></tr>"
        "<tr><td><center><img src=\"logo.bmp\"></center></td></tr>"
        "<tr><td>End</td></tr>",
        Variant::AddOn, base.path());
    // The image row starts at 28: the image is 550 x 288 at (10, 38), the next row at 326.
    EXPECT_EQ(blackBounds(canvas, {0, 28, 570, 326}), (Rect{10, 38, 285, 326}));
    EXPECT_GT(countBlack(canvas, {0, 326, 570, canvas.height}), 0);
}

}  // namespace
}  // namespace kestrane
