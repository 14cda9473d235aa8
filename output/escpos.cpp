#include "output/escpos.h"

#include <initializer_list>

namespace kestrane::escpos {

namespace {

// Commands are written as byte values: several contain 00, which a string literal would end at.
std::string bytes(std::initializer_list<unsigned char> values) {
    std::string text;
    for (unsigned char value : values) text += static_cast<char>(value);
    return text;
}

std::string nvGraphics(unsigned char keyHigh, unsigned char keyLow) {
    return bytes({0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, keyHigh, keyLow, 0x01, 0x01, 0x0A});
}

}  // namespace

const std::string kInitialise = bytes({0x1B, 0x40, 0x0A});
const std::string kAlignLeft = bytes({0x1B, 0x61, 0x30});
const std::string kAlignCentre = bytes({0x1B, 0x61, 0x31});
const std::string kEmphasisOn = bytes({0x1B, 0x45, 0x31});
const std::string kEmphasisOff = bytes({0x1B, 0x45, 0x30});
const std::string kRule = std::string(41, '_') + "\n\n";
const std::string kBrandLogo = nvGraphics(0x30, 0x30);
const std::string kLogo = nvGraphics(0x30, 0x31);
const std::string kQrCodeImage = "\n" + nvGraphics(0x30, 0x30);
const std::string kBottomImage = "\n" + nvGraphics(0x30, 0x32);
const std::string kBarcodeHeight = bytes({0x1D, 0x68, 0x50});
const std::string kBarcodeTextPosition = bytes({0x1D, 0x48, 0x32});
const std::string kBarcodeItf12 = bytes({0x1D, 0x6B, 0x46, 0x0C});
const std::string kCut = bytes({0x1D, 0x56, 0x42, 0x1E});

}  // namespace kestrane::escpos
