#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "platform/system_error.h"
#include "tests/support/run_command.h"

namespace kestrane {
namespace {

using testing::readFile;
using testing::writeTempFile;

TEST(TextModeTest, StoresEveryLineFeedAsCrLf) {
    const struct {
        std::string written, stored;
    } cases[] = {
        {"", ""},
        {"\n", "\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"\r\n", "\r\r\n"},  // text mode does not look at what comes before
        {"\n\n", "\r\n\r\n"},
        {std::string("\0\n\x1B", 3), std::string("\0\r\n\x1B", 4)},
        {"no line feed\r", "no line feed\r"},
    };
    for (const auto& c : cases) EXPECT_EQ(textModeBytes(c.written), c.stored);
}

TEST(TextFileTest, WritesThroughTheDescriptorInTextMode) {
    const std::string path = writeTempFile("text-file", "old content that is longer");
    const int fd = openTextFile(path).descriptor;
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(writeTextFile(fd, "\x1B@\n"));
    EXPECT_TRUE(writeTextFile(fd, "row\n"));
    EXPECT_TRUE(closeTextFile(fd));
    // No truncation on open: what is not overwritten stays.
    EXPECT_EQ(readFile(path), "\x1B@\r\nrow\r\nnt that is longer");
    std::remove(path.c_str());
}

TEST(TextFileTest, NeitherCreatesNorReportsSuccessForAMissingFile) {
    setLastSystemError(0);
    const OpenedFile missing = openTextFile("/nonexistent-kestrane-dir/file.ps");
    EXPECT_LT(missing.descriptor, 0);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(lastSystemError(), ENOENT);
    EXPECT_FALSE(std::ifstream("/nonexistent-kestrane-dir/file.ps").good());
}

TEST(SystemErrorTest, GivesTheSystemText) {
    EXPECT_EQ(systemErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(systemErrorText(ECONNREFUSED), "Connection refused");
    setLastSystemError(EACCES);
    EXPECT_EQ(lastSystemError(), EACCES);
    setLastSystemError(0);
    EXPECT_EQ(lastSystemError(), 0);
}

}  // namespace
}  // namespace kestrane
