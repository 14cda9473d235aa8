// The three sample layouts against their reviewed streams under tests/data/escpos (the bytes as
// the stream file stores them), and what a reader of those streams finds in them.
#include <gtest/gtest.h>

#include <algorithm>

#include "output/byte_sink.h"
#include "output/raw_conversion.h"
#include "platform/text_file.h"
#include "tests/support/escpos_reader.h"
#include "tests/support/run_command.h"

namespace kestrane {
namespace {

using testing::escPosListing;
using testing::readEscPos;
using testing::readFile;

std::string storedStream(const std::string& sample) {
    StringSink sink;
    writeRawReceipt(readFile(std::string(KESTRANE_SAMPLES) + "/" + sample + ".html"), sink);
    return textModeBytes(sink.bytes());
}

std::size_t count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(RawSamplesTest, StreamsEqualTheReviewedFiles) {
    for (const std::string sample : {"kestrane", "vexo", "invoice"}) {
        const std::string expected =
            readFile(std::string(KESTRANE_TEST_DATA) + "/escpos/" + sample + ".escpos");
        ASSERT_FALSE(expected.empty()) << sample;
        const std::string got = storedStream(sample);
        EXPECT_EQ(got, expected) << sample << ": got\n"
                                 << escPosListing(got) << "expected\n"
                                 << escPosListing(expected);
    }
}

TEST(RawSamplesTest, StreamsHoldTheSamplesCommands) {
    const struct {
        const char* sample;
        std::vector<std::string> commands;  // in this order, each once
        std::string barcode;
    } cases[] = {
        // The kestrane logo is a .bmp, which no stored logo name matches.
        {"kestrane",
         {"init", "CRLF", "align centre", "align centre", "text \"Kestrane Coffee Roasters Ltd.\""},
         "000004711023"},
        {"vexo",
         {"init", "CRLF", "align centre", "nv-image 00 1x1", "CRLF", "align centre",
          "text \"Vexo Market\""},
         "000000118204"},
        {"invoice",
         {"init", "CRLF", "align centre", "nv-image 00 1x1", "CRLF", "align centre", "bold on",
          "text \"TAX INVOICE\""},
         "000000000381"},
    };
    for (const auto& c : cases) {
        const auto lines = readEscPos(storedStream(c.sample));
        ASSERT_GE(lines.size(), c.commands.size()) << c.sample;
        EXPECT_TRUE(std::equal(c.commands.begin(), c.commands.end(), lines.begin()))
            << escPosListing(storedStream(c.sample));
        EXPECT_EQ(count(lines, "itf \"" + c.barcode + "\""), 1u) << c.sample;
        EXPECT_EQ(count(lines, "cut partial feed 30"), 1u) << c.sample;
        EXPECT_EQ(count(lines, "LF"), 0u) << c.sample << ": every line feed is stored as CR LF";
    }
}

}  // namespace
}  // namespace kestrane
