#include "render/qr_symbol.h"

#include <gtest/gtest.h>
#include <qrencode.h>

#include <memory>

#include "tests/support/bitmap_writer.h"

namespace kestrane {
namespace {

using testing::blackBounds;
using testing::countBlack;

// The module matrix libqrencode gives for `text`, row 0 first.
std::vector<std::string> modules(const std::string& text) {
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1), QRcode_free);
    std::vector<std::string> rows;
    for (int r = 0; r < code->width; ++r) {
        std::string row;
        for (int c = 0; c < code->width; ++c) row += (code->data[r * code->width + c] & 1) ? 'X' : '.';
        rows.push_back(row);
    }
    return rows;
}

// Every module of the symbol, read from the centre of its square on the canvas.
std::vector<std::string> readModules(const Canvas& canvas, int32_t left, int32_t top, int32_t m,
                                     int count) {
    std::vector<std::string> rows;
    for (int r = 0; r < count; ++r) {
        std::string row;
        for (int c = 0; c < count; ++c) row += isBlack(canvas, left + c * m + m / 2, top + r * m + m / 2) ? 'X' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(QrSymbolTest, VersionOneIsDrawnWholeAndUpright) {
    Canvas canvas(570, 500);
    drawQrSymbol("4711023", canvas, 50, {8, 201, 200, 200});
    const auto expected = modules("4711023");
    ASSERT_EQ(expected.size(), 21u);
    EXPECT_EQ(readModules(canvas, 201, 50, 8, 21), expected);
    // 21 modules of 8 pixels, x 201 to 369, y top to top + 168; module row 0 at the top, so a
    // symbol mirrored top to bottom would not match the encoder's matrix.
    EXPECT_EQ(blackBounds(canvas, {0, 0, 570, 500}).left, 201);
    EXPECT_EQ(blackBounds(canvas, {0, 0, 570, 500}).right, 369);
    EXPECT_EQ(blackBounds(canvas, {0, 0, 570, 500}).top, 50);
    EXPECT_EQ(blackBounds(canvas, {0, 0, 570, 500}).bottom, 218);
}

TEST(QrSymbolTest, LargerSymbolsAreCutToTheCopiedArea) {
    const std::string text = "VERSION THREE NEEDS MORE TEXT";  // 29 modules at level H
    ASSERT_EQ(modules(text).size(), 29u);
    Canvas canvas(570, 500);
    drawQrSymbol(text, canvas, 0, {8, 201, 200, 200});
    const Rect ink = blackBounds(canvas, {0, 0, 570, 500});
    EXPECT_EQ(ink.left, 201);
    EXPECT_LE(ink.right, 401);
    EXPECT_LE(ink.bottom, 200);
    auto expected = modules(text);
    expected.resize(25);
    for (auto& row : expected) row.resize(25);
    EXPECT_EQ(readModules(canvas, 201, 0, 8, 25), expected);
}

TEST(QrSymbolTest, FiscalModuleSizeAndLeftEdgeFollowTheLength) {
    const struct {
        std::size_t length;
        int32_t module, left;
    } cases[] = {
        {1, 6, 150}, {80, 6, 150}, {81, 4, 150}, {169, 4, 150}, {170, 6, 150}, {171, 4, 100}, {600, 4, 100},
    };
    for (const auto& c : cases) {
        const QrPlacement placement = fiscalQrPlacement(c.length);
        EXPECT_EQ(placement.moduleSize, c.module) << c.length;
        EXPECT_EQ(placement.left, c.left) << c.length;
        EXPECT_EQ(placement.width, 400);
        EXPECT_EQ(placement.height, 400);

        const std::string text(c.length, 'F');
        Canvas canvas(570, 420);
        drawQrSymbol(text, canvas, 10, placement);
        const auto expected = modules(text);
        const int whole = std::min<int>(static_cast<int>(expected.size()), 400 / c.module);
        auto visible = expected;
        visible.resize(whole);
        for (auto& row : visible) row.resize(whole);
        EXPECT_EQ(readModules(canvas, c.left, 10, c.module, whole), visible) << c.length;
        EXPECT_EQ(blackBounds(canvas, {0, 0, 570, 420}).left, c.left) << c.length;
    }
}

TEST(QrSymbolTest, TextsTheEncoderRefusesDrawNothing) {
    for (const std::string& text : {std::string(), std::string(5000, 'x'), std::string(4000, '7')}) {
        Canvas canvas(570, 420);
        EXPECT_EQ(drawQrSymbol(text, canvas, 0, {8, 201, 200, 200}), 0);
        EXPECT_EQ(countBlack(canvas, {0, 0, 570, 420}), 0) << text.size();
    }
}

}  // namespace
}  // namespace kestrane
