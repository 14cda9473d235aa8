// Every command refuses bad use the same way: a message on standard error, nothing on standard
// output, exit status 2.
#include <gtest/gtest.h>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::runCommand;

TEST(UsageTest, CommandsRefuseBadUse) {
    testing::TempDir dir;
    const std::string layout = dir.file("l.html");
    testing::writeBytes(layout, "<table><tr><td>x</td></tr></table>");
    testing::writeBytes(dir.file("file"), "");
    const std::string sample = std::string(KESTRANE_SAMPLES) + "/vexo.html";
    const std::string absent = "/nonexistent/layout.html";
    const std::vector<std::vector<std::string>> misuse = {
        {},
        {"unknown"},
        {"tree"},
        {"tree", absent},
        {"tree", "a", "b"},
        {"tree", "a", "--bogus"},
        {"tree", layout, "--base"},
        {"render", layout},
        {"render", layout, "--out"},
        {"render", "--out", dir.file("o")},
        {"render", absent, "--out", dir.file("o")},
        {"render", layout, "--out", dir.file("file") + "/sub"},
        {"escpos"},
        {"escpos", absent},
        {"escpos", "a", "b"},
        {"escpos", "a", "-o"},
        {"escpos", "--bogus"},
        {"escpos", "-x", layout},
        {"escpos", sample, "-o", "/nonexistent/dir/out"},
        {"print"},
        {"print", sample},
        {"print", "--type", "STAR", "--address", "127.0.0.1", "--base", "/tmp", sample},
        {"print", "--type", "EPSON", "--address", "127.0.0.1", "--base", "/tmp", absent},
        {"print", "--type", "EPSON", "--address", "127.0.0.1", "--base", "/tmp", sample, sample},
        {"print", "--type", "EPSON", "--address", "127.0.0.1", "--bogus", "/tmp", sample},
        {"print", "--type", "EPSON", "--address"},
    };
    for (const auto& args : misuse) {
        const auto result = runCommand(KESTRANE_CLI, args);
        std::string call;
        for (const auto& arg : args) call += " " + arg;
        EXPECT_EQ(result.status, 2) << call;
        EXPECT_EQ(result.out, "") << call;
    }
}

}  // namespace
}  // namespace kestrane
