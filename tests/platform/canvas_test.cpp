#include "platform/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <random>

#include "platform/png_file.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

#include <png.h>
#include <stb_image.h>

namespace kestrane {
namespace {

using testing::blackBounds;
using testing::countBlack;
using testing::picture;

const Font* arial28() {
    static const Font* font = createFont(28, 400, "Arial");
    return font;
}

TEST(CanvasTest, StartsWhiteAndPacksEightPixelsAByte) {
    Canvas canvas(570, 3);
    EXPECT_EQ(canvas.stride, 72);
    EXPECT_EQ(countBlack(canvas, {0, 0, 570, 3}), 0);
    setPixel(canvas, 569, 2, true);
    setPixel(canvas, 570, 2, true);  // outside: ignored
    setPixel(canvas, -1, 0, true);
    EXPECT_EQ(countBlack(canvas, {0, 0, 570, 3}), 1);
    EXPECT_TRUE(isBlack(canvas, 569, 2));
    EXPECT_EQ(Canvas(-5, -5).bits.size(), 0u);
}

TEST(CanvasTest, LinesExcludeTheirEndPointAndWidenRightAndDown) {
    Canvas canvas(12, 8);
    moveTo(canvas, 1, 1);
    lineTo(canvas, 6, 1);  // the default pen: one pixel, black
    selectPen(canvas, Pen{2, false});
    moveTo(canvas, 8, 2);
    lineTo(canvas, 8, 6);
    const Pen previous = selectPen(canvas, Pen{2, true});
    EXPECT_EQ(previous.width, 2);
    moveTo(canvas, 8, 3);
    lineTo(canvas, 8, 4);
    EXPECT_EQ(picture(canvas, {0, 0, 12, 8}), (std::vector<std::string>{
                                                  "............",
                                                  ".XXXXX......",
                                                  "........XX..",
                                                  "............",
                                                  "........XX..",
                                                  "........XX..",
                                                  "............",
                                                  "............",
                                              }));
}

TEST(CanvasTest, PlacesLinesLeftCentredOrRightWithinTheRectangle) {
    const int32_t width = textWidth(arial28(), "Total");
    const struct {
        unsigned format;
        int32_t left;
    } cases[] = {
        {kAlignLeft, 10},
        {kAlignCenter, 10 + (540 - width) / 2},
        {kAlignRight, 550 - width},
        {kWordBreak | kAlignRight, 550 - width},
    };
    for (const auto& c : cases) {
        Canvas canvas(570, 40);
        selectFont(canvas, arial28());
        drawText(canvas, "Total", {10, 5, 550, 33}, c.format);
        const Rect ink = blackBounds(canvas, {0, 0, 570, 40});
        // Glyph ink starts at most a few pixels right of the pen and ends before the advance.
        EXPECT_GE(ink.left, c.left) << c.format;
        EXPECT_LE(ink.left, c.left + 3) << c.format;
        EXPECT_LE(ink.right, c.left + width) << c.format;
        EXPECT_GE(ink.top, 5);
        EXPECT_LE(ink.bottom, 33);
    }
}

TEST(CanvasTest, BreaksLinesAtLineFeedsAndWordsAndClips) {
    Canvas canvas(570, 200);
    selectFont(canvas, arial28());
    // Three lines of 28 pixels: "a", then "b" after CR LF, then "c" after a lone CR.
    drawText(canvas, "a\r\nb\rc", {10, 0, 550, 200}, kAlignLeft);
    for (int line = 0; line < 3; ++line) {
        EXPECT_GT(countBlack(canvas, {10, line * 28, 550, line * 28 + 28}), 0) << line;
    }
    EXPECT_EQ(countBlack(canvas, {0, 84, 570, 200}), 0);

    Canvas narrow(200, 200);
    selectFont(narrow, arial28());
    drawText(narrow, "wide words here", {0, 0, 100, 200}, kWordBreak);
    EXPECT_GT(countBlack(narrow, {0, 28, 100, 56}), 0);  // broken onto a second line
    EXPECT_EQ(countBlack(narrow, {100, 0, 200, 200}), 0);  // nothing past the right edge

    Canvas clipped(570, 100);
    selectFont(clipped, arial28());
    drawText(clipped, "one\ntwo\nthree", {10, 10, 550, 38}, kAlignLeft);
    EXPECT_EQ(countBlack(clipped, {0, 38, 570, 100}), 0);
}

TEST(CanvasTest, TextHasAnOpaqueWhiteBackground) {
    Canvas canvas(200, 40);
    fillRect(canvas, {0, 0, 200, 40}, true);
    selectFont(canvas, arial28());
    drawText(canvas, "ii", {0, 0, 200, 40}, kAlignLeft);
    const int32_t width = textWidth(arial28(), "ii");
    const int64_t cell = int64_t{width} * 28;
    const int64_t black = countBlack(canvas, {0, 0, width, 28});
    EXPECT_GT(black, 0);
    EXPECT_LT(black, cell / 2);
    EXPECT_EQ(countBlack(canvas, {width, 0, 200, 28}), int64_t{200 - width} * 28);
}

TEST(CanvasTest, StretchKeepsSolidAreasAndShading) {
    Image black{2, 1, {0, 0, 0, 0, 0, 0}};
    Canvas canvas(20, 10);
    stretchImage(canvas, black, {5, 2, 15, 7});
    EXPECT_EQ(countBlack(canvas, {0, 0, 20, 10}), 50);
    EXPECT_EQ(blackBounds(canvas, {0, 0, 20, 10}).left, 5);

    Image grey;
    grey.width = grey.height = 50;
    grey.rgb.assign(50 * 50 * 3, 128);
    Canvas shaded(100, 100);
    stretchImage(shaded, grey, {0, 0, 100, 100});
    const int64_t dark = countBlack(shaded, {0, 0, 100, 100});
    EXPECT_GT(dark, 4000);  // about half, dithered
    EXPECT_LT(dark, 6000);
}

TEST(CanvasTest, HalftonesAGradientByErrorDiffusion) {
    // Luminance rising left to right and a little downwards, shrunk 2:1 across: the box filter
    // and every weight of the error diffusion show in the pattern.
    Image gradient;
    gradient.width = 64;
    gradient.height = 8;
    for (int y = 0; y < gradient.height; ++y) {
        for (int x = 0; x < gradient.width; ++x) {
            const auto v = static_cast<uint8_t>(std::min(255, x * 4 + y * 3));
            gradient.rgb.insert(gradient.rgb.end(), {v, v, v});
        }
    }
    Canvas canvas(34, 10);
    stretchImage(canvas, gradient, {1, 1, 33, 9});
    EXPECT_EQ(testing::picture(canvas, {0, 0, 34, 10}), (std::vector<std::string>{
        "..................................",
        ".XXXXXXXXXX.XX.X.X.X..X...........",
        ".XXXXXX.X.XX.X.X.X..X..X.X........",
        ".XXXX.XXXX.XX.XX.X.X.X.....X......",
        ".XXXXXX.XXX.XX.X.X..X..X..........",
        ".XXX.XXX.X.X.X.X..X..X...X...X....",
        ".XXXXX.XXXX.X.X.X.X.X..X..........",
        ".XXX.XXX.X.XX.X.X..X......X.......",
        ".XXXXX.XX.X.X.X.X.X..X.X..........",
        "..................................",
    }));
}

TEST(CanvasTest, StretchingAOneBitCanvasKeepsBlack) {
    // A 1-pixel rule, 1-pixel bars two apart, and a lone dot.
    Canvas source(12, 6);
    moveTo(source, 0, 1);
    lineTo(source, 12, 1);
    for (int32_t x : {2, 4, 6}) {
        moveTo(source, x, 3);
        lineTo(source, x, 6);
    }
    setPixel(source, 11, 5, true);
    const struct {
        const char* what;
        int32_t width, height;
        Rect from;
        std::vector<std::string> picture;
    } cases[] = {
        {"halved: every rule, bar and dot stays", 6, 3, {0, 0, 12, 6},
         {"XXXXXX", ".XXX..", ".XXX.X"}},
        {"doubled rows, same columns", 12, 4, {0, 0, 12, 2},
         {"............", "............", "XXXXXXXXXXXX", "XXXXXXXXXXXX"}},
        {"a slice below the canvas is white", 4, 2, {0, 6, 12, 10}, {"....", "...."}},
    };
    for (const auto& c : cases) {
        Canvas target(c.width, c.height);
        stretchCanvas(target, source, c.from);
        EXPECT_EQ(testing::picture(target, {0, 0, c.width, c.height}), c.picture) << c.what;
    }
}

TEST(CanvasTest, StretchingMatchesThePixelByPixelRuleAtEveryScale) {
    // A random picture with a halftone's density, stretched to receipt printer widths, against
    // the rule itself: a target pixel is black when a source pixel of its box is.
    std::mt19937 random(5707);
    Canvas source(570, 40);
    for (int32_t y = 0; y < source.height; ++y) {
        for (int32_t x = 0; x < source.width; ++x) setPixel(source, x, y, random() % 3 == 0);
    }
    const Rect whole{0, 0, 570, 40};
    const struct {
        int32_t width, height;
        Rect from;
    } cases[] = {{575, 41, whole}, {576, 40, whole}, {1140, 80, whole}, {570, 40, whole},
                 {383, 27, whole}, {100, 7, whole}, {575, 30, {0, 15, 570, 45}}};
    for (const auto& c : cases) {
        Canvas target(c.width, c.height);
        stretchCanvas(target, source, c.from);
        const int64_t sw = c.from.right - c.from.left, sh = c.from.bottom - c.from.top;
        int64_t wrong = 0;
        for (int64_t dy = 0; dy < c.height; ++dy) {
            for (int64_t dx = 0; dx < c.width; ++dx) {
                const int64_t x0 = c.from.left + dx * sw / c.width, y0 = c.from.top + dy * sh / c.height;
                const int64_t x1 = std::max(x0 + 1, c.from.left + (dx + 1) * sw / c.width);
                const int64_t y1 = std::max(y0 + 1, c.from.top + (dy + 1) * sh / c.height);
                const Rect box{static_cast<int32_t>(x0), static_cast<int32_t>(y0),
                               static_cast<int32_t>(x1), static_cast<int32_t>(y1)};
                const bool black = countBlack(source, box) > 0;
                wrong += black != isBlack(target, static_cast<int32_t>(dx), static_cast<int32_t>(dy));
            }
        }
        EXPECT_EQ(wrong, 0) << c.width << " x " << c.height;
    }
}

TEST(CanvasTest, CopyIsOneToOneAndCroppedToTheArea) {
    Image image;
    image.width = image.height = 4;
    image.rgb.assign(4 * 4 * 3, 0);  // black
    Canvas canvas(10, 10);
    copyImage(canvas, image, 2, 3, 3, 8);  // a 3-wide area of a 4x4 image
    EXPECT_EQ(blackBounds(canvas, {0, 0, 10, 10}).left, 2);
    EXPECT_EQ(countBlack(canvas, {0, 0, 10, 10}), 12);
    EXPECT_EQ(blackBounds(canvas, {0, 0, 10, 10}).bottom, 7);
}

TEST(CanvasTest, CopyCanvasAtAnyBitOffset) {
    // Widths below a byte, across a few bytes, and past the eight-byte inner copies.
    for (const int32_t width : {5, 21, 150}) {
        Canvas source(width, 3);
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < width; ++x) setPixel(source, x, y, (x * 7 + y * 3) % 5 < 2);
        }
        for (const int32_t at : {0, 3, 8, 10, 45, -2, -9, 120}) {
            Canvas target(250, 6);
            fillRect(target, {0, 0, 250, 6}, true);  // every pixel is copied, white ones too
            copyCanvas(target, source, at, 2);
            for (int32_t y = 0; y < 6; ++y) {
                for (int32_t x = 0; x < 250; ++x) {
                    const bool inside = x >= at && x < at + width && y >= 2 && y < 5;
                    const bool expected = inside ? isBlack(source, x - at, y - 2) : true;
                    ASSERT_EQ(isBlack(target, x, y), expected)
                        << width << " at " << at << ": " << x << "," << y;
                }
            }
        }
    }
}

