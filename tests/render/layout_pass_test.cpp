#include "render/layout_pass.h"

#include <gtest/gtest.h>

#include <memory>

#include "markup/parser.h"
#include "markup/replacement_scan.h"
#include "render/input_attributes.h"
#include "render/receipt_image.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using KVTGDIPRINTING_LOGIC::NodeA;

struct Destroy {
    void operator()(NodeA* node) const { node->destroy(); }
};
using Tree = std::unique_ptr<NodeA, Destroy>;

struct Layout {
    int32_t height;
    std::vector<std::pair<int32_t, int32_t>> rows;  // top, bottom of every "tr", in order
    Tree tree;
};

void collectRows(NodeA* node, std::vector<std::pair<int32_t, int32_t>>& rows) {
    if (node->name == "tr") rows.emplace_back(node->box.top, node->box.bottom);
    for (auto& group : node->children) {
        for (NodeA* child : group.second) collectRows(child, rows);
    }
}

// The image folder of the LayoutPassTest fixture.
std::string imageBase;

Layout layOut(const std::string& markup, Variant variant = Variant::AddOn) {
    Layout layout;
    layout.tree.reset(parseMarkup(replaceLineBreaks(markup), variant).root);
    JobContext job{imageBase};
    layout.height = measureNode(job, layout.tree.get(), variant);
    collectRows(layout.tree.get(), layout.rows);
    return layout;
}

std::string table(const std::string& rows) { return "<table>" + rows + "</table>"; }

// A test's own image folder holding logo.bmp (275 x 100) and wide.bmp (1100 x 300).
class LayoutPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string folder = base_.imageFolder();
        testing::writeBytes(folder + "/logo.bmp", testing::solidBmp(275, 100, {0, 0, 0}));
        testing::writeBytes(folder + "/wide.bmp", testing::solidBmp(1100, 300, {0, 0, 0}));
        imageBase = base_.path();
    }
    testing::TempDir base_;
};

using Rows = std::vector<std::pair<int32_t, int32_t>>;

TEST_F(LayoutPassTest, PlacesTheRowsOfTheWorkedExample) {
    const Layout layout = layOut(table(
        "<tr><td><center><img src=\"C:/logos/logo.bmp\"></center></td></tr>"
        "<tr><td><center><strong>RECEIPT</strong></center></td></tr>"
        "<tr><td><strong>Total</strong></td><td><strong>:</strong></td><td>9.99</td></tr>"
        "<tr><td>0x01</td></tr>"));
    EXPECT_EQ(layout.height, 286);
    // The image row gets a top only.
    EXPECT_EQ(layout.rows, (Rows{{0, 0}, {210, 234}, {234, 258}, {258, 286}}));
}

TEST_F(LayoutPassTest, RowHeightsFollowTheirContent) {
    const std::string longValue = "a long value that needs three lines in the third column of a row";
    const struct {
        const char* what;
        std::string rows;
        int32_t height;
        Variant variant = Variant::AddOn;
    } cases[] = {
        {"short three-cell row", "<tr><td>Total</td><td>:</td><td>9.99</td></tr>", 24},
        {"long third cell", "<tr><td>Item</td><td>:</td><td>" + longValue + "</td></tr>", 72},
        {"cells after the third never count",
         "<tr><td>a</td><td>b</td><td>c</td><td>" + longValue + "</td></tr>", 24},
        {"an unknown cell leaves its column to the next",
         "<tr><td>a</td><td><em>x</em></td><td>b</td><td>" + longValue + "</td></tr>", 72},
        {"two cells: laid out from the first", "<tr><td>first</td><td>" + longValue + longValue + longValue + "</td></tr>", 28},
        {"header cells add nothing", "<tr><th>a</th><th>b</th></tr>", 0},
        {"empty full-width cell is one line", "<tr><td></td></tr>", 28},
        {"centred strong text takes 24-pixel lines", "<tr><td><center><strong>T</strong></center></td></tr>", 24},
        {"centred text takes 28-pixel lines", "<tr><td><center>A\nB</center></td></tr>", 56},
        {"image 275 x 100", "<tr><td><img src=\"logo.bmp\"></td></tr>", 210},
        {"image 1100 x 300 is scaled down", "<tr><td><img src=\"wide.bmp\"></td></tr>", 160},
        {"missing image reserves one pixel", "<tr><td><img src=\"none.bmp\"></td></tr>", 1},
        {"barcode field", "<tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"4711\"></td></tr>", 170},
        {"one-character value is read", "<tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"1\"></td></tr>", 170},
        {"QR field, any length", "<tr><td><input type=\"hidden\" name=\"qrcodeText\" value=\"" + longValue + "\"></td></tr>", 400},
        {"fiscal QR field", "<tr><td><input type=\"hidden\" name=\"qrcodeTextFiscal\" value=\"F\"></td></tr>", 400},
        {"empty value adds nothing", "<tr><td><input type=\"hidden\" name=\"qrcodeText\" value=\"\"></td></tr>", 0},
        {"two pairs are ignored", "<tr><td><input name=\"qrcodeText\" value=\"x\"></td></tr>", 0},
        {"Name is not name", "<tr><td><input type=\"h\" Name=\"qrcodeText\" value=\"x\"></td></tr>", 0},
        {"name with a blank is not name", "<tr><td><input type=\"h\" name =\"qrcodeText\" value=\"x\"></td></tr>", 0},
        {"image and field in one cell", "<tr><td><img src=\"logo.bmp\"><input type=\"hidden\" name=\"barcodeText\" value=\"1\"></td></tr>", 380},
        {"tbody laid out, tr beside it ignored",
         "<tbody><tr><td>a</td></tr></tbody><tr><td>b</td></tr>", 28},
        {"previewer QR field is 168", "<tr><td><input type=\"hidden\" name=\"qrcodeText\" value=\"x\"></td></tr>", 168, Variant::Previewer},
        {"previewer has no fiscal field", "<tr><td><input type=\"hidden\" name=\"qrcodeTextFiscal\" value=\"x\"></td></tr>", 0, Variant::Previewer},
        {"previewer barcode field", "<tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"x\"></td></tr>", 170, Variant::Previewer},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(layOut(table(c.rows), c.variant).height, c.height) << c.what;
    }
}

