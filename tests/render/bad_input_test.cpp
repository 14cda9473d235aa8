// Bad input reaches the drawing stages without a crash, a hang or unbounded memory, and the
// rest of the receipt is still drawn. The test script runs these under AddressSanitizer, which
// also fails any attempt to allocate gigabytes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "render/receipt_image.h"
#include "render/receipt_section.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::countBlack;

std::string field(const std::string& name, const std::string& value) {
    return "<tr><td><input type=\"hidden\" name=\"" + name + "\" value=\"" + value + "\"></td></tr>";
}

std::string imageRow(const std::string& name) {
    return "<tr><td><center><img src=\"" + name + "\"></center></td></tr>";
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Draws `rows` followed by a last row, and checks that row still has ink.
SectionImage render(const std::string& text, const std::string& base = ".") {
    JobContext job{base};
    return renderSection(job, text, Variant::AddOn);
}

void drawsToTheEnd(const std::string& rows, const char* what, const std::string& base = ".") {
    const SectionImage image = render("<table>" + rows + "<tr><td>END</td></tr></table>", base);
    ASSERT_EQ(image.failure, SectionFailure::kNone) << what;
    const int32_t last = image.height - 28;
    EXPECT_GT(countBlack(*image.canvas, {10, last, 550, image.height}), 0) << what;
}

TEST(RenderBadInputTest, BrokenImagesKeepTheirOnePixelAndTheRestIsDrawn) {
    testing::TempDir base;
    const std::string folder = base.imageFolder();
    std::string liar = testing::solidBmp(20, 20, {0, 0, 0});
    for (int i = 0; i < 2; ++i) {
        const uint32_t side = 100000;
        for (int b = 0; b < 4; ++b) liar[18 + i * 4 + b] = static_cast<char>((side >> (8 * b)) & 0xFF);
    }
    testing::writeBytes(folder + "/liar.bmp", liar);
    testing::writeBytes(folder + "/short.bmp", testing::solidBmp(200, 200, {0, 0, 0}).substr(0, 5000));
    testing::writeBytes(folder + "/text.bmp", "GIF89a not a bitmap at all");
    const long before = peakKilobytes();
    const SectionImage image = render(
        "<table>" + imageRow("liar.bmp") + imageRow("short.bmp") + imageRow("text.bmp") +
            imageRow("absent.bmp") + "<tr><td>END</td></tr></table>",
        base.path());
    ASSERT_EQ(image.failure, SectionFailure::kNone);
    EXPECT_EQ(image.height, 4 + 28);
    EXPECT_GT(countBlack(*image.canvas, {10, 4, 550, 32}), 0);
    EXPECT_LT(peakKilobytes() - before, 200 * 1024);

    drawsToTheEnd(imageRow("liar.bmp"), "missing image directory", base.path() + "/missing-base");
}

TEST(RenderBadInputTest, FieldsThatCannotBeEncodedDrawNothingAndStopNothing) {
    const struct {
        const char* what;
        std::string rows;
    } cases[] = {
        {"QR text of 5,000 bytes", field("qrcodeText", std::string(5000, 'q'))},
        {"fiscal QR text of 5,000 bytes", field("qrcodeTextFiscal", std::string(5000, 'q'))},
        {"barcode outside Code 39", field("barcodeText", "#_~@")},
        {"barcode bytes 0x80-0xFF", field("barcodeText", "\x80\xA9\xFF")},
        {"barcode of 13 characters", field("barcodeText", "1234567890123")},
        {"QR with bytes 0x80-0xFF", field("qrcodeText", "\x80\xFF\xFE")},
    };
    for (const auto& c : cases) drawsToTheEnd(c.rows, c.what);
}

TEST(RenderBadInputTest, HugeCellsAndManyRows) {
    std::string words;
    while (words.size() < 1000000) words += "receipt text ";
    drawsToTheEnd("<tr><td>" + words + "</td></tr>", "1 MB full-width cell");
    drawsToTheEnd("<tr><td>a</td><td>b</td><td>" + words + "</td></tr>", "1 MB third cell");
    drawsToTheEnd("<tr><td><center>" + words + "</center></td></tr>", "1 MB centred cell");

    std::string rows;
    for (int i = 0; i < 10000; ++i) {
        rows += "<tr><td><strong>Item " + std::to_string(i) + "</strong></td><td>:</td><td>9.99</td></tr>";
    }
    const SectionImage image = render("<table>" + rows + "</table>");
    ASSERT_EQ(image.failure, SectionFailure::kNone);
    EXPECT_EQ(image.height, 10000 * 24);
    EXPECT_GT(countBlack(*image.canvas, {10, image.height - 24, 560, image.height}), 0);
}

TEST(RenderBadInputTest, ATextTooTallForPaperIsRefusedNotAllocated) {
    // One byte a line in the 30-pixel middle column: 24 pixels a byte.
    const SectionImage image =
        render("<table><tr><td>a</td><td>" + std::string(1000000, 'W') + "</td><td>c</td></tr></table>");
    EXPECT_EQ(image.failure, SectionFailure::kTooTall);
    EXPECT_FALSE(image.canvas.has_value());
}

}  // namespace
}  // namespace kestrane