// A canvas whitened as drawn gives the pixels a white one does, whatever the operations and
// their order: its unwritten rows hold stray bytes here, which show wherever an operation touches
// rows it did not whiten first.
TEST(CanvasTest, WhitenedAsDrawnMatchesAWhiteCanvas) {
    Image grey;
    grey.width = grey.height = 8;
    grey.rgb.assign(8 * 8 * 3, 100);
    Canvas stamp(13, 5);
    fillRect(stamp, {2, 1, 9, 4}, true);
    const std::pair<const char*, std::function<void(Canvas&)>> steps[] = {
        {"halftone", [&](Canvas& c) { stretchImage(c, grey, {40, 100, 90, 140}); }},
        {"rectangle", [](Canvas& c) { fillRect(c, {3, 40, 77, 45}, true); }},
        {"pixel", [](Canvas& c) { setPixel(c, 79, 149, true); }},
        {"slanted line", [](Canvas& c) { moveTo(c, 5, 50); selectPen(c, {2, false}); lineTo(c, 60, 90); }},
        {"text", [](Canvas& c) { selectFont(c, arial28()); textOut(c, 9, 70, "Wg|"); }},
        {"wrapped text", [](Canvas& c) { selectFont(c, arial28()); drawText(c, "a b c d e", {1, 20, 40, 100}, kWordBreak); }},
        {"image", [&](Canvas& c) { copyImage(c, grey, 4, 118, 8, 8); }},
        {"copy", [&](Canvas& c) { copyCanvas(c, stamp, 31, 110); }},
    };
    for (const bool backwards : {false, true}) {
        Canvas white(80, 150);
        Canvas lazy(80, 150, Canvas::WhitenAsDrawn{});
        std::fill(lazy.bits.begin(), lazy.bits.end(), 0x5A);
        const std::size_t count = std::size(steps);
        for (std::size_t i = 0; i < count; ++i) {
            const auto& step = steps[backwards ? count - 1 - i : i];
            step.second(white);
            step.second(lazy);
            if (i == 0) EXPECT_LT(lazy.whiteRows, lazy.height) << step.first;
            for (int32_t y = 0; y < lazy.whiteRows; ++y) {
                for (int32_t x = 0; x < 80; ++x) {
                    ASSERT_EQ(isBlack(lazy, x, y), isBlack(white, x, y)) << step.first << ": " << x << "," << y;
                }
            }
        }
        whitenRows(lazy, lazy.height);
        EXPECT_EQ(lazy.bits, white.bits) << (backwards ? "backwards" : "forwards");
    }
    Canvas noColumns(0, 5, Canvas::WhitenAsDrawn{});
    whitenRows(noColumns, 5);
    EXPECT_EQ(noColumns.whiteRows, 5);
}

