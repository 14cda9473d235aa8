#include "markup/text_ops.h"

#include <gtest/gtest.h>

#include <random>

namespace kestrane {
namespace {

TEST(TrimTest, RemovesOnlyTheFourBlanksAtBothEnds) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {" \n\r\t", ""},
        {"\t a b \r\n", "a b"},
        {"\va\v", "\va\v"},  // vertical tab is not one of the blanks
        {std::string("\0x\0", 3), std::string("\0x\0", 3)},
        {"  \xA0x\xA0  ", "\xA0x\xA0"},
    };
    for (const auto& c : cases) EXPECT_EQ(trim(c.in), c.out) << c.in;
}

TEST(ReplaceAllTest, ResumesWhereTheReplacedOccurrenceBegan) {
    const struct {
        std::string text, from, to, out;
    } cases[] = {
        {"a<td>b<td>", "<td>", "", "ab"},
        {"<<td>td>", "<td>", "", "<td>"},      // an occurrence before the resume point stays
        {"abb", "ab", "xa", "xxa"},            // "a" of the replacement and the next "b" form "ab"
        {"abbb", "ab", "xa", "xxxa"},
        {"aaa", "aa", "b", "ba"},
        {"x", "", "y", "x"},                   // an empty pattern changes nothing
        {"aXa", "a", "aa", "aaXaa"},           // a replacement holding its pattern ends
        {"no match", "zz", "y", "no match"},
        {"</tr></tr>", "</tr>", "^^", "^^^^"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replaceAll(c.text, c.from, c.to), c.out) << c.text << " / " << c.from;
    }
}

TEST(ReplaceAllTest, IsLinearOnManyOccurrences) {
    std::string text;
    for (int i = 0; i < 500000; ++i) text += "ab</tr>";
    const std::string out = replaceAll(text, "</tr>", "^^^^^^^^^^^^^");
    EXPECT_EQ(out.size(), 500000u * 15u);
}

// findText against string::find on texts and parts drawn from a small alphabet, so that partial
// and overlapping matches, matches at both ends and parts longer than the rest all occur.
TEST(FindTextTest, AgreesWithStringFindEverywhere) {
    std::mt19937 random(7);
    const std::string alphabet = "<<a/b>";
    const auto draw = [&](std::size_t length) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = draw(random() % 24), part = draw(random() % 5);
        for (std::size_t pos = 0; pos <= text.size() + 1; ++pos) {
            ASSERT_EQ(findText(text, part, pos), text.find(part, pos)) << text << " / " << part << " @" << pos;
        }
    }
}

TEST(SplitTokensTest, DropsEmptyPiecesLikeStrtok) {
    using V = std::vector<std::string>;
    const struct {
        std::string text, separators;
        V out;
    } cases[] = {
        {"", ":", V{}},
        {":::", ":", V{}},
        {"a::b:", ":", V{"a", "b"}},
        {":a", ":", V{"a"}},
        {"Total: 9.99", ":", V{"Total", " 9.99"}},
        {"a^b^^c", "^", V{"a", "b", "c"}},
        {"a b\tc", " \t", V{"a", "b", "c"}},
        {std::string("a\0b", 3), std::string("\0", 1), V{"a", "b"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitTokens(c.text, c.separators), c.out) << c.text;
}

TEST(SplitTokensTest, KeepsNoStateBetweenCalls) {
    const auto first = splitTokens("a:b", ":");
    const auto other = splitTokens("x y", " ");
    EXPECT_EQ(splitTokens("a:b", ":"), first);
    EXPECT_EQ(other, (std::vector<std::string>{"x", "y"}));
}

TEST(JoinTokensTest, PutsTheSeparatorBetweenPieces) {
    EXPECT_EQ(joinTokens({}, ":"), "");
    EXPECT_EQ(joinTokens({"a"}, ":"), "a");
    EXPECT_EQ(joinTokens({"a", "b", "c"}, ":"), "a:b:c");
    EXPECT_EQ(joinTokens(splitTokens("a::b", ":"), ":"), "a:b");
}

TEST(CaseTest, ConvertsAsciiLettersOnly) {
    EXPECT_EQ(toLower("AbZ@[`{\xC0\xE9"), "abz@[`{\xC0\xE9");
    EXPECT_EQ(toUpper("aBz@[`{\xE0\xC9"), "ABZ@[`{\xE0\xC9");
    EXPECT_EQ(toUpper(" star"), " STAR");
}

}  // namespace
}  // namespace kestrane
