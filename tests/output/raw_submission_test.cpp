#include "output/raw_submission.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <optional>

#include "jobs/job_messages.h"
#include "platform/system_error.h"
#include "platform/text_file.h"
#include "tests/support/lpd_test_server.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using std::chrono::milliseconds;
using testing::entries;
using testing::LpdTestServer;
using testing::readFile;
using testing::TempDir;

const RawLimits kQuick{milliseconds(1000), milliseconds(300), milliseconds(2000)};

// The submission's message, as the caller gets it.
std::string submitRaw(const std::string& jobDirectory, const std::string& address, const std::string& path,
                      const RawLimits& limits) {
    return jobMessage(submitRawJob(jobDirectory, address, path, limits));
}

TEST(RawSubmissionTest, NamesTheStreamFileInTheJobDirectory) {
    EXPECT_EQ(rawJobDirectory("C:\\app"), "C:\\app\\node_modules\\printer\\build\\");
    EXPECT_EQ(rawJobDirectory("C:\\my app\\"), "C:\\my app\\\\node_modules\\printer\\build\\");
    EXPECT_EQ(streamFilePath("C:\\app\\node_modules\\printer\\build\\", "0123"),
              "C:\\app\\node_modules\\printer\\build\\0123_receipt.ps");
    EXPECT_EQ(streamFilePath("C:\\app\\", std::nullopt), "C:\\app\\empty_receipt.ps");
    const std::optional<std::string> name = uniqueName();
    ASSERT_TRUE(name);
    EXPECT_EQ(name->size(), 32u);
    EXPECT_EQ(name->find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(uniqueName(), name);
}

// A stream file holding `bytes` as printRawReceipt would leave it, in `base`'s job directory.
std::string storedStreamFile(const std::string& base, const std::string& bytes) {
    const std::string path = streamFilePath(rawJobDirectory(base), uniqueName());
    const int fd = openStreamFile(path).descriptor;
    EXPECT_GE(fd, 0);
    EXPECT_TRUE(writeTextFile(fd, bytes));
    EXPECT_TRUE(closeTextFile(fd));
    return path;
}

TEST(RawSubmissionTest, OpenStreamFileCreatesTruncatesAndWritesInTextMode) {
    TempDir base;
    const std::string build = base.make("node_modules/printer/build");
    const std::string path = streamFilePath(rawJobDirectory(base.path()), "fixed");
    std::ofstream(build + "/fixed_receipt.ps") << "an earlier, longer stream";
    const int fd = openStreamFile(path).descriptor;
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(writeTextFile(fd, "\x1B@\nrow\n"));
    ASSERT_TRUE(closeTextFile(fd));
    EXPECT_EQ(readFile(build + "/fixed_receipt.ps"), "\x1B@\r\nrow\r\n");
}

TEST(RawSubmissionTest, OpenStreamFileFailsInAMissingJobDirectory) {
    TempDir base;
    const std::string path = streamFilePath(rawJobDirectory(base.path()), uniqueName());
    const OpenedFile file = openStreamFile(path);
    EXPECT_LT(file.descriptor, 0);
    EXPECT_EQ(file.error, ENOENT);
    EXPECT_TRUE(entries(base.path()).empty());
}

TEST(RawSubmissionTest, DeliveredJobSendsTheStoredBytesAndRemovesTheFile) {
    TempDir base;
    const std::string build = base.make("node_modules/printer/build");
    const std::string path = storedStreamFile(base.path(), "\x1B@\nA\n");
    LpdTestServer server;
    EXPECT_EQ(submitRaw(rawJobDirectory(base.path()), server.address(), path, kQuick),
              "Receipt printed sucessfully");
    const auto got = server.received();
    EXPECT_EQ(got.queue, "\x02RAW\n");
    EXPECT_EQ(got.data, "\x1B@\r\nA\r\n");
    // The document name is the stream file's name.
    const std::string name = path.substr(path.rfind('\\') + 1);
    EXPECT_NE(got.control.find("\nN" + name + "\n"), std::string::npos) << got.control;
    EXPECT_TRUE(entries(build).empty());
}

TEST(RawSubmissionTest, FailedDeliveriesAreErrorsAndRemoveTheFile) {
    const std::string refused = "127.0.0.1:" + std::to_string(testing::unusedPort());
    const struct {
        const char* what;
        LpdTestServer::Behaviour behaviour;
        LpdTestServer::Step step;
        std::string messageStart;
    } cases[] = {
        {"negative acknowledgement", LpdTestServer::Behaviour::Refuse, LpdTestServer::ReceiveJob,
         "Error - The printer at 127.0.0.1:"},
        {"no answer", LpdTestServer::Behaviour::Silent, LpdTestServer::DataFile,
         "Error - The printer at 127.0.0.1:"},
        {"closed early", LpdTestServer::Behaviour::Close, LpdTestServer::ControlFile,
         "Error - The printer at 127.0.0.1:"},
    };
    for (const auto& c : cases) {
        TempDir base;
        const std::string build = base.make("node_modules/printer/build");
        const std::string path = storedStreamFile(base.path(), "x\n");
        LpdTestServer server(c.behaviour, c.step);
        const std::string message =
            submitRaw(rawJobDirectory(base.path()), server.address(), path, kQuick);
        EXPECT_EQ(message.rfind(c.messageStart, 0), 0u) << c.what << ": " << message;
        EXPECT_TRUE(entries(build).empty()) << c.what;
    }
    TempDir base;
    const std::string build = base.make("node_modules/printer/build");
    const std::string path = storedStreamFile(base.path(), "x\n");
    EXPECT_EQ(submitRaw(rawJobDirectory(base.path()), refused, path, kQuick),
              "Error - Could not connect to the printer at " + refused + ": Connection refused");
    EXPECT_TRUE(entries(build).empty());
}

TEST(RawSubmissionTest, AMissingStreamFileIsAnError) {
    TempDir base;
    base.make("node_modules/printer/build");
    LpdTestServer server;
    const std::string path = streamFilePath(rawJobDirectory(base.path()), "gone");
    EXPECT_EQ(submitRaw(rawJobDirectory(base.path()), server.address(), path, kQuick),
              "Error - Could not read the receipt stream file: No such file or directory");
    EXPECT_FALSE(server.accepted());
}

}  // namespace
}  // namespace kestrane

namespace kestrane {
namespace {

// The stream file's creation says why it failed, not the "No such file" of opening what was
// never made.
TEST(RawSubmissionTest, AJobDirectoryThatRefusesTheFileGivesItsOwnReason) {
    TempDir base;
    std::ofstream(base.file("node_modules")) << "a file where the folder should be";
    const OpenedFile notAFolder = openStreamFile(streamFilePath(rawJobDirectory(base.path()), "x"));
    EXPECT_EQ(notAFolder.error, ENOTDIR);
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
    const std::string build = base.make("other/node_modules/printer/build");
    ::chmod(build.c_str(), 0500);
    const OpenedFile refused = openStreamFile(streamFilePath(rawJobDirectory(base.file("other")), "x"));
    ::chmod(build.c_str(), 0700);
    EXPECT_EQ(refused.error, EACCES);
}

}  // namespace
}  // namespace kestrane
