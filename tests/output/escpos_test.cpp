#include "output/escpos.h"

#include <gtest/gtest.h>

#include "tests/support/escpos_reader.h"

namespace kestrane {
namespace {

using testing::hex;

TEST(EscPosTest, CommandsAreTheseBytes) {
    const struct {
        const std::string& command;
        std::string bytes;
    } cases[] = {
        {escpos::kInitialise, hex("1B 40 0A")},
        {escpos::kAlignLeft, hex("1B 61 30")},
        {escpos::kAlignCentre, hex("1B 61 31")},
        {escpos::kEmphasisOn, hex("1B 45 31")},
        {escpos::kEmphasisOff, hex("1B 45 30")},
        {escpos::kRule, std::string(41, '_') + hex("0A 0A")},
        {escpos::kBrandLogo, hex("1D 28 4C 06 00 30 45 30 30 01 01 0A")},
        {escpos::kLogo, hex("1D 28 4C 06 00 30 45 30 31 01 01 0A")},
        {escpos::kQrCodeImage, hex("0A 1D 28 4C 06 00 30 45 30 30 01 01 0A")},
        {escpos::kBottomImage, hex("0A 1D 28 4C 06 00 30 45 30 32 01 01 0A")},
        {escpos::kBarcodeHeight, hex("1D 68 50")},
        {escpos::kBarcodeTextPosition, hex("1D 48 32")},
        {escpos::kBarcodeItf12, hex("1D 6B 46 0C")},
        {escpos::kCut, hex("1D 56 42 1E")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.command, c.bytes) << testing::escPosListing(c.command);
    }
    EXPECT_EQ(escpos::kRule.size(), 43u);
}

TEST(EscPosReaderTest, DecodesTheCommandsItKnows) {
    const std::string stream = hex("1B 40 0A 1B 61 31 1B 45 31") + "HI" +
                               hex("1B 45 30 0D 0A 1D 28 4C 06 00 30 45 30 31 01 01 0A") +
                               hex("1D 68 50 1D 48 32 1D 6B 46 0C") + "000001234567" +
                               hex("1D 56 42 1E 1B 21 00");
    EXPECT_EQ(testing::escPosListing(stream),
              "init\nLF\nalign centre\nbold on\ntext \"HI\"\nbold off\nCRLF\nnv-image 01 1x1\nLF\n"
              "barcode-height 80\nbarcode-text 2\nitf \"000001234567\"\ncut partial feed 30\n"
              "command? \\x1B!\ntext \"\\x00\"\n");
}

}  // namespace
}  // namespace kestrane
