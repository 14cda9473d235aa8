#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/canvas.h"
#include "platform/raster/packed_bits.h"

namespace kestrane {

namespace {

struct Line {
    std::size_t begin;
    std::size_t end;
};

bool isBreak(char c) { return c == '\n' || c == '\r'; }

// Breaks one hard line that is wider than `width` between words: at the last blank that keeps
// the line inside, or inside the word when it does not fit alone (one byte at the least). The
// blanks at a break are dropped.
void breakWords(const Font* font, std::string_view text, Line line, int32_t width,
                std::vector<Line>& lines) {
    while (line.begin < line.end) {
        int32_t used = 0;
        std::size_t fit = line.begin;
        while (fit < line.end && used + charAdvance(font, static_cast<unsigned char>(text[fit])) <= width) {
            used += charAdvance(font, static_cast<unsigned char>(text[fit]));
            ++fit;
        }
        if (fit == line.end) {
            lines.push_back(line);
            return;
        }
        std::size_t cut = fit;
        while (cut > line.begin && text[cut] != ' ') --cut;
        if (cut == line.begin) cut = std::max(fit, line.begin + 1);
        lines.push_back({line.begin, cut});
        line.begin = cut;
        while (line.begin < line.end && text[line.begin] == ' ') ++line.begin;
    }
}

std::vector<Line> splitLines(const Font* font, std::string_view text, int32_t width, bool wordBreak) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = begin;
        while (end < text.size() && !isBreak(text[end])) ++end;
        const Line line{begin, end};
        if (wordBreak && textWidth(font, text.substr(begin, end - begin)) > width) {
            breakWords(font, text, line, width, lines);
        } else {
            lines.push_back(line);
        }
        if (end == text.size()) break;
        begin = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

// Inks `rows` glyph rows of `width` pixels (bit set = ink) onto the canvas rows from `target`,
// the glyph's first pixel at bit `shift` of the first byte. Bits past the width count as none.
void inkGlyphRows(uint8_t* target, int32_t stride, const uint8_t* bits, int pitch, int width,
                  unsigned shift, int32_t rows) {
    const int bytes = (width + 7) / 8;
    const auto lastMask = static_cast<uint8_t>(0xFF << ((8 - width % 8) % 8));
    for (int32_t row = 0; row < rows; ++row, target += stride, bits += pitch) {
        unsigned carry = 0;
        for (int k = 0; k < bytes; ++k) {
            const unsigned ink = k + 1 < bytes ? bits[k] : (bits[k] & lastMask);
            target[k] = static_cast<uint8_t>(target[k] & ~((carry << (8 - shift)) | (ink >> shift)));
            carry = ink;
        }
        // The low bits of the last byte spill into the next target byte, which holds glyph
        // pixels (and so lies on the canvas) whenever any of them is ink.
        const auto spill = static_cast<uint8_t>(carry << (8 - shift));
        if (shift != 0 && spill != 0) target[bytes] = static_cast<uint8_t>(target[bytes] & ~spill);
    }
}

// A glyph row as eight canvas bytes at each of the eight bit offsets a glyph can start at: ink
// becomes a single and-not of one word a row. Kept per thread (no lock on the drawing path), for
// the fonts the thread has drawn with; glyphs wider than 57 pixels take the byte path.
constexpr int kWideGlyph = 57;

struct ShiftedGlyph {
    bool made = false;
    std::vector<uint64_t> rows;  // the row's eight bytes in memory order, bit set = ink
};

// Made byte by byte as the thread meets them: all eight offsets of all 256 bytes would be 64 KiB
// a font, mostly never used but every page of it touched.
using FontRows = std::array<std::unique_ptr<std::array<ShiftedGlyph, 8>>, 256>;

// This thread's shifted glyphs of `font`.
FontRows& fontRows(const Font* font) {
    thread_local std::unordered_map<const Font*, std::unique_ptr<FontRows>> cache;
    std::unique_ptr<FontRows>& rows = cache[font];
    if (!rows) rows = std::make_unique<FontRows>();
    return *rows;
}

const std::vector<uint64_t>& shiftedRows(FontRows& fontRows, unsigned char byte, const GlyphImage& glyph,
                                         unsigned shift) {
    std::unique_ptr<std::array<ShiftedGlyph, 8>>& offsets = fontRows[byte];
    if (!offsets) offsets = std::make_unique<std::array<ShiftedGlyph, 8>>();
    ShiftedGlyph& shifted = (*offsets)[shift];
    if (!shifted.made) {
        shifted.made = true;
        shifted.rows.resize(static_cast<std::size_t>(glyph.rows));
        for (int row = 0; row < glyph.rows; ++row) {
            uint8_t bytes[8] = {};
            packed::copyBits(bytes, glyph.bits + static_cast<std::ptrdiff_t>(row) * glyph.pitch, glyph.pitch,
                             shift, shift, shift + glyph.width);
            // copyBits fills the span and leaves the other bits as they were (clear).
            std::memcpy(&shifted.rows[static_cast<std::size_t>(row)], bytes, 8);
        }
    }
    return shifted.rows;
}

// One line of glyphs with its cell's top-left corner at (x, y), clipped to `clip`.
void drawLine(Canvas& canvas, std::string_view text, int32_t x, int32_t y, Rect clip) {
    const Font* font = canvas.font;
    const int32_t lineWidth = textWidth(font, text);
    const Rect cell{std::max(x, clip.left), std::max(y, clip.top),
                    std::min(x + lineWidth, clip.right), std::min(y + cellHeight(font), clip.bottom)};
    fillRect(canvas, cell, false);
    const int32_t baseline = y + ascent(font);
    FontRows& shiftedGlyphs = fontRows(font);
    int32_t penX = x;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const GlyphImage glyph = glyphImage(font, byte);
        const int32_t glyphX = penX + glyph.left;
        const int32_t left = std::max(glyphX, clip.left);
        const int32_t right = std::min(glyphX + glyph.width, clip.right);
        const int32_t firstRow = std::max(0, clip.top - (baseline - glyph.top));
        const int32_t endRow = std::min(glyph.rows, clip.bottom - (baseline - glyph.top));
        if (left >= right || firstRow >= endRow) {
            penX += charAdvance(font, byte);
            continue;
        }
        whitenRows(canvas, baseline - glyph.top + endRow);
        uint8_t* target = &canvas.bits[static_cast<std::size_t>(baseline - glyph.top + firstRow) * canvas.stride];
        const uint8_t* bits = glyph.bits + static_cast<std::ptrdiff_t>(firstRow) * glyph.pitch;
        const bool whole = left == glyphX && right == glyphX + glyph.width;
        const auto shift = static_cast<unsigned>(glyphX % 8);
        if (whole && glyph.width <= kWideGlyph && glyphX / 8 + 8 <= canvas.stride) {
            // The whole glyph inside, its eight bytes on the row: one word a row.
            const std::vector<uint64_t>& rows = shiftedRows(shiftedGlyphs, byte, glyph, shift);
            target += glyphX / 8;
            for (int32_t row = firstRow; row < endRow; ++row, target += canvas.stride) {
                uint64_t word;
                std::memcpy(&word, target, 8);
                word &= ~rows[static_cast<std::size_t>(row)];
                std::memcpy(target, &word, 8);
            }
        } else if (whole) {
            // The whole glyph width is inside: its bytes shifted into place, no masks.
            inkGlyphRows(target + glyphX / 8, canvas.stride, bits, glyph.pitch, glyph.width,
                         shift, endRow - firstRow);
        } else {
            for (int32_t row = firstRow; row < endRow; ++row, target += canvas.stride, bits += glyph.pitch) {
                packed::inkBits(target, bits, glyph.pitch, glyphX, left, right);
            }
        }
        penX += charAdvance(font, byte);
    }
}

}  // namespace

void drawText(Canvas& canvas, std::string_view text, Rect rect, unsigned format) {
    const Font* font = canvas.font;
    if (font == nullptr) return;
    const int32_t width = rect.right - rect.left;
    const Rect clip{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, canvas.width),
                    std::min(rect.bottom, canvas.height)};
    int32_t y = rect.top;
    for (const Line& line : splitLines(font, text, width, (format & kWordBreak) != 0)) {
        if (y >= clip.bottom) break;
        const std::string_view piece = text.substr(line.begin, line.end - line.begin);
        int32_t x = rect.left;
        if (format & kAlignCenter) {
            x = rect.left + (width - textWidth(font, piece)) / 2;
        } else if (format & kAlignRight) {
            x = rect.right - textWidth(font, piece);
        }
        drawLine(canvas, piece, x, y, clip);
        y += cellHeight(font);
    }
}

void textOut(Canvas& canvas, int32_t x, int32_t y, std::string_view text) {
    if (canvas.font == nullptr) return;
    drawLine(canvas, text, x, y, {0, 0, canvas.width, canvas.height});
}

}  // namespace kestrane