TEST_F(LayoutPassTest, FieldRowsGetATopAndTextRowsABottom) {
    const Layout layout = layOut(table(
        "<tr><td>Title</td></tr>"
        "<tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"4711\"></td></tr>"
        "<tr><td><img src=\"logo.bmp\"><input type=\"hidden\" name=\"qrcodeText\" value=\"q\"></td></tr>"
        "<tr><td>End</td></tr>"));
    // The image row's top moves to the start of its field.
    EXPECT_EQ(layout.rows, (Rows{{0, 28}, {28, 0}, {408, 0}, {808, 836}}));
    EXPECT_EQ(layout.height, 836);
}

TEST_F(LayoutPassTest, RewritesCellTextsForTheRenderPass) {
    Layout layout = layOut(table("<tr><td></td><td><center></center></td><td><strong></strong></td></tr>"));
    NodeA* row = layout.tree->getChildren("tr")->front();
    const auto& cells = *row->getChildren("td");
    EXPECT_EQ(cells[0]->text, " ");
    EXPECT_EQ(cells[1]->text, " ");
    EXPECT_EQ(cells[2]->getChildren("strong")->front()->text, " ");
    EXPECT_EQ(layout.height, 24);
}

TEST_F(LayoutPassTest, PreviewerColumnsAreWider) {
    // A third cell that fits 263 - 24 pixels but not 258 - 24 wraps only in the add-on.
    std::string value = "i";
    while (layOut(table("<tr><td>a</td><td>b</td><td>" + value + "</td></tr>")).height == 24) {
        value += "i";
    }
    EXPECT_EQ(layOut(table("<tr><td>a</td><td>b</td><td>" + value + "</td></tr>"), Variant::Previewer).height, 24);
}

TEST_F(LayoutPassTest, DescendsThroughOtherElementsOnlyAlongFirstGroups) {
    EXPECT_EQ(layOut("<div><table><tr><td>y</td></tr></table></div>").height, 28);
    // Only the first group of a node is looked at: the table after the "p" is never reached.
    EXPECT_EQ(layOut("<div><p><tr><td>x</td></tr></p><table><tr><td>y</td></tr></table></div>").height, 0);
    // Outside a table a "tr" is an ordinary element, not a row.
    EXPECT_EQ(layOut("<div><tr><td>x</td></tr></div>").height, 0);
}

TEST(InputAttributesTest, ReadsQuotedPairs) {
    using Map = std::map<std::string, std::string>;
    const struct {
        std::string raw;
        Map out;
    } cases[] = {
        {"", Map{}},
        {"type=\"hidden\" name=\"barcodeText\" value=\"4711\">",
         Map{{"name", "barcodeText"}, {"type", "hidden"}, {"value", "4711"}}},
        {"value=\"1\" name=\"x\" >", Map{{"name", "x"}, {"value", "1"}}},
        {"\n  name=\"a\"", Map{{"name", "a"}}},
        {"name =\"a\"", Map{{"name ", "a"}}},
        {"a=\"1\" a=\"2\"", Map{{"a", "2"}}},
        {"=\"x\" name=\"y\"", Map{}},
        {"a=b c=\"d\"", Map{{"a", "d"}}},  // the value is the next quoted text
        {"a=\"unterminated", Map{}},
        {"a=\"\" b=\"2\"", Map{{"a", ""}, {"b", "2"}}},
        {"value=\"x\"/>", Map{{"value", "x"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseInputAttributes(c.raw), c.out) << c.raw;
}

}  // namespace
}  // namespace kestrane
