// The receipt canvas: a packed one-bit bitmap with the drawing state of a device context (font,
// pen, current position). Only the operations the receipt engine uses exist.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/font.h"
#include "platform/image.h"

namespace kestrane {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Text formats, with the values of the platform they stand in for.
enum TextFormat : unsigned {
    kAlignLeft = 0x00,
    kAlignCenter = 0x01,
    kAlignRight = 0x02,
    kWordBreak = 0x10,
};

// A solid pen: lines `width` pixels wide, drawn black or white.
struct Pen {
    int width = 1;
    bool white = false;
};

struct Canvas {
    // A white canvas; sizes below 0 count as 0.
    Canvas(int32_t width, int32_t height);

    int32_t width;
    int32_t height;
    int32_t stride;             // bytes a row
    std::vector<uint8_t> bits;  // rows top-down, most significant bit first, bit set = white
    const Font* font = nullptr;
    Pen pen;
    int32_t penX = 0;
    int32_t penY = 0;
};

inline bool isBlack(const Canvas& canvas, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return false;
    const uint8_t byte = canvas.bits[static_cast<std::size_t>(y) * canvas.stride + x / 8];
    return (byte & (0x80 >> (x % 8))) == 0;
}

// Sets one pixel; positions outside the canvas are ignored.
inline void setPixel(Canvas& canvas, int32_t x, int32_t y, bool black) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
    uint8_t& byte = canvas.bits[static_cast<std::size_t>(y) * canvas.stride + x / 8];
    const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
    byte = black ? static_cast<uint8_t>(byte & ~mask) : static_cast<uint8_t>(byte | mask);
}

// Fills the part of `rect` that lies on the canvas.
void fillRect(Canvas& canvas, Rect rect, bool black);

// Makes `font` current; a missing font leaves the current one, as a null handle would.
void selectFont(Canvas& canvas, const Font* font);
// Makes `pen` current and returns the one it replaces.
Pen selectPen(Canvas& canvas, Pen pen);
void moveTo(Canvas& canvas, int32_t x, int32_t y);
// A line from the current position to (x, y), end point excluded, with the current pen; a pen
// of width w covers w pixels to the right of a vertical line and below a horizontal one.
void lineTo(Canvas& canvas, int32_t x, int32_t y);

// Draws `text` in the current font inside `rect`: a line ends at every "\n" (or "\r", "\r\n"),
// kWordBreak also breaks lines wider than the rectangle between words (inside a word that does
// not fit alone), each line is placed left, centred or right, one cell height below the one
// before, on an opaque white background, clipped to `rect`.
void drawText(Canvas& canvas, std::string_view text, Rect rect, unsigned format);

// Draws one line of `text` with its cell's top-left corner at (x, y).
void textOut(Canvas& canvas, int32_t x, int32_t y, std::string_view text);

// Scales `image` onto `target` with halftoning: luminance, box-filtered, error-diffused to black
// and white, so shading survives on a one-bit canvas.
void stretchImage(Canvas& canvas, const Image& image, Rect target);

// Scales the `from` area of `source` onto the whole of `canvas`, as a monochrome stretch that
// keeps black: a pixel is black when any source pixel it covers is, so no thin rule or bar
// vanishes when shrinking; growing repeats pixels. Source pixels outside `source` are white.
void stretchCanvas(Canvas& canvas, const Canvas& source, Rect from);

// Copies every pixel of `source` 1:1 with its top-left corner at (x, y), clipped to `canvas`.
void copyCanvas(Canvas& canvas, const Canvas& source, int32_t x, int32_t y);

// Copies the top-left `width` x `height` pixels of `image` 1:1 to (x, y), dark pixels black and
// light ones white; the part of the area beyond the image is left as it is.
void copyImage(Canvas& canvas, const Image& image, int32_t x, int32_t y, int32_t width,
               int32_t height);

}  // namespace kestrane
