// Fonts on GDI: CreateFontA with the receipt fonts' records, metrics and advances from the font
// selected into a memory device context, glyph bitmaps from GetGlyphOutlineA.
#include "platform/font_cache.h"
#include "platform/win32/font_gdi.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestrane {

struct FontFace {
    HFONT handle = nullptr;
    HDC dc = nullptr;  // a memory device context with the font selected, used under the lock
};

const Font* createFont(int cellHeightPx, int weight, const char* faceName) {
    if (cellHeightPx <= 0) return nullptr;
    // A positive height asks for the character cell height, as the receipt fonts do.
    const HFONT handle = CreateFontA(cellHeightPx, 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                     ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, faceName);
    const HDC dc = handle != nullptr ? CreateCompatibleDC(nullptr) : nullptr;
    if (dc == nullptr) {
        if (handle != nullptr) DeleteObject(handle);
        return nullptr;
    }
    SelectObject(dc, handle);
    auto* font = new Font;
    font->face = new FontFace{handle, dc};
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    font->cell = cellHeightPx;
    font->ascentPx = metrics.tmAscent;
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    font->family = face;
    INT widths[256] = {};
    if (GetCharWidth32A(dc, 0, 255, widths)) {
        for (int byte = 0; byte < 256; ++byte) font->advances[byte] = widths[byte];
    }
    return font;
}

HFONT fontHandle(const Font* font) { return font != nullptr ? font->face->handle : nullptr; }

// The glyph's one-bit bitmap, its rows DWORD-aligned as GDI gives them, repacked to whole bytes.
void renderGlyph(FontFace& font, unsigned char byte, CachedGlyph& glyph) {
    GLYPHMETRICS metrics{};
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    const DWORD size = GetGlyphOutlineA(font.dc, byte, GGO_BITMAP, &metrics, 0, nullptr, &identity);
    if (size == GDI_ERROR) return;
    std::vector<uint8_t> buffer(size);
    if (size != 0 && GetGlyphOutlineA(font.dc, byte, GGO_BITMAP, &metrics, size, buffer.data(),
                                      &identity) == GDI_ERROR) {
        return;
    }
    GlyphImage& image = glyph.image;
    image.left = metrics.gmptGlyphOrigin.x;
    image.top = metrics.gmptGlyphOrigin.y;
    // A blank glyph (a space) still reports a 1 x 1 box; it has no bitmap.
    image.width = size != 0 ? static_cast<int>(metrics.gmBlackBoxX) : 0;
    image.rows = size != 0 ? static_cast<int>(metrics.gmBlackBoxY) : 0;
    image.pitch = (image.width + 7) / 8;
    const int sourcePitch = (image.width + 31) / 32 * 4;
    glyph.bits.resize(static_cast<std::size_t>(image.pitch) * image.rows);
    for (int row = 0; row < image.rows; ++row) {
        std::copy_n(buffer.data() + static_cast<std::ptrdiff_t>(row) * sourcePitch, image.pitch,
                    glyph.bits.begin() + static_cast<std::ptrdiff_t>(row) * image.pitch);
    }
    image.bits = glyph.bits.data();
}

// GDI keeps its own glyph cache; nothing of ours outlives the process.
void keepRenderedGlyphs() {}

}  // namespace kestrane
