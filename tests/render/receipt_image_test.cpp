#include "render/receipt_image.h"

#include <cstdio>
#include <filesystem>

#include "platform/file_path.h"

#include <gtest/gtest.h>

#include "tests/support/bitmap_writer.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::blackBounds;
using testing::countBlack;

TEST(ResolveImagePathTest, KeepsOnlyTheFileName) {
    const JobContext job{"D:\\app"};
    const std::string folder = "D:\\app\\node_modules\\printer\\GDIImageDirectory";
    const struct {
        std::string raw, path;
    } cases[] = {
        {"src=\"logo.bmp\">", folder + "/logo.bmp"},
        {"src=\"C:/images/logo.bmp\">", folder + "/logo.bmp"},
        {"src=\"..\\img\\logo.bmp\">", folder + "\\logo.bmp"},
        {"src=\"/logo.bmp\">", folder + "//logo.bmp"},
        {"src=\"https://cdn.example/brand/vexo.bmp\" width=\"3\">", folder + "/vexo.bmp"},
        {"alt=\"x\" src=\"a.bmp\">", folder + "/a.bmp"},
        {"srcset src=\"a.bmp\">", folder + "/a.bmp"},  // the first "src" counts, then any quotes
        {"src=\"\">", ""},
        {"src=logo.bmp>", ""},
        {"src=\"logo.bmp>", ""},
        {"href=\"logo.bmp\">", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(resolveImagePath(job, c.raw), c.path) << c.raw;
}

class ReceiptImageTest : public ::testing::Test {
protected:
    void SetUp() override { job_.imageDirectory = base_.path(); }
    std::string image(const std::string& name, const std::string& bytes) {
        testing::writeBytes(base_.imageFolder() + "/" + name, bytes);
        return resolveImagePath(job_, "src=\"" + name + "\">");
    }
    testing::TempDir base_;
    JobContext job_;
};

TEST_F(ReceiptImageTest, ScalesToTheContentWidthAndReservesTheGap) {
    const struct {
        int32_t width, height;
        int32_t reserved;  // height + 10
        int32_t drawnWidth;
    } cases[] = {
        {275, 100, 210, 550},
        {1100, 300, 160, 550},
        {535, 100, 112, 549},  // 535 x (550 / 535) falls just below 550
        {550, 1, 11, 550},
    };
    for (const auto& c : cases) {
        const std::string path = image("i.bmp", testing::solidBmp(c.width, c.height, {0, 0, 0}));
        EXPECT_EQ(receiptImageHeight(job_, path), c.reserved) << c.width;
        Canvas canvas(570, 400);
        EXPECT_EQ(drawReceiptImage(job_, canvas, 0, 30, path), c.reserved) << c.width;
        const Rect ink = blackBounds(canvas, {0, 0, 570, 400});
        EXPECT_EQ(ink.left, 10) << c.width;
        EXPECT_EQ(ink.top, 40) << c.width;
        EXPECT_EQ(ink.right, 10 + c.drawnWidth) << c.width;
        EXPECT_EQ(ink.bottom, 30 + c.reserved) << c.width;
        EXPECT_EQ(countBlack(canvas, ink), int64_t{c.drawnWidth} * (c.reserved - 10)) << c.width;
    }
}

TEST_F(ReceiptImageTest, AnImageScaledTallerThanTheLimitCannotBeLoaded) {
    const struct {
        int32_t width, height;
        int32_t reserved;
    } cases[] = {
        {1, 1818, 1},  // 7 KB that would scale to 999,900 rows
        {100, 2978, 16379 + 10},
        {100, 2979, 1},  // 16384.5 rows
    };
    for (const auto& c : cases) {
        const std::string path = image("tall.bmp", testing::solidBmp(c.width, c.height, {0, 0, 0}));
        EXPECT_EQ(receiptImageHeight(job_, path), c.reserved) << c.height;
        Canvas canvas(570, 40);
        EXPECT_EQ(drawReceiptImage(job_, canvas, 0, 0, path), c.reserved == 1 ? 0 : c.reserved);
        EXPECT_EQ(countBlack(canvas, {0, 0, 570, 40}), c.reserved == 1 ? 0 : 550 * 30) << c.height;
    }
}

TEST_F(ReceiptImageTest, AFileTooLargeToDecodeWholeIsDrawnAtTheSameSize) {
    // Black files of zeros, left sparse where they are large: sized as a file decoded whole
    // would be (4212 pixels scale to 549 x 274.99), or too tall to draw.
    const struct {
        int32_t width, height;
        int32_t reserved;  // drawn height + 10; 1: cannot be loaded
        int32_t drawnWidth;
    } cases[] = {
        {4000, 2100, 298, 550},
        {2897, 2897, 560, 550},
        {4212, 2106, 284, 549},
        {20000, 5, 10, 550},  // 0 rows drawn
        {1000, 29790, 1, 0},  // 16,384.5 rows
    };
    for (const auto& c : cases) {
        std::string headers = testing::solidBmp(c.width, 1, {0, 0, 0}).substr(0, 54);
        const auto height = static_cast<uint32_t>(c.height);
        for (int b = 0; b < 4; ++b) headers[22 + b] = static_cast<char>(height >> (8 * b));
        const std::string path = image("big.bmp", headers);
        const int64_t stride = (int64_t{c.width} * 3 + 3) / 4 * 4;
        std::filesystem::resize_file(nativePath(path), 54 + stride * c.height);
        EXPECT_EQ(receiptImageHeight(job_, path), c.reserved) << c.width;
        Canvas canvas(570, 600);
        EXPECT_EQ(drawReceiptImage(job_, canvas, 0, 0, path), c.reserved == 1 ? 0 : c.reserved);
        const Rect ink = c.reserved > 10 ? Rect{10, 10, 10 + c.drawnWidth, c.reserved} : Rect{};
        EXPECT_EQ(blackBounds(canvas, {0, 0, 570, 600}), ink) << c.width;
        EXPECT_EQ(countBlack(canvas, ink), int64_t{ink.right - ink.left} * (ink.bottom - ink.top));
    }
}

TEST_F(ReceiptImageTest, AChangedOrRemovedFileIsReadAgain) {
    const std::string path = image("logo.bmp", testing::solidBmp(275, 100, {0, 0, 0}));
    EXPECT_EQ(receiptImageHeight(job_, path), 210);
    Canvas first(570, 300);
    drawReceiptImage(job_, first, 0, 0, path);
    EXPECT_EQ(countBlack(first, {0, 0, 570, 300}), 550 * 200);

    image("logo.bmp", testing::solidBmp(1100, 300, {255, 255, 255}));
    EXPECT_EQ(receiptImageHeight(job_, path), 160);
    Canvas second(570, 300);
    EXPECT_EQ(drawReceiptImage(job_, second, 0, 0, path), 160);
    EXPECT_EQ(countBlack(second, {0, 0, 570, 300}), 0);

    std::remove(nativePath(path).c_str());
    EXPECT_EQ(receiptImageHeight(job_, path), 1);
}

TEST_F(ReceiptImageTest, AFileThatDoesNotLoadTakesOnePixelAndDrawsNothing) {
    const std::string cases[] = {
        image("truncated.bmp", testing::solidBmp(50, 50, {0, 0, 0}).substr(0, 300)),
        image("text.bmp", "not a bitmap"),
        resolveImagePath(job_, "src=\"absent.bmp\">"),
        "",
    };
    for (const std::string& path : cases) {
        EXPECT_EQ(receiptImageHeight(job_, path), 1) << path;
        Canvas canvas(570, 100);
        EXPECT_EQ(drawReceiptImage(job_, canvas, 0, 0, path), 0) << path;
        EXPECT_EQ(countBlack(canvas, {0, 0, 570, 100}), 0) << path;
    }
    // Each file is noted once, in the order met, for the warnings of the command line.
    EXPECT_EQ(job_.unloadedImages, (std::vector<std::string>(std::begin(cases), std::end(cases))));
    job_.imageDirectory = base_.path() + "/no/such/base";
    EXPECT_EQ(receiptImageHeight(job_, resolveImagePath(job_, "src=\"i.bmp\">")), 1);
}

}  // namespace
}  // namespace kestrane
