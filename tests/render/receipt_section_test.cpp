#include "render/receipt_section.h"

#include <gtest/gtest.h>

#include "markup/replacement_scan.h"
#include "markup/normalise.h"
#include "render/receipt_image.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::blackBounds;
using testing::countBlack;

TEST(ReceiptSectionTest, WorkedExampleThroughTheWholeJobOrder) {
    testing::TempDir base;
    testing::writeBytes(base.imageFolder() + "/logo.bmp", testing::solidBmp(275, 100, {0, 0, 0}));
    JobContext job{base.path()};
    const std::vector<std::string> sections = splitTableSections(rewriteMarkup(wrapTableRoot(
        "Receipt:\n<table>"
        "<tr><td><center><img src=\"C:\\images\\logo.png\"></center></td></tr>"
        "<tr><td><center><strong>RECEIPT</strong></center></td></tr>"
        "<tr><td><strong>Total</strong></td><td><strong>:</strong></td><td>9.99</td></tr>"
        "<tr><td><hr></td></tr>"
        "</table>\n",
        Variant::AddOn)));
    ASSERT_EQ(sections.size(), 1u);
    const SectionImage image = renderSection(job, replaceLineBreaks(sections[0]), Variant::AddOn);
    ASSERT_EQ(image.failure, SectionFailure::kNone);
    EXPECT_EQ(image.height, 286);
    ASSERT_TRUE(image.canvas.has_value());
    EXPECT_EQ(image.canvas->width, 570);
    EXPECT_EQ(image.canvas->height, 307);
    // The logo, 550 x 200 at (10, 10); the rule of the fourth row at 258 + 10; the closing rule
    // at h + 19.
    EXPECT_EQ(blackBounds(*image.canvas, {0, 0, 570, 210}), (Rect{10, 10, 560, 210}));
    EXPECT_EQ(blackBounds(*image.canvas, {0, 258, 570, 286}), (Rect{10, 268, 550, 269}));
    EXPECT_EQ(blackBounds(*image.canvas, {0, 286, 570, 307}), (Rect{10, 305, 550, 306}));
    EXPECT_GT(countBlack(*image.canvas, {10, 210, 550, 234}), 0);  // the title
    EXPECT_GT(countBlack(*image.canvas, {10, 234, 560, 258}), 0);  // the three cells
}

TEST(ReceiptSectionTest, RefusesWhatCannotBeDrawn) {
    const struct {
        const char* what;
        std::string text;
        SectionFailure failure;
    } cases[] = {
        {"unclosed", "<table><tr>", SectionFailure::kParse},
        {"empty tag", "<table><></table>", SectionFailure::kParse},
        {"no rows", "<table></table>", SectionFailure::kHeight},
        {"rows without height", "<table><tr><th>x</th></tr></table>", SectionFailure::kHeight},
        {"taller than a roll of paper", "<table><tr><td>a</td><td>" + std::string(50000, 'W') + "</td><td>c</td></tr></table>",
         SectionFailure::kTooTall},
    };
    for (const auto& c : cases) {
        JobContext job;
        const SectionImage image = renderSection(job, c.text, Variant::AddOn);
        EXPECT_EQ(image.failure, c.failure) << c.what;
        EXPECT_FALSE(image.canvas.has_value()) << c.what;
    }
}

TEST(ReceiptSectionTest, AFailedSectionLeavesTheJobAsItFoundIt) {
    // Outside a table, "tr" is an ordinary element; once a job has reached a table's rows it is
    // a row. A section that fails must not count as having reached them, nor leave its cursor.
    const std::string loose = "<div><tr><td>x</td></tr></div>";
    const std::string receipt = "<table><tr><td>x</td></tr><tr><td>0x01</td></tr></table>";
    const std::string tooTall =
        "<table><tr><td>a</td><td>" + std::string(50000, 'W') + "</td><td>c</td></tr></table>";
    JobContext fresh;
    const SectionImage expected = renderSection(fresh, receipt, Variant::AddOn);
    ASSERT_EQ(expected.failure, SectionFailure::kNone);

    JobContext job;
    EXPECT_EQ(renderSection(job, "<table></table>", Variant::AddOn).failure, SectionFailure::kHeight);
    EXPECT_EQ(renderSection(job, loose, Variant::AddOn).failure, SectionFailure::kHeight);
    EXPECT_EQ(renderSection(job, tooTall, Variant::AddOn).failure, SectionFailure::kTooTall);
    const SectionImage after = renderSection(job, receipt, Variant::AddOn);
    ASSERT_EQ(after.failure, SectionFailure::kNone);
    EXPECT_EQ(after.height, expected.height);
    EXPECT_EQ(after.canvas->bits, expected.canvas->bits);
    // Once it has, a later section's loose rows print.
    EXPECT_EQ(renderSection(job, loose, Variant::AddOn).height, 28);
}

}  // namespace
}  // namespace kestrane
