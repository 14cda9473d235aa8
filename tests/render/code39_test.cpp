#include "render/code39.h"

#include <gtest/gtest.h>

#include "render/fonts.h"
#include "tests/support/bitmap_writer.h"

namespace kestrane {
namespace {

using testing::blackBounds;
using testing::countBlack;

// Code 39 as the standard tabulates it: nine elements, bar first, 1 = wide.
const std::map<std::string, char> kStandard = {
    {"000110100", '0'}, {"100100001", '1'}, {"001100001", '2'}, {"101100000", '3'},
    {"000110001", '4'}, {"100110000", '5'}, {"001110000", '6'}, {"000100101", '7'},
    {"100100100", '8'}, {"001100100", '9'}, {"100001001", 'A'}, {"001001001", 'B'},
    {"101001000", 'C'}, {"000011001", 'D'}, {"100011000", 'E'}, {"001011000", 'F'},
    {"000001101", 'G'}, {"100001100", 'H'}, {"001001100", 'I'}, {"000011100", 'J'},
    {"100000011", 'K'}, {"001000011", 'L'}, {"101000010", 'M'}, {"000010011", 'N'},
    {"100010010", 'O'}, {"001010010", 'P'}, {"000000111", 'Q'}, {"100000110", 'R'},
    {"001000110", 'S'}, {"000010110", 'T'}, {"110000001", 'U'}, {"011000001", 'V'},
    {"111000000", 'W'}, {"010010001", 'X'}, {"110010000", 'Y'}, {"011010000", 'Z'},
    {"010000101", '-'}, {"110000100", '.'}, {"011000100", ' '}, {"010010100", '*'},
    {"010101000", '$'}, {"010100010", '/'}, {"010001010", '+'}, {"000101010", '%'},
};

// Reads the symbol back from the canvas row y: runs of 2 pixels are narrow, 6 wide; every
// character is nine elements and a narrow gap.
std::string readBars(const Canvas& canvas, int32_t y) {
    std::vector<int> runs;
    int32_t x = 60;
    while (x < canvas.width) {
        const bool black = isBlack(canvas, x, y);
        int32_t end = x;
        while (end < canvas.width && isBlack(canvas, end, y) == black) ++end;
        if (!black && end == canvas.width) break;
        runs.push_back(end - x);
        x = end;
    }
    std::string text;
    for (std::size_t i = 0; i + 9 <= runs.size(); i += 10) {
        std::string pattern;
        for (std::size_t k = 0; k < 9; ++k) pattern += runs[i + k] == 6 ? '1' : runs[i + k] == 2 ? '0' : '?';
        const auto found = kStandard.find(pattern);
        text += found == kStandard.end() ? '?' : found->second;
    }
    return text;
}

Canvas drawField(const std::string& value, int32_t top = 30) {
    Canvas canvas(570, top + 200);
    selectFont(canvas, CaptionFont());
    drawBarcodeField(canvas, top, value);
    return canvas;
}

TEST(Code39Test, EncodesTheFieldBetweenStartAndStop) {
    const struct {
        std::string value, bars;
    } cases[] = {
        {"4711", "*000000004711*"},
        {"ABCDEFGHIJKL", "*ABCDEFGHIJKL*"},  // twelve characters, no padding
        {"abc12", "*0000000ABC12*"},
        {"1", "*000000000001*"},
        {"", "*000000000000*"},
        {"-. $/+%*", "*0000-. $/+%**"},      // an inner start/stop character is accepted
    };
    for (const auto& c : cases) {
        const Canvas canvas = drawField(c.value);
        EXPECT_EQ(readBars(canvas, 30 + 60), c.bars) << c.value;
    }
}

TEST(Code39Test, SymbolGeometry) {
    const int32_t top = 30;
    const Canvas canvas = drawField("4711", top);
    const Rect bars = blackBounds(canvas, {0, 0, 570, top + 128});
    EXPECT_EQ(bars.left, 60);         // the start character's narrow bar
    EXPECT_EQ(bars.top, top + 20);
    EXPECT_EQ(bars.bottom, top + 124);
    EXPECT_EQ(bars.right, 506);       // the last bar; the white gap after it ends at 508
    EXPECT_FALSE(isBlack(canvas, 506, top + 60));
    EXPECT_EQ(countBlack(canvas, {0, top + 124, 570, top + 129}), 0);
    // The characters beneath, each after three blanks, from (60, top + 129) in CaptionFont().
    Canvas expected(570, top + 200);
    selectFont(expected, CaptionFont());
    textOut(expected, 60, top + 129, "   0   0   0   0   0   0   0   0   4   7   1   1");
    EXPECT_EQ(testing::picture(canvas, {0, top + 129, 570, top + 200}),
              testing::picture(expected, {0, top + 129, 570, top + 200}));
}

TEST(Code39Test, CharactersKeepTheirCaseBeneathTheBars) {
    const Canvas canvas = drawField("abc12");
    Canvas expected(570, 230);
    selectFont(expected, CaptionFont());
    textOut(expected, 60, 159, "   0   0   0   0   0   0   0   a   b   c   1   2");
    EXPECT_EQ(testing::picture(canvas, {0, 159, 570, 230}), testing::picture(expected, {0, 159, 570, 230}));
}

TEST(Code39Test, ValuesItCannotEncode) {
    const struct {
        const char* what;
        std::string value;
        bool characters;  // the line of characters is still written
    } cases[] = {
        {"thirteen characters", "1234567890123", false},
        {"a hash", "12#4", true},
        {"an underscore", "a_b", true},
        {"a byte above 0x7F", "12\xE9", true},
    };
    for (const auto& c : cases) {
        const Canvas canvas = drawField(c.value);
        EXPECT_EQ(countBlack(canvas, {0, 0, 570, 30 + 124}), 0) << c.what;
        EXPECT_EQ(countBlack(canvas, {0, 30 + 129, 570, 230}) > 0, c.characters) << c.what;
    }
}

TEST(Code39Test, ElementCodes) {
    Code39Bars bars;
    EXPECT_EQ(appendCode39Character(bars, '1', 0), 10);
    const uint8_t one[10] = {3, 0, 1, 2, 1, 0, 1, 0, 3, 0};  // wnnwnnnnw + gap
    EXPECT_EQ(std::vector<uint8_t>(bars.codes, bars.codes + 10), std::vector<uint8_t>(one, one + 10));
    EXPECT_EQ(appendCode39Character(bars, '#', 10), -1);
    EXPECT_EQ(appendCode39Character(bars, 'a', 10), -1);  // lower case is upper-cased by the caller
    EXPECT_EQ(appendCode39Character(bars, '0', 4090), -1);  // would run past the record

    Code39Bars symbol;
    EXPECT_TRUE(encodeCode39(symbol, "000000004711"));
    EXPECT_EQ(symbol.count, 140);
    Code39Bars refused;
    EXPECT_FALSE(encodeCode39(refused, "12#"));
    EXPECT_EQ(refused.count, 0);
    Code39Bars tooLong;
    EXPECT_FALSE(encodeCode39(tooLong, std::string(500, '0')));
    EXPECT_EQ(tooLong.count, 0);
}

}  // namespace
}  // namespace kestrane
