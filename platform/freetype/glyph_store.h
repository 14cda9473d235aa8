// Glyph images FreeType rendered, remembered between processes. Loading a face's hinted glyphs
// (running its bytecode, scan-converting the outlines) costs a command-line run about as much as
// drawing the receipt; a font's rendered glyphs are kept in a file beside the remembered faces
// and taken from it while everything the images depend on is unchanged: the face file and its
// state, the size in pixels, FreeType's version and the properties it reads from the environment.
// A file that is missing, foreign, malformed or made for another key is ignored, and the glyphs
// are rendered as ever.
#pragma once

#include <array>
#include <string>

#include "platform/font_cache.h"

namespace kestrane {

using GlyphSet = std::array<CachedGlyph, 256>;

// What the images of a face at `ppem` pixels depend on beside the byte; `engine` names the
// renderer (its version and settings).
std::string glyphStoreKey(const std::string& facePath, const std::string& faceState, int ppem,
                          const std::string& engine);

// The file in `folder` for `key`.
std::string glyphStoreFile(const std::string& folder, const std::string& key);

// Fills the glyphs of `glyphs` from `file` when it is a file of this user's made for `key`, all of
// its glyphs or none (any fault in the file leaves `glyphs` as it was); the number filled. For a
// font no other thread sees yet.
int readGlyphStore(const std::string& file, const std::string& key, GlyphSet& glyphs);

// Writes every rendered glyph of `glyphs` to `file` for `key` (through a temporary file, in a
// private folder); false on any failure.
bool writeGlyphStore(const std::string& file, const std::string& key, const GlyphSet& glyphs);

}  // namespace kestrane
