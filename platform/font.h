// Fonts of the drawing layer: a face at a cell height, with the advances and glyphs of the 256
// byte values (each byte is the Windows-1252 character it stands for).
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrane {

class Font;

// A one-bit glyph image: rows of `pitch` bytes, most significant bit first, bit set = ink.
struct GlyphImage {
    int left = 0;    // from the pen position to the first column
    int top = 0;     // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int pitch = 0;
    const uint8_t* bits = nullptr;
};

// Creates a font whose cell (ascent + descent) is `cellHeight` pixels, of `weight` (400 regular,
// 700 bold) and the face `face` resolved through the system's font configuration. Fonts are never
// released. Returns nullptr when no face can be loaded; text in a missing font measures 0 and
// draws nothing.
const Font* createFont(int cellHeight, int weight, const char* face);

// The advance of `byte`: the face's unhinted advance at the font's size, rounded to pixels.
int charAdvance(const Font* font, unsigned char byte);

// Sum of the advances of `text`, as a single line.
int32_t textWidth(const Font* font, std::string_view text);

int cellHeight(const Font* font);
int ascent(const Font* font);

// The glyph image of `byte`, rendered unsmoothed; empty for a font that is missing.
GlyphImage glyphImage(const Font* font, unsigned char byte);

// Keeps the glyphs rendered so far for the next process, where the backend can (the command line
// calls it before it exits); a font whose glyphs cannot be kept is left out, silently.
void keepRenderedGlyphs();

// The family name the face resolved to ("Liberation Sans" for "Arial" on Debian).
const char* familyName(const Font* font);

}  // namespace kestrane
