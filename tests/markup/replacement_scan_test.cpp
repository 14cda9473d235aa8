#include "markup/replacement_scan.h"

#include <gtest/gtest.h>

namespace kestrane {
namespace {

TEST(ReplacementScanTest, TriesPatternsInListOrderNotByPosition) {
    const struct {
        std::string in, out;
    } breaks[] = {
        {"", ""},
        {"no tags", "no tags"},
        {"a<br>b<br/>c", "a\nb\nc"},          // "<br>" first, then "<br/>" once none is left
        {"a<br/>b<br>c", "a<br/>b\nc"},       // the earlier "<br/>" is copied unchanged
        {"x<br><br>", "x\n\n"},
        {"<br>start", "\nstart"},
        {"a<br />b", "a\nb"},
        {"a<br/>b<br />c", "a\nb\nc"},
        {"a<br />b<br/>c", "a<br />b\nc"},      // the read position has passed the "<br />"
        {"<BR>", "<BR>"},
        {"<br", "<br"},
    };
    for (const auto& c : breaks) EXPECT_EQ(replaceLineBreaks(c.in), c.out) << c.in;
}

TEST(ReplacementScanTest, RewritesRulesSpacesAndExtensions) {
    EXPECT_EQ(replaceHorizontalRules("<td><hr></td><td><hr/></td>"), "<td>0x01</td><td>0x01</td>");
    EXPECT_EQ(replaceHorizontalRules("<hr /><HR>"), "0x01<HR>");
    EXPECT_EQ(removeNonBreakingSpaces("a&nbsp;b&nbsp;&nbsp;"), "ab");
    EXPECT_EQ(removeNonBreakingSpaces("&NBSP;&nbsp"), "&NBSP;&nbsp");
    EXPECT_EQ(replaceExtension("a.png b.png .PNG", ".png"), "a.bmp b.bmp .PNG");
}

TEST(ReplacementScanTest, StaysLinearWhenAnEarlyPatternIsAbsent) {
    std::string text;
    for (int i = 0; i < 300000; ++i) text += "x<br/>";
    const std::string out = replaceLineBreaks(text);
    EXPECT_EQ(out.size(), 600000u);
    EXPECT_EQ(out.substr(0, 4), "x\nx\n");
}

}  // namespace
}  // namespace kestrane
