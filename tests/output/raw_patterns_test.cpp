// The hand-written matchers against the standard library's ECMAScript regex, the behaviour they
// stand in for, on many generated texts; then on inputs too large for that regex.
#include "output/raw_patterns.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <vector>

namespace kestrane {
namespace {

// Texts made of pieces that matter to the pattern, so that matches and near misses are common.
std::vector<std::string> generatedTexts(const std::vector<std::string>& pieces, int count,
                                        unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> texts = {""};
    for (int i = 0; i < count; ++i) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int k = 0; k < length; ++k) text += pieces[random() % pieces.size()];
        texts.push_back(text);
    }
    return texts;
}

const std::string kNul(1, '\0');

TEST(RawPatternsTest, CollapseBlankRunsIsTheBlankRunRegex) {
    const std::regex pattern(" {2,}");
    for (const auto& text : generatedTexts({" ", "  ", "a", "\n", "\t", kNul}, 5000, 1)) {
        EXPECT_EQ(collapseBlankRuns(text), std::regex_replace(text, pattern, " ")) << text;
    }
}

TEST(RawPatternsTest, RemoveTagsIsTheTagRegex) {
    const std::regex pattern("<[^>]*>");
    for (const auto& text :
         generatedTexts({"<", ">", "a", " ", "\n", "\r", kNul, "<b>"}, 5000, 2)) {
        EXPECT_EQ(removeTags(text), std::regex_replace(text, pattern, "")) << text;
    }
}

TEST(RawPatternsTest, FindImageSourceIsTheImageRegex) {
    const std::regex pattern("<img.+?src=\"(.+?)\".+?/?>");
    const auto texts = generatedTexts(
        {"<img", "src=\"", "\"", ">", "/", " ", "a", "\r", "\n", kNul, "<img src=\"x\"", "/>"},
        20000, 3);
    int matches = 0;
    for (const auto& text : texts) {
        std::smatch match;
        const bool expected = std::regex_search(text, match, pattern);
        std::string source = "unchanged";
        EXPECT_EQ(findImageSource(text, source), expected) << text;
        if (expected) {
            ++matches;
            EXPECT_EQ(source, match[1].str()) << text;
        }
    }
    EXPECT_GT(matches, 500);  // the generator reaches the interesting cases
}

TEST(RawPatternsTest, FindImageSourceNeedsTextBetweenTheQuoteAndTheEnd) {
    const struct {
        std::string text;
        bool found;
        std::string source;
    } cases[] = {
        {"<img src=\"logo.png\">", false, ""},
        {"<img src=\"logo.png\" >", true, "logo.png"},
        {"<img src=\"logo.png\"/>", true, "logo.png"},
        {"<img src=\"logo.png\"></center>", true, "logo.png"},
        {"<img alt=\"a\" src=\"b.png\" />", true, "b.png"},
        {"<img src=\"\"x\" >", true, "\"x"},  // the group takes at least one byte
        {"<imgsrc=\"x\" >", false, ""},
        {"<img src=\"x\r\" >", false, ""},
        {"<img src=\"a\r<img src=\"b\" >", true, "b"},
    };
    for (const auto& c : cases) {
        std::string source;
        EXPECT_EQ(findImageSource(c.text, source), c.found) << c.text;
        if (c.found) {
            EXPECT_EQ(source, c.source) << c.text;
        }
    }
}

TEST(RawPatternsTest, EraseEachIsALiteralRegexReplacement) {
    const std::regex pattern(" center## ");
    const auto texts =
        generatedTexts({" center## ", " center##", " ", "center## ", "x", " cen"}, 5000, 4);
    for (const auto& text : texts) {
        EXPECT_EQ(eraseEach(text, " center## "), std::regex_replace(text, pattern, "")) << text;
    }
}

TEST(RawPatternsTest, ContainsDotPatternIsTheNameRegex) {
    for (const std::string name : {"vexo.png", "QRCode.png"}) {
        const std::regex pattern(name);
        const auto texts =
            generatedTexts({name, "vexo", "QRCode", "png", ".", "x", "\r", "\n", kNul}, 5000, 5);
        for (const auto& text : texts) {
            EXPECT_EQ(containsDotPattern(text, name), std::regex_search(text, pattern)) << text;
        }
    }
    EXPECT_TRUE(containsDotPattern("vexoXpng", "vexo.png"));
    EXPECT_FALSE(containsDotPattern("vexo\rpng", "vexo.png"));
}

TEST(RawPatternsTest, LargeInputsTakeLinearTime) {
    const std::size_t size = 4 << 20;
    const std::string blanks(size, ' ');
    EXPECT_EQ(collapseBlankRuns(blanks), " ");
    EXPECT_EQ(removeTags("<" + std::string(size, 'a') + ">x"), "x");
    std::string images;
    while (images.size() < size) images += "<img src=\"a\" \r";
    std::string source;
    EXPECT_FALSE(findImageSource(images, source));
    EXPECT_TRUE(
        findImageSource(images + "<img " + std::string(size, 's') + " src=\"y\" >", source));
    EXPECT_EQ(source, "y");
    std::string markers;
    while (markers.size() < size) markers += " center## x";
    EXPECT_EQ(eraseEach(markers, " center## "), std::string(markers.size() / 11, 'x'));
    EXPECT_FALSE(containsDotPattern(std::string(size, 'v'), "vexo.png"));
}

}  // namespace
}  // namespace kestrane
