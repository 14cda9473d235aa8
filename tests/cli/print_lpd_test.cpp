// `kestrane print` against a real line printer daemon: CUPS' cups-lpd in front of the virtual
// printer's scheduler, whose RAW queue prints to a sink. The bytes the sink receives must be exactly the
// `kestrane escpos` bytes, and the stream file must be gone afterwards.
#include <gtest/gtest.h>

#include "tests/support/virtual_printer.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::VirtualPrinter;
using testing::entries;
using testing::runCommand;

std::string samplePath(const std::string& sample) {
    return std::string(KESTRANE_SAMPLES) + "/" + sample + ".html";
}

TEST(PrintLpdTest, SamplesArriveAtThePrinterByteForByte) {
    VirtualPrinter server;
    ASSERT_EQ(server.problem(), "");
    testing::TempDir base;
    const std::string build = base.make("node_modules/printer/build");
    for (const std::string sample : {"kestrane", "vexo", "invoice"}) {
        const auto expected = runCommand(KESTRANE_CLI, {"escpos", samplePath(sample)});
        ASSERT_EQ(expected.status, 0);
        const auto printed =
            runCommand(KESTRANE_CLI, {"print", "--type", "EPSON", "--address", server.address(),
                                      "--base", base.path(), samplePath(sample)});
        EXPECT_EQ(printed.out, "Receipt printed sucessfully\n") << sample;
        EXPECT_EQ(printed.status, 0) << sample;
        EXPECT_TRUE(entries(build).empty()) << sample << ": the stream file is removed";
        EXPECT_EQ(server.takeJobs("RAW", 1), std::vector<std::string>{expected.out}) << sample;
    }
}

TEST(PrintLpdTest, AQueueThatRejectsJobsGivesANegativeAcknowledgement) {
    VirtualPrinter server;
    ASSERT_EQ(server.problem(), "");
    ASSERT_EQ(server.cups({"cupsreject", "RAW"}), "");
    testing::TempDir base;
    const std::string build = base.make("node_modules/printer/build");
    const auto printed =
        runCommand(KESTRANE_CLI, {"print", "--type", "EPSON", "--address", server.address(),
                                  "--base", base.path(), samplePath("vexo")});
    EXPECT_EQ(printed.out,
              "Error - The printer at " + server.address() +
                  " refused the print job (negative acknowledgement 1 to the receive-job "
                  "command for queue RAW)\n");
    EXPECT_EQ(printed.status, 1);
    EXPECT_TRUE(entries(build).empty());
    EXPECT_EQ(server.cups({"lpstat", "-o"}), "");
    EXPECT_TRUE(server.takeJobs("RAW", 0, std::chrono::seconds(1)).empty());
}

}  // namespace
}  // namespace kestrane
