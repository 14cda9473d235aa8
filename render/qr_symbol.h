// QR Code symbols of a field's text, drawn at a row top with a fixed module size.
#pragma once

#include <cstdint>
#include <string>

#include "platform/canvas.h"

namespace kestrane {

struct QrPlacement {
    int32_t moduleSize;  // pixels a module side
    int32_t left;        // x of the copied area
    int32_t width;       // the copied area, from the symbol's top-left corner
    int32_t height;
};

// The placement of a fiscal QR symbol for a text of `length` bytes: smaller modules for longer
// texts so the symbol stays within 400 x 400 pixels.
QrPlacement fiscalQrPlacement(std::size_t length);

// Encodes `text` (error correction H, 8-bit mode, case kept, smallest version that holds it)
// and copies the top-left area of the symbol, upright, to (placement.left, top). A text the
// encoder refuses (empty, or too long for any symbol) draws nothing. Returns 0.
int drawQrSymbol(const std::string& text, Canvas& canvas, int32_t top, QrPlacement placement);

}  // namespace kestrane
