// `kestrane escpos` end to end: the bytes it writes are the stored stream of the layout.
#include <gtest/gtest.h>

#include <cstdio>

#include "output/byte_sink.h"
#include "output/raw_conversion.h"
#include "platform/text_file.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::readFile;
using testing::runCommand;

TEST(EscposCommandTest, WritesTheStoredStreamToStandardOutputOrAFile) {
    const std::string layout =
        "<table><tr><td><center>A</center></td></tr><tr><td>B: 1</td></tr></table>";
    StringSink sink;
    writeRawReceipt(layout, sink);
    const std::string stored = textModeBytes(sink.bytes());
    ASSERT_NE(stored.find("\r\n"), std::string::npos);

    testing::TempDir dir;
    const std::string layoutPath = dir.path() + "/layout.html";
    std::FILE* file = std::fopen(layoutPath.c_str(), "wb");
    std::fwrite(layout.data(), 1, layout.size(), file);
    std::fclose(file);

    const auto toStdout = runCommand(KESTRANE_CLI, {"escpos", layoutPath});
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, stored);

    const std::string outPath = dir.path() + "/out.escpos";
    const auto toFile = runCommand(KESTRANE_CLI, {"escpos", layoutPath, "-o", outPath});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(readFile(outPath), stored);

    const auto fromStdin = runCommand(KESTRANE_CLI, {"escpos", "-"}, layoutPath);
    EXPECT_EQ(fromStdin.out, stored);
}

TEST(EscposCommandTest, SamplesEqualTheReviewedStreams) {
    for (const std::string sample : {"kestrane", "vexo", "invoice"}) {
        const auto result = runCommand(
            KESTRANE_CLI, {"escpos", std::string(KESTRANE_SAMPLES) + "/" + sample + ".html"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out,
                  readFile(std::string(KESTRANE_TEST_DATA) + "/escpos/" + sample + ".escpos"))
            << sample;
    }
}

}  // namespace
}  // namespace kestrane
