// The ESC/POS commands the EPSON path sends, byte for byte.
#pragma once

#include <string>

namespace kestrane::escpos {

extern const std::string kInitialise;           // ESC @, then LF
extern const std::string kAlignLeft;            // ESC a "0"
extern const std::string kAlignCentre;          // ESC a "1"
extern const std::string kEmphasisOn;           // ESC E "1"
extern const std::string kEmphasisOff;          // ESC E "0"
extern const std::string kRule;                 // 41 underscores (not 42), then two LF
extern const std::string kBrandLogo;            // GS ( L: print NV graphics "00" at 1 x 1, then LF
extern const std::string kLogo;                 // the same with key code "01"
extern const std::string kQrCodeImage;          // LF, NV graphics "00", LF
extern const std::string kBottomImage;          // LF, NV graphics "02", LF
extern const std::string kBarcodeHeight;        // GS h 80 (dots)
extern const std::string kBarcodeTextPosition;  // GS H "2": digits below the bars
extern const std::string kBarcodeItf12;  // GS k 70 (Interleaved 2 of 5) announcing 12 data bytes
extern const std::string kCut;           // GS V 66 30: feed past the cutter, partial cut

// Number of data bytes kBarcodeItf12 announces.
constexpr std::size_t kBarcodeLength = 12;

}  // namespace kestrane::escpos
