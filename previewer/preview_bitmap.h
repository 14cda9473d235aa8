// The one bitmap the preview pane shows and PRINT prints: the start picture, a rendered receipt,
// or the placeholder of a layout that did not render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/canvas.h"
#include "platform/image.h"

namespace kestrane::previewer {

enum class PreviewKind { kStartPicture, kReceipt, kPlaceholder };

struct PreviewBitmap {
    PreviewKind kind = PreviewKind::kPlaceholder;
    // One bit a pixel: what PRINT sends, and what the pane shows for a receipt or placeholder.
    Canvas canvas{0, 0};
    // The start picture in colour, as the pane shows it; empty for the other kinds.
    Image picture;

    int32_t width() const { return canvas.width; }
    int32_t height() const { return canvas.height; }
};

// The start picture from the bytes of its BMP file, with a halftoned copy to print (the way a
// receipt image is printed). None when the bytes are not a bitmap.
std::optional<PreviewBitmap> startPicture(std::string bmpBytes);

// A white 600 x 400 bitmap with "Template Could not Render" at (100, 100), and `reason`, when
// there is one, wrapped in the space below.
PreviewBitmap placeholderBitmap(const std::string& reason = std::string());

}  // namespace kestrane::previewer
