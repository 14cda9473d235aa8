// The receipt canvas: a packed one-bit bitmap with the drawing state of a device context (font,
// pen, current position). Only the operations the receipt engine uses exist.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
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

// An allocator that leaves new elements as the memory held them, so a canvas can write its
// bytes once, when it needs them, rather than once more beforehand.
template <typename T>
struct LeftAsAllocated : std::allocator<T> {
    using std::allocator<T>::allocator;
    template <typename U>
    struct rebind {
        using other = LeftAsAllocated<U>;
    };
    template <typename U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

using CanvasBits = std::vector<uint8_t, LeftAsAllocated<uint8_t>>;

struct Canvas {
    // A white canvas; sizes below 0 count as 0.
    Canvas(int32_t width, int32_t height);
    // A white canvas whose bytes are written white only as drawing reaches their rows: a tall
    // receipt then whitens each row just before it is drawn, while it is in the caches, rather
    // than all of them long before. Whoever reads its bits calls whitenRows(canvas, height).
    struct WhitenAsDrawn {};
    Canvas(int32_t width, int32_t height, WhitenAsDrawn);

    int32_t width;
    int32_t height;
    int32_t stride;   // bytes a row
    CanvasBits bits;  // rows top-down, most significant bit first, bit set = white
    int32_t whiteRows;  // rows from this one down are white, their bytes not yet written
    const Font* font = nullptr;
    Pen pen;
    int32_t penX = 0;
    int32_t penY = 0;
};

// Gives the rows above `bottom` their bytes; every drawing operation calls it for the rows it
// reads or writes.
void whitenRowsFrom(Canvas& canvas, int32_t bottom);
inline void whitenRows(Canvas& canvas, int32_t bottom) {
    if (bottom > canvas.whiteRows) whitenRowsFrom(canvas, bottom);
}

inline bool isBlack(const Canvas& canvas, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.whiteRows) return false;
    const uint8_t byte = canvas.bits[static_cast<std::size_t>(y) * canvas.stride + x / 8];
    return (byte & (0x80 >> (x % 8))) == 0;
}

// Sets one pixel; positions outside the canvas are ignored.
inline void setPixel(Canvas& canvas, int32_t x, int32_t y, bool black) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
    whitenRows(canvas, y + 1);
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
