#include "platform/font_cache.h"

namespace kestrane {

int charAdvance(const Font* font, unsigned char byte) {
    return font != nullptr ? font->advances[byte] : 0;
}

int32_t textWidth(const Font* font, std::string_view text) {
    if (font == nullptr) return 0;
    int32_t width = 0;
    for (const char c : text) width += font->advances[static_cast<unsigned char>(c)];
    return width;
}

int cellHeight(const Font* font) {
    return font != nullptr ? font->cell : 0;
}

int ascent(const Font* font) {
    return font != nullptr ? font->ascentPx : 0;
}

const char* familyName(const Font* font) {
    return font != nullptr ? font->family.c_str() : "";
}

GlyphImage glyphImage(const Font* constFont, unsigned char byte) {
    if (constFont == nullptr) return {};
    auto* font = const_cast<Font*>(constFont);
    CachedGlyph& glyph = font->glyphs[byte];
    if (glyph.rendered.load(std::memory_order_acquire)) return glyph.image;
    const std::lock_guard<std::mutex> lock(font->renderLock);
    if (!glyph.rendered.load(std::memory_order_relaxed)) {
        renderGlyph(*font->face, byte, glyph);
        glyph.rendered.store(true, std::memory_order_release);
    }
    return glyph.image;
}

}  // namespace kestrane
