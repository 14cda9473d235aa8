#include "platform/uuid.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrane {
namespace {

TEST(UuidTest, IsThirtyTwoLowerCaseHexDigitsOfAVersionFourUuid) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string uuid = newUuidHex();
        ASSERT_EQ(uuid.size(), 32u);
        EXPECT_EQ(uuid.find_first_not_of("0123456789abcdef"), std::string::npos) << uuid;
        EXPECT_EQ(uuid[12], '4') << uuid;                                          // version
        EXPECT_NE(std::string("89ab").find(uuid[16]), std::string::npos) << uuid;  // variant
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
}  // namespace kestrane
