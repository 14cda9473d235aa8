#include "output/star_print.h"

#include <gtest/gtest.h>

namespace kestrane {

bool operator==(const PageSlice& a, const PageSlice& b) {
    return a.sourceTop == b.sourceTop && a.sourceRows == b.sourceRows && a.deviceRows == b.deviceRows;
}
void PrintTo(const PageSlice& s, std::ostream* out) {
    *out << "{" << s.sourceTop << ", " << s.sourceRows << ", " << s.deviceRows << "}";
}

namespace {

TEST(PageSlicesTest, FullPagesThenTheRemainder) {
    using Slices = std::vector<PageSlice>;
    const DeviceSize roll80{575, 1598, 203, 203};  // scale 575 / 570
    const DeviceSize roll58{383, 1598, 203, 203};  // scale 383 / 570: shrinking
    const DeviceSize same{570, 1000, 203, 203};
    const struct {
        const char* what;
        int32_t canvasHeight;
        DeviceSize device;
        Slices slices;
    } cases[] = {
        {"shorter than a page: T rows", 307, roll80, {{0, 307, 309}}},
        {"exactly one page, no partial page", 1585, roll80, {{0, 1584, 1598}}},
        {"a row short of a page", 1584, roll80, {{0, 1584, 1597}}},
        {"two full pages and the remainder", 3969, roll80, {{0, 1584, 1598}, {1584, 1584, 1598}, {3168, 801, 807}}},
        {"shrinking: more canvas rows a page", 3000, roll58, {{0, 2378, 1598}, {2378, 622, 417}}},
        {"scale 1", 2000, same, {{0, 1000, 1000}, {1000, 1000, 1000}}},
        {"no canvas", 0, roll80, {}},
        {"no device", 307, DeviceSize{}, {}},
        {"a page too short to hold a canvas row", 307, DeviceSize{575, 1, 203, 203}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(pageSlices(c.canvasHeight, c.device), c.slices) << c.what;
}

}  // namespace
}  // namespace kestrane
