// The whole EPSON job: conversion, stream file, delivery, message; and its faults, each with its
// message and nothing left behind.
#include "output/raw_receipt.h"

#include <gtest/gtest.h>

#include "markup/layout_limits.h"
#include "jobs/job_messages.h"

#include "output/byte_sink.h"
#include "output/raw_conversion.h"
#include "platform/text_file.h"
#include "tests/support/lpd_test_server.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using std::chrono::milliseconds;
using testing::entries;
using testing::LpdTestServer;
using testing::TempDir;
using Clock = std::chrono::steady_clock;

const RawLimits kQuick{milliseconds(1000), milliseconds(300), milliseconds(2000)};
const char kLayout[] =
    "<table><tr><td><center><strong>RECEIPT</strong></center></td></tr>"
    "<tr><td>Total: 1.00</td></tr>"
    "<tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"42\"></td></tr></table>";

// The job's message, as the caller gets it.
std::string printRaw(const std::string& base, const std::string& address, const std::string& layout,
                     const RawLimits& limits) {
    return jobMessage(printRawReceipt(base, address, layout, limits));
}

std::string storedBytes(const std::string& layout) {
    StringSink sink;
    writeRawReceipt(layout, sink);
    return textModeBytes(sink.bytes());
}

TEST(PrintRawReceiptTest, DeliversTheStoredStreamAndRemovesItsFile) {
    TempDir base;
    const std::string build = base.make("node_modules/printer/build");
    LpdTestServer server;
    EXPECT_EQ(printRaw(base.path(), server.address(), kLayout, kQuick),
              "Receipt printed sucessfully");
    const auto got = server.received();
    EXPECT_EQ(got.data, storedBytes(kLayout));
    // The job is named after a stream file with a 32-digit unique name.
    const auto name = got.control.find("\nN");
    ASSERT_NE(name, std::string::npos);
    const std::string document =
        got.control.substr(name + 2, got.control.find('\n', name + 2) - name - 2);
    EXPECT_EQ(document.size(), 32u + 11u) << document;
    EXPECT_EQ(document.substr(32), "_receipt.ps");
    EXPECT_EQ(document.find_first_not_of("0123456789abcdef"), 32u);
    EXPECT_TRUE(entries(build).empty());
}

TEST(PrintRawReceiptTest, FaultsGiveTheirMessageAndLeaveNothingBehind) {
    const std::string quiet = "127.0.0.1:" + std::to_string(testing::unusedPort());
    const struct {
        const char* what;
        bool makeJobDirectory;
        std::string address;  // empty: the in-test server's
        LpdTestServer::Behaviour behaviour;
        std::string message;  // exact, or the start of it when it names the server's port
        bool exact;
    } cases[] = {
        {"missing job directory", false, "", LpdTestServer::Behaviour::Acknowledge,
         "Error - No such file or directory (cannot create the receipt stream file in /", false},
        {"nothing listening", true, quiet, LpdTestServer::Behaviour::Acknowledge,
         "Error - Could not connect to the printer at " + quiet + ": Connection refused", true},
        {"address with a blank", true, "127.0.0.1 -P other", LpdTestServer::Behaviour::Acknowledge,
         "Error - The printer address must not contain blanks or control characters", true},
        {"address with a line feed", true, "127.0.0.1\n", LpdTestServer::Behaviour::Acknowledge,
         "Error - The printer address must not contain blanks or control characters", true},
        {"negative acknowledgement", true, "", LpdTestServer::Behaviour::Refuse,
         "Error - The printer at 127.0.0.1:", false},
        {"a server that never answers", true, "", LpdTestServer::Behaviour::Silent,
         "Error - The printer at 127.0.0.1:", false},
    };
    for (const auto& c : cases) {
        TempDir base;
        if (c.makeJobDirectory) base.make("node_modules/printer/build");
        const auto before = entries(base.path());
        LpdTestServer server(c.behaviour, LpdTestServer::ReceiveJob);
        const std::string address = c.address.empty() ? server.address() : c.address;
        const auto start = Clock::now();
        const std::string message = printRaw(base.path(), address, kLayout, kQuick);
        EXPECT_LT(Clock::now() - start, milliseconds(1500)) << c.what;
        if (c.exact) {
            EXPECT_EQ(message, c.message) << c.what;
        } else {
            EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.what << ": " << message;
        }
        EXPECT_EQ(entries(base.path()), before) << c.what;
        if (c.makeJobDirectory) {
            EXPECT_TRUE(entries(base.path() + "/node_modules/printer/build").empty()) << c.what;
        }
    }
}

TEST(PrintRawReceiptTest, ABlankAddressIsRefusedBeforeAnyFileIsMade) {
    // The job directory is missing too: the address is checked first.
    TempDir base;
    EXPECT_EQ(printRaw(base.path(), "", kLayout, kQuick),
              "Error - The printer address names no host");
    EXPECT_EQ(printRaw(base.path(), "10.0.0.1\t", kLayout, kQuick),
              "Error - The printer address must not contain blanks or control characters");
    EXPECT_EQ(printRaw(base.path(), "10.0.0.1", std::string(kMaxLayoutBytes + 1, 'x'), kQuick),
              jobMessage(jobOutcome(JobStatus::kLayoutTooLarge)));
    EXPECT_TRUE(entries(base.path()).empty());
}

}  // namespace
}  // namespace kestrane
