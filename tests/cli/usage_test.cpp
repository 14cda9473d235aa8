// Every command refuses bad use the same way: a message on standard error that names the fault,
// nothing on standard output, exit status 2. Asking for help or the version is not bad use.
#include <gtest/gtest.h>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::runCommand;

// The first line of `text`.
std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(UsageTest, CommandsRefuseBadUseSayingWhy) {
    testing::TempDir dir;
    const std::string layout = dir.file("l.html");
    testing::writeBytes(layout, "<table><tr><td>x</td></tr></table>");
    testing::writeBytes(dir.file("file"), "");
    testing::writeBytes(dir.file("big.html"), std::string((4u << 20) + 1, ' '));
    const std::string sample = std::string(KESTRANE_SAMPLES) + "/vexo.html";
    const std::string absent = "/nonexistent/layout.html";
    const struct {
        std::vector<std::string> args;
        std::string error;  // the first line on standard error
    } cases[] = {
        {{}, "usage: kestrane COMMAND ARGUMENTS..."},
        {{"unknown"}, "kestrane: unknown command \"unknown\""},
        {{"tree"}, "kestrane tree: no LAYOUT given (a file, or - for standard input)"},
        {{"tree", absent}, "kestrane: " + absent + ": No such file or directory"},
        {{"tree", "a", "b"}, "kestrane tree: one LAYOUT only, but \"b\" follows \"a\""},
        {{"tree", "a", "--bogus"}, "kestrane tree: unknown option \"--bogus\""},
        {{"tree", layout, "--base"}, "kestrane tree: option --base needs a value"},
        {{"tree", dir.file("big.html")},
         "kestrane: " + dir.file("big.html") +
             ": the layout is larger than 4194304 bytes (4 MiB), the most a receipt may be"},
        {{"render", layout}, "kestrane render: option --out is required"},
        {{"render", layout, "-o"}, "kestrane render: option -o needs a value"},
        {{"render", "--out", dir.file("o")}, "kestrane render: no LAYOUT given (a file, or - for standard input)"},
        {{"render", absent, "--out", dir.file("o")}, "kestrane: " + absent + ": No such file or directory"},
        {{"render", layout, "--out", dir.file("file") + "/sub"}, "kestrane: " + dir.file("file") + "/sub: Not a directory"},
        {{"escpos"}, "kestrane escpos: no LAYOUT given (a file, or - for standard input)"},
        {{"escpos", "-x", layout}, "kestrane escpos: unknown option \"-x\""},
        {{"escpos", sample, "-o", "/nonexistent/dir/out"}, "kestrane: /nonexistent/dir/out: cannot write"},
        {{"print", sample}, "kestrane print: option --type is required"},
        {{"print", "--type", "EPSON", "--address", "127.0.0.1", sample}, "kestrane print: option --base is required"},
        {{"print", "--type", "STAR", "--address", "127.0.0.1", "--base", "/tmp", sample},
         "kestrane print: option --printer is required for STAR"},
        {{"print", "--type", "EPSON", "--printer", "x", "--base", "/tmp", sample},
         "kestrane print: option --address is required for EPSON"},
        {{"print", "--type", "LASER", "--printer", "x", "--base", "/tmp", sample},
         "kestrane print: printer type \"LASER\" is not one of STAR and EPSON"},
        {{"printers", "extra"}, "kestrane printers: no arguments are taken, but \"extra\" was given"},
        {{"pages", "job.bin"}, "kestrane pages: option --out is required"},
        {{"pages", "-o", "x"}, "kestrane pages: no JOBFILE given"},
        {{"print", "--type", "EPSON", "--address", "127.0.0.1", "--base", "/tmp", absent},
         "kestrane: " + absent + ": No such file or directory"},
        {{"print", "--type", "EPSON", "--address"}, "kestrane print: option --address needs a value"},
    };
    for (const auto& c : cases) {
        const auto result = runCommand(KESTRANE_CLI, c.args);
        std::string call;
        for (const auto& arg : c.args) call += " " + arg;
        EXPECT_EQ(result.status, 2) << call;
        EXPECT_EQ(result.out, "") << call;
        EXPECT_EQ(firstLine(result.err), c.error) << call;
    }
}

TEST(UsageTest, HelpAndVersionGoToStandardOutput) {
    const struct {
        std::vector<std::string> args;
        std::string first;  // the first line on standard output
    } cases[] = {
        {{"--help"}, "usage: kestrane COMMAND ARGUMENTS..."},
        {{"-h"}, "usage: kestrane COMMAND ARGUMENTS..."},
        {{"render", "--help"}, "usage: kestrane render LAYOUT -o|--out DIR [--base BASEDIR] [--preview | --device WxH]"},
        {{"tree", "x", "-h"}, "usage: kestrane tree LAYOUT [--preview] [--measure] [--base BASEDIR]"},
        {{"escpos", "--help"}, "usage: kestrane escpos LAYOUT [-o|--out FILE] [--native-qr | --raster [--dots N] [--base BASEDIR]]"},
        {{"print", "--help"}, "usage: kestrane print --type STAR --printer NAME --base BASEDIR [--confirm SECONDS] LAYOUT"},
        {{"pages", "--help"}, "usage: kestrane pages JOBFILE -o|--out DIR"},
        {{"--version"}, "kestrane " KESTRANE_VERSION},
    };
    for (const auto& c : cases) {
        const auto result = runCommand(KESTRANE_CLI, c.args);
        EXPECT_EQ(result.status, 0) << c.first;
        EXPECT_EQ(firstLine(result.out), c.first);
        EXPECT_EQ(result.err, "") << c.first;
    }
}

}  // namespace
}  // namespace kestrane
