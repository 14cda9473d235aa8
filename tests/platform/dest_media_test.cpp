#include "platform/cups/dest_media.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kestrane {
namespace {

// An 80 mm roll, 4 mm margins at the sides.
DestMedia roll(int shortest, int longest, int top = 0, int bottom = 0) {
    return {8000, 20000, 400, 400, top, bottom, shortest, longest};
}

TEST(DestMediaTest, AsksForPagesOfTheReceiptsLengthWhereTheRollIsCut) {
    const struct {
        const char* what;
        DestMedia media;
        int32_t pageRows;
        JobOptions options;
    } cases[] = {
        {"the receipt's length, rounded up",
         roll(1000, 100000),
         1423,
         {{"PageSize", "Custom.80.001x178.061mm"},
          {"media-col", "{media-size={x-dimension=8000 y-dimension=17806}}"},
          {"position", "top"}}},
        {"no shorter than the shortest",
         roll(1000, 100000),
         10,
         {{"PageSize", "Custom.80.001x10.001mm"},
          {"media-col", "{media-size={x-dimension=8000 y-dimension=1000}}"},
          {"position", "top"}}},
        {"no longer than the longest",
         roll(1000, 100000),
         9000,
         {{"PageSize", "Custom.80.001x1000.001mm"},
          {"media-col", "{media-size={x-dimension=8000 y-dimension=100000}}"},
          {"position", "top"}}},
        {"margins at the top and bottom: a longer sheet, left centred",
         roll(1000, 100000, 500, 300),
         1423,
         {{"PageSize", "Custom.80.001x186.061mm"},
          {"media-col", "{media-size={x-dimension=8000 y-dimension=18606}}"}}},
        {"a fixed sheet: held at its top", roll(0, 0), 1423, {{"position", "top"}}},
        {"a fixed sheet whose printable area starts lower: left centred",
         roll(0, 0, 500),
         1423,
         {}},
        {"no pages", roll(1000, 100000), 0, {{"position", "top"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pageOptions(c.media, c.pageRows, 203), c.options) << c.what;
}

TEST(DestMediaTest, CupsReadsBackEveryWidthAndLengthExactly) {
    // As CUPS reads "Custom.WxLmm": each number through a float, truncated to hundredths.
    const auto cups = [](const char* text, char** end) {
        return static_cast<int>(static_cast<float>(std::strtod(text, end)) * 100.0);
    };
    for (int width = 100; width <= 30000; width += 7) {
        for (int32_t rows : {1, 80, 1423, 7991}) {
            DestMedia media = roll(1, 1000000);
            media.width = width;
            const std::string size = pageOptions(media, rows, 203).at(0).second;
            char* end = nullptr;
            ASSERT_EQ(size.rfind("Custom.", 0), 0u) << size;
            ASSERT_EQ(cups(size.c_str() + 7, &end), width) << size;
            ASSERT_EQ(*end, 'x') << size;
            ASSERT_EQ(cups(end + 1, &end), (rows * 2540 + 202) / 203) << size;
            ASSERT_STREQ(end, "mm") << size;
        }
    }
}

TEST(DestMediaTest, TheLongestPageIsTheLongestLengthLessTheMargins) {
    EXPECT_EQ(longestPageRows(roll(1000, 100000), 203), 7992);
    EXPECT_EQ(longestPageRows(roll(1000, 100000, 500, 500), 203), 7912);
    EXPECT_EQ(longestPageRows(roll(0, 0), 203), 0);
    EXPECT_EQ(longestPageRows(roll(1000, 1000, 600, 400), 203), 0);
}

}  // namespace
}  // namespace kestrane
