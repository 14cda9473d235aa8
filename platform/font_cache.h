// What a font is in every font backend: its cell and ascent, the advances of the 256 bytes, and
// glyph images rendered on first use and then kept. Only the face behind it is the backend's
// (FreeType's, or GDI's font and device context); the backend makes fonts and renders glyphs,
// and font_cache.cpp answers the rest of font.h for all of them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/font.h"

namespace kestrane {

// The backend's face; defined by the backend.
struct FontFace;

struct CachedGlyph {
    // Set, with release, once the glyph is rendered and never changed again: a reader that sees
    // it set reads the image without the lock.
    std::atomic<bool> rendered{false};
    GlyphImage image;
    std::vector<uint8_t> bits;
};

class Font {
  public:
    FontFace* face = nullptr;  // made with the font, which is never released
    int cell = 0;
    int ascentPx = 0;
    std::string family;
    std::array<int, 256> advances{};
    std::array<CachedGlyph, 256> glyphs;
    std::mutex renderLock;  // glyphs are rendered on first use, from any thread
};

// The backend renders glyph `byte` of `face` into `glyph` (its image left empty when the face has
// none); called once a glyph, under the font's render lock.
void renderGlyph(FontFace& face, unsigned char byte, CachedGlyph& glyph);

}  // namespace kestrane
