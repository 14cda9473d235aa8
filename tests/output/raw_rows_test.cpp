#include "output/raw_rows.h"

#include <gtest/gtest.h>

namespace kestrane {
namespace {

using Rows = std::vector<std::string>;

TEST(SplitReceiptRowsTest, CutsAtRowEndsAndCarets) {
    const struct {
        std::string layout;
        Rows rows;
    } cases[] = {
        {"", Rows{}},
        {"<table><tr><td>a</td></tr><tr><td>b</td></tr></table>", Rows{"<td>a</td>", "<td>b</td>"}},
        {"<html><body><table><tbody><tr>x</tr></tbody></table></body></html>", Rows{"x"}},
        {"<font>f</font></tr>\n</tr>", Rows{"f", "\n"}},
        {"a^b</tr>c", Rows{"a", "b", "c"}},
        {"<TR>a</TR></tr>", Rows{"<TR>a</TR>"}},  // case matters
        {"<table border=1><tr>a</tr>", Rows{"<table border=1>a"}},
        {"<ta<table>ble>x</tr>", Rows{"<table>x"}},  // a tag formed before the resume point stays
    };
    for (const auto& c : cases) EXPECT_EQ(splitReceiptRows(c.layout), c.rows) << c.layout;
}

TEST(RewriteReceiptRowTest, TurnsMarkupIntoMarkers) {
    const struct {
        std::string row, out;
    } cases[] = {
        {"", ""},
        {" \r\n\t ", ""},
        {"<td>a</td>", "a\n"},
        {"<td><center>a</center></td>", " center## a\n"},
        {"<td><strong>a</strong></td>", " strong## a normal## \n"},
        {"<td><center><strong>a</strong></center></td>", " center##  strong## a normal## \n"},
        {"<td><hr></td>", " hrule### \n"},
        {"<td><hr /></td>", " hrule### \n"},
        {"<td><center><img src=\"logo.png\"></center></td>", " receiptLogo - logo.png\n"},
        {"<td><input type=\"hidden\" name=\"barcodeText\" value=\"42\"></td>", " barcodedata 42\n"},
        {"<td><input name='barcode' value='4 2'></td>", " barcodedata 4\n"},  // up to the blank
        {"<td>a<br>b</td>", "a\nb\n"},
        {"<td>a\n<b>b</b>\n</td>", "ab\n"},
        {"<td>x <span class=\"y\">z</span></td>", "x z\n"},
        {"<td>a < b</td>", "a < b\n"},  // a '<' with no '>' after it stays
    };
    for (const auto& c : cases) EXPECT_EQ(rewriteReceiptRow(c.row), c.out) << c.row;
}

TEST(LabelWidthTest, IsTheLongestLabelWithoutMarkers) {
    EXPECT_EQ(labelLength(" strong## Total normal## "), 5u);
    EXPECT_EQ(labelLength(" center## a center## "), 1u);
    EXPECT_EQ(labelLength(" cen center## ter## "), 10u);  // a removal joins no new marker
    EXPECT_EQ(labelLength(" hrule### "), 10u);
    EXPECT_EQ(maxLabelWidth({}), 0u);
    EXPECT_EQ(maxLabelWidth({"no label\n", "a: b\n", "abc:d\n", "::x\n"}), 3u);
    EXPECT_EQ(maxLabelWidth({"x\ny: 1\n"}), 3u);
    EXPECT_EQ(maxLabelWidth({std::string(kMaxAlignedLabel, 'a') + ":1\n"}), kMaxAlignedLabel);
    EXPECT_EQ(maxLabelWidth({std::string(kMaxAlignedLabel + 1, 'a') + ":1\n", "ab:c\n"}), 2u);
}

}  // namespace
}  // namespace kestrane
