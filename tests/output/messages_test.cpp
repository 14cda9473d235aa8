#include "output/messages.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/system_error.h"

namespace kestrane {
namespace {

TEST(MessagesTest, ErrorTextPutsThePrefixInFront) {
    EXPECT_EQ(errorText("x"), "Error - x");
    EXPECT_EQ(errorText(""), "Error - ");
    EXPECT_STREQ(kRawSuccess, "Receipt printed sucessfully");
}

TEST(MessagesTest, SystemErrorTextsFromTheLastError) {
    setLastSystemError(0);
    EXPECT_EQ(windowsErrorText(), "No error message has been recorded");
    setLastSystemError(ENOENT);
    EXPECT_EQ(windowsErrorText(), "Error - No such file or directory");
    setLastSystemError(EACCES);
    EXPECT_EQ(windowsErrorText(), "Error - Permission denied");
    EXPECT_EQ(systemErrorMessage(ECONNREFUSED), "Error - Connection refused");
    EXPECT_EQ(systemErrorMessage(0), "No error message has been recorded");
    setLastSystemError(0);
}

}  // namespace
}  // namespace kestrane
