#include "markup/normalise.h"

#include <gtest/gtest.h>


namespace kestrane {
namespace {

TEST(ExtractMarkupTest, CutsFromFirstOpenToLastClose) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"plain text", ""},
        {"words <table></table> after", "<table></table>"},
        {"<a", ""},
        {">only", ""},             // a ">" at index 0 never counts
        {"a>b<c", "<c"},           // last ">" before the first "<": from "<" to the end
        {"ab><c", ""},             // ... unless the ">" stands right before it
        {"x<>y", "<>"},
        {"<", ""},
        {">", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(extractMarkup(c.in), c.out) << c.in;
}

TEST(WrapTableRootTest, KeepsRenamesOrWrapsTheFirstTag) {
    const struct {
        Variant variant;
        std::string in, out;
    } cases[] = {
        {Variant::AddOn, "  <table><tr><td>a</td></tr></table>\n", "<table><tr><td>a</td></tr></table>"},
        {Variant::AddOn, "<tbody><tr><td>a</td></tr></tbody>", "<table><tr><td>a</td></tr></table>"},
        {Variant::AddOn, "<tr><td>a</td></tr>", "<table><tr><td>a</td></tr></table>"},
        {Variant::AddOn, "<center>x</center><table></table>", "<table><center>x</center><table></table></table>"},
        {Variant::AddOn, "<TABLE><tr></tr></TABLE>", "<table><TABLE><tr></tr></TABLE></table>"},
        {Variant::AddOn, "<TBODY></TBODY>", "<table><TBODY></TBODY></table>"},
        {Variant::AddOn, "plain", ""},
        {Variant::AddOn, "<a>", "<table><a></table>"},
        // The previewer lower-cases the five bytes after the first "<" in the text itself.
        {Variant::Previewer, "<TABLE><tr></tr></TABLE>", "<table><tr></tr></TABLE>"},
        {Variant::Previewer, "<TBody><tr></tr></TBODY>", "<table><tr></tr></table>"},
        {Variant::Previewer, "<TR><TD>a</TD></TR>", "<table><tr><tD>a</TD></TR></table>"},
        {Variant::Previewer, "<A>", "<table><a></table>"},
    };
    for (const auto& c : cases) EXPECT_EQ(wrapTableRoot(c.in, c.variant), c.out) << c.in;
}

TEST(RenameTbodyTagsTest, NeedsSixBytesAfterTheOpener) {
    const struct {
        Variant variant;
        std::string in, out;
    } cases[] = {
        {Variant::AddOn, "<tbody><tr></tr></tbody>", "<table><tr></tr></table>"},
        {Variant::AddOn, "<tbody x=1>", "<table x=1>"},
        {Variant::AddOn, "a<tbody", "a<tbody"},            // nothing after the name
        {Variant::AddOn, "a</tbody", "a</tbody"},
        {Variant::AddOn, "a</tbody>", "a</table>"},
        {Variant::AddOn, "<TBODY></TBODY>", "<TBODY></TBODY>"},
        {Variant::AddOn, "<tbodytbody>", "<tabletbody>"},   // the search skips the byte after
        {Variant::Previewer, "<TBODY></TbOdY>", "<table></table>"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        renameTbodyTags(text, c.variant);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(RewriteMarkupTest, RewritesAndCutsAfterTheLastTag) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"<table><tr><td><hr></td></tr></table>", "<table><tr><td>0x01</td></tr></table>"},
        {"<table><td>a&nbsp;b</td></table>", "<table><td>ab</td></table>"},
        {"<img src=\"a.png\"><img src=\"b.gif\"><img src=\"c.jpg\"><img src=\"d.jpeg\">",
         "<img src=\"a.bmp\"><img src=\"b.bmp\"><img src=\"c.bmp\"><img src=\"d.jpeg\">"},
        {"<img src=\"LOGO.PNG\">", "<img src=\"LOGO.PNG\">"},
        {"<table></table><hr>", "<table></table>"},    // a final rule marker is cut off
        {"<table></table>tail", "<table></table>"},
        {"", ""},
        {"<no close", "<no close"},
    };
    for (const auto& c : cases) EXPECT_EQ(rewriteMarkup(c.in), c.out) << c.in;
}

TEST(SplitTableSectionsTest, EndsASectionAfterEveryTableEndTag) {
    using V = std::vector<std::string>;
    const struct {
        std::string in;
        V out;
    } cases[] = {
        {"<table>a</table><table>b</table><table>c</table>",
         V{"<table>a</table>", "<table>b</table>", "<table>c</table>"}},
        {"<table>a</table><center>x</center>", V{"<table>a</table>"}},
        {"<table>a", V{}},
        {"", V{}},
        {"<table>a</table", V{}},                      // fewer than six bytes after "</"
        {"x</table>", V{"x</table>"}},
        {"<table><table>in</table>out</table>", V{"<table><table>in</table>", "out</table>"}},
        {"<table></TABLE></table>", V{"<table></TABLE></table>"}},
        {"</tablex", V{"</tablex"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitTableSections(c.in), c.out) << c.in;
}

TEST(SplitTableSectionsTest, UpperCaseRootEndsAtTheAddedEndTag) {
    const std::string rooted = wrapTableRoot("<TABLE><tr><td>a</td></tr></TABLE>", Variant::AddOn);
    const auto sections = splitTableSections(rewriteMarkup(rooted));
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0], rooted);
}

}  // namespace
}  // namespace kestrane