TEST(CanvasTest, GlyphsLandAlikeAtEveryBitOffsetAndClipToThePixel) {
    const std::string text = "Wg|ix@";
    const int32_t width = textWidth(arial28(), text);
    Canvas reference(width + 40, 30);
    selectFont(reference, arial28());
    textOut(reference, 0, 0, text);
    ASSERT_GT(countBlack(reference, {0, 0, width, 28}), 0);
    for (int32_t x = 1; x <= 16; ++x) {
        for (const int32_t cut : {width, width - 1, width - 5, width / 2}) {
            Canvas canvas(width + 40, 30);
            selectFont(canvas, arial28());
            drawText(canvas, text, {x, 0, x + cut, 28}, kAlignLeft);
            for (int32_t py = 0; py < 30; ++py) {
                for (int32_t px = 0; px < width + 40; ++px) {
                    const bool expected = px < x + cut && isBlack(reference, px - x, py);
                    ASSERT_EQ(isBlack(canvas, px, py), expected) << "x " << x << " cut " << cut << ": " << px << "," << py;
                }
            }
        }
    }
}

TEST(CanvasTest, WritesAOneBitPngThatReadsBack) {
    testing::TempDir dir;
    Canvas canvas(570, 9);
    moveTo(canvas, 10, 4);
    lineTo(canvas, 550, 4);
    std::string error;
    ASSERT_TRUE(writePngFile(canvas, dir.file("c.png"), error)) << error;
    const std::string bytes = testing::readFile(dir.file("c.png"));
    ASSERT_GT(bytes.size(), 25u);
    EXPECT_EQ(bytes[24], 1);  // bit depth
    EXPECT_EQ(bytes[25], 0);  // greyscale
    int w = 0, h = 0, n = 0;
    unsigned char* grey = stbi_load(dir.file("c.png").c_str(), &w, &h, &n, 1);
    ASSERT_NE(grey, nullptr);
    ASSERT_EQ(w, 570);
    ASSERT_EQ(h, 9);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) ASSERT_EQ(grey[y * w + x] == 0, isBlack(canvas, x, y));
    }
    stbi_image_free(grey);
    EXPECT_FALSE(writePngFile(canvas, dir.file("missing/c.png"), error));
    EXPECT_NE(error.find("missing/c.png"), std::string::npos);
}

