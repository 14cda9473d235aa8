#include "render/text_wrap.h"

#include <gtest/gtest.h>

#include "render/fonts.h"

namespace kestrane {
namespace {

struct Wrapped {
    std::string text;
    int32_t height;
};

Wrapped wrap(int32_t width, const Font* font, int32_t lineHeight, std::string text) {
    const auto box = wrapText(width, font, lineHeight, text);
    EXPECT_TRUE(box.has_value());
    EXPECT_EQ(box->left, 0);
    EXPECT_EQ(box->top, 0);
    EXPECT_EQ(box->right, width);
    return {text, box->bottom};
}

// The longest run of `c` narrower than `width` in the small font.
std::string runNarrowerThan(char c, int32_t width) {
    std::string run;
    while (textWidth(SmallFont(), run + c) < width) run += c;
    return run;
}

TEST(TrimLineStartsTest, DropsBlanksAtLineStartsOnly) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"  \t\r\n a", "a"},
        {"a\n\n   b", "a\nb"},
        {"a  \nb", "a  \nb"},       // blanks at line ends stay
        {"a\n", "a\n"},             // a final line feed stays
        {"a\n \n \n", "a\n"},
        {"\n\n", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        trimLineStarts(text);
        EXPECT_EQ(text, c.out);
    }
}

TEST(FitLineTest, AWidthThatReachesTheLimitIsTooWide) {
    const std::string text = "abcdef";
    const int32_t abc = textWidth(SmallFont(), "abc");
    // Prefix "abc" plus the margin exactly reaches the width: only "ab" fits.
    EXPECT_EQ(fitLine(text, 24, abc + 24, SmallFont()), 2u);
    EXPECT_EQ(fitLine(text, 24, abc + 25, SmallFont()), 3u);
    EXPECT_EQ(fitLine("ab cd ef", 24, textWidth(SmallFont(), "ab cd e") + 24, SmallFont()), 5u);
    EXPECT_EQ(fitLine(" abcdef", 24, textWidth(SmallFont(), " abc") + 24, SmallFont()), 3u);
    EXPECT_EQ(fitLine("ab\ncd", 24, 1000, SmallFont()), 2u);
    EXPECT_EQ(fitLine("\nab\ncd", 24, 1000, SmallFont()), 3u);  // a leading line feed is a blank
    EXPECT_EQ(fitLine("abc", 24, 24, SmallFont()), 0u);          // not even the first byte fits
}

TEST(WrapTextTest, BreaksAsThePrefixMeasuringRuleSays) {
    // Column 268 with line height 24 leaves 244 pixels.
    const std::string full = runNarrowerThan('0', 244);
    // A text exactly 244 pixels wide, from two characters of different widths.
    std::string exact;
    for (int zeros = 0; exact.empty() && zeros * charAdvance(SmallFont(), '0') <= 244; ++zeros) {
        const int32_t rest = 244 - zeros * charAdvance(SmallFont(), '0');
        if (rest % charAdvance(SmallFont(), 'l') == 0) {
            exact = std::string(zeros, '0') + std::string(rest / charAdvance(SmallFont(), 'l'), 'l');
        }
    }
    ASSERT_EQ(textWidth(SmallFont(), exact), 244) << "no text of exactly 244 pixels";
    const std::string longWord = full + "0000";
    const std::string first = full.substr(0, full.size() / 2);
    const std::string second = full.substr(0, full.size() - 4);  // fits after its blank
    const std::string words = first + " " + second;

    const struct {
        const char* what;
        int32_t width;
        std::string in, out;
        int32_t height;
    } cases[] = {
        {"one byte never splits", 30, "W", "W", 24},
        {"one byte in a 1-pixel column", 1, "W", "W", 24},
        {"prefix of exactly 244 pixels is too wide", 268, exact + "x",
         exact.substr(0, exact.size() - 1) + "\n" + exact.back() + "x", 48},
        {"last byte is never measured", 268, full + "W", full + "W", 24},
        {"long word cut after the last byte that fits", 268, longWord,
         full + "\n" + longWord.substr(full.size()), 48},
        {"break before the last blank, which starts the next line", 268, words,
         first + "\n " + second, 48},
        {"blank lines collapse", 268, "word\n\n   second", "word\nsecond", 48},
        {"blanks only become empty", 268, " \t ", "", 0},
        {"a single blank is one line", 268, " ", " ", 24},
        {"existing line feeds are kept", 268, "ab\ncd", "ab\ncd", 48},
        {"middle column takes a byte a line", 30, "ABC", "A\nB\nC", 72},
        {"colon fits the middle column", 30, ":", ":", 24},
    };
    for (const auto& c : cases) {
        const Wrapped wrapped = wrap(c.width, SmallFont(), 24, c.in);
        EXPECT_EQ(wrapped.text, c.out) << c.what;
        EXPECT_EQ(wrapped.height, c.height) << c.what;
    }
}

TEST(WrapTextTest, RefusesNoWidthOrNoLineHeight) {
    for (const auto& [width, lineHeight] : {std::pair{0, 24}, std::pair{268, 0}, std::pair{268, -4}}) {
        std::string text = "  keep  ";
        EXPECT_FALSE(wrapText(width, SmallFont(), lineHeight, text).has_value());
        EXPECT_EQ(text, "  keep  ");
    }
}

TEST(WrapTextTest, MegabyteTextsWrapInLinearTime) {
    std::string text;
    while (text.size() < 1000000) text += "lorem ipsum dolor sit amet ";
    const Wrapped wide = wrap(550, LargeFont(), 28, text);
    EXPECT_GT(wide.height, 28 * 1000);
    std::string column(1000000, 'x');
    const Wrapped narrow = wrap(30, SmallFont(), 24, column);
    EXPECT_EQ(narrow.height, 24 * 1000000);
}

}  // namespace
}  // namespace kestrane
