#include "markup/parser.h"

#include <gtest/gtest.h>

#include "tests/support/tree_shape.h"

namespace kestrane {
namespace {

using KVTGDIPRINTING_LOGIC::NodeA;
using testing::treeShape;

std::string parsedShape(const std::string& text, Variant variant) {
    NodeA* root = parseMarkup(text, variant).root;
    const std::string shape = treeShape(*root);
    root->destroy();
    return shape;
}

struct Case {
    const char* what;
    std::string text;
    std::string addOn;      // expected shape in the add-on
    std::string previewer = {};  // expected shape in the previewer; empty: same as the add-on
};

const char kUnmatched[] = "Error $error=Not all XML Containers are matched properly";

const Case kCases[] = {
    {"row of two leaves, align on the row",
     "<table><tr><td>Item</td><td align=\"right\">9.99</td></tr></table>",
     "table (tr @align=right (td\"Item\" td\"9.99\"))", "table (tr (td\"Item\" td\"9.99\"))"},
    {"xml declaration dropped",
     "<?xml version=\"1.0\"?>\n<table><tr><td>Item</td></tr></table>",
     "table (tr (td\"Item\"))"},
    {"cell holding a strong element is a container with its own attributes",
     "<table><tr><td>Item</td><td align=\"right\">\n<strong>9.99</strong></td></tr></table>",
     "table (tr (td\"Item\" td @align=right (strong\"9.99\")))"},
    {"img stored as a variable of its container",
     "<table><tr><td>\n<img src=\"logo.bmp\"></td></tr></table>",
     "table (tr (td $img=src=\"logo.bmp\">))"},
    {"hidden field with its whole attribute text",
     "<table><tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"1\" /></td></tr></table>",
     "table (tr (td $input=type=\"hidden\" name=\"barcodeText\" value=\"1\" />))",
     "table (tr (td $input=type=\"hidden\" name=\"barcodetext\" value=\"1\" />))"},
    {"trailing blanks of a leaf go, the digit stays",
     "<table><tr><td>1 </td><td>1\n</td><td>2\r</td></tr></table>",
     "table (tr (td\"1\" td\"1\" td\"2\"))"},
    {"a blank after a start tag makes a container", "<table><tr><td> </td></tr></table>",
     "table (tr (td))"},
    {"unclosed containers", "<table><tr>", kUnmatched},
    {"no container at all", "just text", kUnmatched},
    {"empty string", "", kUnmatched},
    {"empty tag", "<table><>", "Error"},
    {"empty tag after content", "<table><tr><td>a</td></tr><></table>", "Error"},
    {"only the first of two tables", "<table><tr></tr></table><table><tr><td>x</td></tr></table>",
     "table (tr)"},
    {"same-named container attached but not pushed",
     "<table><center><center><strong>T</strong></center></center></table>",
     "table (center (center strong\"T\"))"},
    {"upper-case leaf name", "<table><tr><TD>x</TD></tr></table>", "table (tr (TD\"x\"))",
     "table (tr (td\"x\"))"},
    {"leaf with attributes keeps its name's case", "<table><tr><TD ALIGN=\"R\">x</TD></tr></table>",
     "table (tr @ALIGN=R (TD\"x\"))", "table (tr (TD\"x\"))"},
    {"container tags and attribute values lower-cased by the previewer",
     "<TABLE><TR ALIGN=\"RIGHT\"><TD>\n<STRONG>X</STRONG></TD></TR></TABLE>",
     "TABLE (TR @ALIGN=RIGHT (TD (STRONG\"X\")))",
     "table (tr @align=right (td (strong\"X\")))"},
    {"comment never closes", "<table><!-- note --><tr></tr></table>", kUnmatched},
    {"token starting with a blank is ignored", "<table>< tr><td>a</td></ tr></table>",
     "table (td\"a\")"},
    {"text after an end tag is lost", "<table><tr><td>a</td> stray</tr></table>",
     "table (tr (td\"a\"))"},
    {"end tag with text behind it never matches", "<table><tr></tr>x</table>", kUnmatched},
    {"doubled blank stays in the key", "<table  a=\"1\"  b=\"2\"></table>", "table @ a=1, b=2"},
    {"value up to a quote and blank, else to a quote and >",
     "<table a=\"x\" b=\"y z\" c=\"v\">\n</table>", "table @a=x,b=y z,c=v"},
    {"unterminated value keeps its equals sign and quote", "<table a=\"x></table>",
     "table @a==\"x>"},
    {"unquoted, single-quoted and spaced values make no attribute",
     "<table a=1 b='2' c = \"3\"></table>", "table"},
    {"attribute at position 0 stops the reader", "<table =\"1\" a=\"2\"></table>", "table"},
    {"self-closing tag without blank", "<table><br/></table>", "table $br/="},
    {"self-contained followed by text is a leaf", "<table><tr><td><img src=\"a\">caption</td></tr></table>",
     "table (tr (td @src=a (img\"caption\")))", "table (tr (td (img\"caption\")))"},
    {"lone slash end tag matches the unnamed root", "</>", ""},
    {"parse stops at the first NUL",
     std::string("<table><tr></tr></table>\0<x>", 28), "table (tr)"},
    {"NUL inside leaves containers open", std::string("<table><tr>\0</tr></table>", 25),
     kUnmatched},
    {"bytes above 0x7F pass through", "<table><tr><td>\xE9\xFF</td></tr></table>",
     "table (tr (td\"\xE9\xFF\"))"},
    {"runs of < make no empty tokens", "<<<table><<tr></tr></table>", "table (tr)"},
};

TEST(ParserTest, BuildsTheTreeBothVariantsExpect) {
    for (const Case& c : kCases) {
        EXPECT_EQ(parsedShape(c.text, Variant::AddOn), c.addOn) << c.what;
        const std::string& previewer = c.previewer.empty() ? c.addOn : c.previewer;
        EXPECT_EQ(parsedShape(c.text, Variant::Previewer), previewer) << c.what << " (previewer)";
    }
}

TEST(ParserTest, ErrorNodeIsFreshAndNamedError) {
    const ParseResult parsed = parseMarkup("<table><tr>", Variant::AddOn);
    EXPECT_TRUE(parsed.rejected);
    NodeA* error = parsed.root;
    EXPECT_EQ(error->getNodeName(), "Error");
    EXPECT_EQ(error->getVariable("error"), "Not all XML Containers are matched properly");
    EXPECT_TRUE(error->children.empty());
    error->destroy();
}

TEST(ParserTest, LeafAttachesToTheStackTopWhileAttributesGoToTheCurrentContainer) {
    // The inner "center" is current but not pushed: the leaf goes to the outer one, the
    // attribute of the leaf's tag to the inner one.
    NodeA* root = parseMarkup(
        "<table><center><center><b k=\"v\">t</b></center></center></table>", Variant::AddOn).root;
    ASSERT_EQ(root->getNodeName(), "table");
    NodeA* outer = root->getChildren("center")->front();
    NodeA* inner = outer->getChildren("center")->front();
    EXPECT_EQ(inner->getAttribute("k"), "v");
    ASSERT_NE(outer->getChildren("b"), nullptr);
    EXPECT_EQ(outer->getChildren("b")->front()->parent, outer);
    EXPECT_EQ(outer->parent, root);
    root->destroy();
}

TEST(ParserTest, TrimTokenEndKeepsTheFirstByte) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"td>1 \n", "td>1"}, {"td>1\r", "td>1"}, {" ", " "}, {"\n\n", "\n"}, {"a", "a"},
        {"a \t\r\n", "a"},   {"a\v", "a\v"},
    };
    for (const auto& c : cases) {
        std::string token = c.in;
        trimTokenEnd(token);
        EXPECT_EQ(token, c.out);
    }
}

}  // namespace
}  // namespace kestrane