// Canvases of every kind the encoder treats apart, read back by libpng (which checks the CRCs
// and the Adler-32 too) pixel for pixel, none longer than its rows stored: blank and solid ones,
// noise that only stored blocks hold (the whole canvas, or its upper half), dithering, rows
// repeated in runs and far apart, sparse marks, widths that are not whole bytes, rows longer than
// a match, rows farther apart than deflate can reach back.
TEST(CanvasTest, PngReadsBackPixelForPixelThroughLibpng) {
    enum Fill { kWhite, kBlack, kNoise, kDither, kRepeats, kSparse, kNoiseAbove };
    struct Case {
        int32_t width, height;
        Fill fill;
    };
    const Case cases[] = {
        {1, 1, kNoise},       {7, 1, kBlack},      {8, 3, kNoise},        {1, 3000, kRepeats},
        {7, 500, kDither},    {570, 1, kSparse},   {570, 1411, kWhite},   {577, 40, kBlack},
        {570, 600, kNoise},   {577, 700, kDither}, {570, 2000, kRepeats}, {577, 1500, kSparse},
        {4100, 60, kRepeats}, {4100, 30, kSparse}, {270000, 3, kSparse},  {270000, 2, kRepeats},
        {570, 4000, kNoise},  {570, 4000, kNoiseAbove},
    };
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << ", fill " << c.fill);
        Canvas canvas(c.width, c.height);
        std::vector<uint8_t> kept(static_cast<std::size_t>(canvas.stride) * 8);
        for (int32_t y = 0; y < c.height; ++y) {
            uint8_t* row = &canvas.bits[static_cast<std::size_t>(y) * canvas.stride];
            switch (c.fill) {
                case kWhite:
                    break;
                case kBlack:
                    fillRect(canvas, {0, y, c.width, y + 1}, true);
                    break;
                case kNoiseAbove:
                    if (y >= c.height / 2) break;
                    [[fallthrough]];
                case kNoise:
                    for (int32_t b = 0; b < canvas.stride; ++b)
                        row[b] = static_cast<uint8_t>(random());
                    break;
                case kDither:
                    for (int32_t x = 0; x < c.width; ++x) setPixel(canvas, x, y, random() % 3 == 0);
                    break;
                case kRepeats:
                    // Eight rows kept, each used again in runs: the same row over and over, or
                    // one seen many rows before.
                    if (y < 8) {
                        for (int32_t b = 0; b < canvas.stride; ++b)
                            row[b] = static_cast<uint8_t>(random() | random());
                        std::copy(row, row + canvas.stride, &kept[y * canvas.stride]);
                    } else {
                        const std::size_t from = (y / (1 + y % 5)) % 8;
                        std::copy(&kept[from * canvas.stride], &kept[(from + 1) * canvas.stride],
                                  row);
                    }
                    break;
                case kSparse:
                    if (random() % 4 == 0) {
                        const int32_t x = static_cast<int32_t>(random() % c.width);
                        fillRect(canvas, {x, y, x + 1 + static_cast<int32_t>(random() % 40), y + 1},
                                 true);
                    }
                    break;
            }
        }
        std::string bytes;
        ASSERT_TRUE(encodePng(canvas, bytes));
        // What no code shortens is stored: the rows, a few bytes a block, the file's chunks.
        const std::size_t raw = (static_cast<std::size_t>(canvas.stride) + 1) * c.height;
        EXPECT_LE(bytes.size(), raw + raw / 8192 + 80);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
            << image.message;
        EXPECT_EQ(image.width, static_cast<png_uint_32>(c.width));
        EXPECT_EQ(image.height, static_cast<png_uint_32>(c.height));
        image.format = PNG_FORMAT_GRAY;
        std::vector<uint8_t> grey(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr))
            << image.message;
        for (int32_t y = 0; y < c.height; ++y) {
            for (int32_t x = 0; x < c.width; ++x) {
                ASSERT_EQ(grey[static_cast<std::size_t>(y) * c.width + x] == 0,
                          isBlack(canvas, x, y))
                    << x << "," << y;
            }
        }
    }
}

// A row drawn again below costs a few bits whatever the canvas's width (58 and 80 mm rolls,
// wider images): bar codes and rules are such rows, hundreds of them.
TEST(CanvasTest, PngRowsRepeatedCostAsLittleAtAnyWidth) {
    std::mt19937 random(11);
    const auto bitsPerRowByte = [&](int32_t width) {
        Canvas canvas(width, 3000);
        for (int32_t x = 0; x < width; x += 3) {
            if (random() % 2 == 0) fillRect(canvas, {x, 0, x + 3, canvas.height}, true);
        }
        std::string bytes;
        EXPECT_TRUE(encodePng(canvas, bytes));
        return 8.0 * static_cast<double>(bytes.size()) /
               (static_cast<double>(canvas.stride + 1) * canvas.height);
    };
    const double at570 = bitsPerRowByte(570);
    EXPECT_LT(at570, 0.08);
    for (const int32_t width : {384, 576, 832, 1600}) {
        SCOPED_TRACE(width);
        EXPECT_LT(bitsPerRowByte(width), 1.25 * at570);
    }
}

}  // namespace
}  // namespace kestrane
