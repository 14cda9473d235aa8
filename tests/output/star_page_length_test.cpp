// Pages of a printer that cuts its roll to the length a document asks for.
#include <gtest/gtest.h>

#include "output/star_print.h"

namespace kestrane {
namespace {

// {sourceTop, sourceRows, deviceRows} of each page.
std::vector<std::vector<int32_t>> rowsOf(const std::vector<PageSlice>& slices) {
    std::vector<std::vector<int32_t>> rows;
    for (const PageSlice& s : slices) rows.push_back({s.sourceTop, s.sourceRows, s.deviceRows});
    return rows;
}

TEST(StarPageLengthTest, AReceiptUpToTheLongestPageIsOnePageOfItsOwnLength) {
    DeviceSize roll{575, 1598, 203, 203};  // scale 575 / 570
    roll.longestPage = 7992;               // 1 m
    DeviceSize sheet = roll;
    sheet.longestPage = 0;
    const struct {
        const char* what;
        int32_t canvasHeight;
        DeviceSize device;
        std::vector<std::vector<int32_t>> pages;
        int32_t asked;  // the page length the document asks for
    } cases[] = {
        {"longer than the default page", 3969, roll, {{0, 3969, 4003}}, 4003},
        {"the sample", 1411, roll, {{0, 1411, 1423}}, 1423},
        {"exactly the longest page", 7923, roll, {{0, 7922, 7992}}, 7992},
        {"longer: the longest, then the rest",
         9000,
         roll,
         {{0, 7922, 7992}, {7922, 1078, 1086}},
         7992},
        {"pages of the default length where nothing is cut",
         3969,
         sheet,
         {{0, 1584, 1598}, {1584, 1584, 1598}, {3168, 801, 807}},
         1598},
        {"no canvas", 0, roll, {}, 0},
    };
    for (const auto& c : cases) {
        const std::vector<PageSlice> slices = pageSlices(c.canvasHeight, c.device);
        EXPECT_EQ(rowsOf(slices), c.pages) << c.what;
        EXPECT_EQ(longestSlice(slices), c.asked) << c.what;
    }
}

}  // namespace
}  // namespace kestrane
