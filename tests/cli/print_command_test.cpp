// `kestrane print` end to end against the in-test server; the run against CUPS' LPD server is
// in print_lpd_test.cpp.
#include <gtest/gtest.h>

#include "tests/support/lpd_test_server.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::entries;
using testing::LpdTestServer;
using testing::runCommand;

const std::string kSample = std::string(KESTRANE_SAMPLES) + "/vexo.html";

TEST(PrintCommandTest, PrintsTheMessageAndExitsByIt) {
    testing::TempDir base;
    const std::string build = base.make("node_modules/printer/build");
    LpdTestServer server;
    const auto printed =
        runCommand(KESTRANE_CLI, {"print", "--type", "epson", "--address", server.address(),
                                  "--base", base.path(), kSample});
    EXPECT_EQ(printed.out, "Receipt printed sucessfully\n");
    EXPECT_EQ(printed.status, 0);
    const auto escpos = runCommand(KESTRANE_CLI, {"escpos", kSample});
    EXPECT_EQ(server.received().data, escpos.out);
    EXPECT_TRUE(entries(build).empty());

    const auto refused = runCommand(KESTRANE_CLI, {"print", "--type", "EPSON", "--address", "a b",
                                                   "--base", base.path(), kSample});
    EXPECT_EQ(refused.out,
              "Error - The printer address must not contain blanks or control characters\n");
    EXPECT_EQ(refused.status, 1);

    const auto missing =
        runCommand(KESTRANE_CLI, {"print", "--type", "EPSON", "--address", server.address(),
                                  "--base", base.path() + "/nowhere", kSample});
    EXPECT_EQ(missing.out, "Error - No such file or directory (cannot create the receipt stream file in " +
                               base.path() + "/nowhere/node_modules/printer/build/)\n");
    EXPECT_EQ(missing.status, 1);
}

}  // namespace
}  // namespace kestrane
