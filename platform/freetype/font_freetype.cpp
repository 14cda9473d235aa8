#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H
#include FT_SIZES_H

#include <time.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "platform/font_cache.h"
#include "platform/freetype/face_cache.h"
#include "platform/freetype/glyph_store.h"

namespace kestrane {

namespace {

// Unicode of the bytes 0x80-0x9F in Windows-1252; the five unassigned bytes keep their value.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t codePoint(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : byte;
}

FT_Library library() {
    static FT_Library instance = [] {
        FT_Library created = nullptr;
        if (FT_Init_FreeType(&created) != 0) created = nullptr;
        return created;
    }();
    return instance;
}

// A font file opened once for all the fonts drawn from it: opening a face reads and checks the
// file's tables, and fonts of one file differ only in their size, an FT_Size each. The glyph slot
// and the active size belong to the face, so it loads one glyph at a time.
struct SharedFace {
    FT_Face face = nullptr;
    bool sizeTaken = false;  // the size the face came with belongs to a font
    std::mutex lock;
    std::string path;
    std::string state;  // the file's, taken before FreeType read it
    timespec openedAt{};
};

// The face of `path`, opened at its first use and kept; nullptr when FreeType cannot open it.
// Called under createFont's lock.
SharedFace* sharedFace(const std::string& path) {
    static std::map<std::string, SharedFace*> opened;
    SharedFace*& shared = opened[path];
    if (shared == nullptr) {
        timespec openedAt{};
        ::clock_gettime(CLOCK_REALTIME, &openedAt);
        std::string state = pathState(path);
        FT_Face face = nullptr;
        if (FT_New_Face(library(), path.c_str(), 0, &face) != 0) {
            opened.erase(path);
            return nullptr;
        }
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
        shared = new SharedFace;
        shared->face = face;
        shared->path = path;
        shared->state = std::move(state);
        shared->openedAt = openedAt;
    }
    return shared;
}

// What the glyph images depend on besides the face and the size: FreeType's version and the
// properties (the hinting engine among them) it took from the environment when it started.
const std::string& renderingEngine() {
    static const std::string engine = [] {
        FT_Int major = 0, minor = 0, patch = 0;
        FT_Library_Version(library(), &major, &minor, &patch);
        const char* properties = std::getenv("FREETYPE_PROPERTIES");
        return "FreeType " + std::to_string(major) + "." + std::to_string(minor) + "." +
               std::to_string(patch) + " mono\n" + (properties != nullptr ? properties : "");
    }();
    return engine;
}

// Every font made, by the arguments it was asked for with. Guarded by fontsLock(). Like the fonts,
// never released: a font in use at exit stays reachable from here.
std::map<std::tuple<int, int, bool, std::string>, const Font*>& fontsMade() {
    static auto* made = new std::map<std::tuple<int, int, bool, std::string>, const Font*>;
    return *made;
}

// Neither fontconfig's start, the faces it resolved, FreeType's library nor the fonts made may be
// entered from two threads at once.
std::mutex& fontsLock() {
    static std::mutex lock;
    return lock;
}

// The folder remembered faces and glyphs live in; empty when remembering is off.
const std::string& cacheFolder() {
    static const std::string folder = faceCacheFolder();
    return folder;
}

}  // namespace

struct FontFace {
    SharedFace* shared = nullptr;
    FT_Size size = nullptr;
    std::string storeKey;  // what its remembered glyphs are filed under; empty: not remembered
    int stored = 0;  // glyphs the file holds
};

const Font* createFont(int cellHeightPx, int weight, const char* faceName) {
    const std::lock_guard<std::mutex> lock(fontsLock());
    if (library() == nullptr || cellHeightPx <= 0) return nullptr;
    // A font asked for again with the same arguments (two roles drawn alike) is the one made
    // before, so its glyphs are rendered once.
    auto& made = fontsMade();
    const auto key = std::make_tuple(cellHeightPx, weight, faceName != nullptr,
                                     std::string(faceName != nullptr ? faceName : ""));
    const auto found = made.find(key);
    if (found != made.end()) return found->second;
    // Faces fontconfig resolved in an earlier run are taken from the cache while it still holds.
    static FaceResolver faces(cacheFolder());
    const FaceFile file = faces.resolve(faceName, weight);
    SharedFace* const shared = file.path.empty() ? nullptr : sharedFace(file.path);
    if (shared == nullptr) return nullptr;
    // Fonts of this face may be rendering glyphs on other threads.
    const std::lock_guard<std::mutex> faceLock(shared->lock);
    FT_Face face = shared->face;
    FT_Size size = face->size;
    if (shared->sizeTaken && FT_New_Size(face, &size) != 0) return nullptr;
    shared->sizeTaken = true;
    FT_Activate_Size(size);
    auto* font = new Font;
    font->family = file.family;
    font->face = new FontFace;
    font->face->shared = shared;
    font->face->size = size;
    // A positive GDI font height is the cell height: the em size follows from the face's
    // Windows ascent and descent, rounded to whole pixels as GDI does.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const long winAscent = os2 != nullptr ? os2->usWinAscent : face->ascender;
    const long winDescent = os2 != nullptr ? os2->usWinDescent : -face->descender;
    const long cellUnits = std::max(1L, winAscent + winDescent);
    const long ppem =
        std::max(1L, (cellHeightPx * long{face->units_per_EM} + cellUnits / 2) / cellUnits);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
    font->cell = cellHeightPx;
    font->ascentPx = static_cast<int>((cellHeightPx * winAscent + cellUnits / 2) / cellUnits);
    for (int byte = 0; byte < 256; ++byte) {
        const FT_UInt index = FT_Get_Char_Index(face, codePoint(static_cast<unsigned char>(byte)));
        FT_Fixed units = 0;
        if (FT_Get_Advance(face, index, FT_LOAD_NO_SCALE, &units) == 0) {
            font->advances[byte] = static_cast<int>(std::lround(
                static_cast<double>(units) * static_cast<double>(ppem) / face->units_per_EM));
        }
    }
    if (!cacheFolder().empty() && stateOfFile(shared->state)) {
        FontFace& fontFace = *font->face;
        fontFace.storeKey = glyphStoreKey(shared->path, shared->state, static_cast<int>(ppem),
                                          renderingEngine());
        fontFace.stored = readGlyphStore(glyphStoreFile(cacheFolder(), fontFace.storeKey),
                                         fontFace.storeKey, font->glyphs);
    }
    made[key] = font;
    return font;
}

void keepRenderedGlyphs() {
    const std::lock_guard<std::mutex> lock(fontsLock());
    for (const auto& made : fontsMade()) {
        auto* font = const_cast<Font*>(made.second);
        FontFace& face = *font->face;
        if (face.storeKey.empty()) continue;
        int rendered = 0;
        for (const CachedGlyph& glyph : font->glyphs) {
            rendered += glyph.rendered.load(std::memory_order_acquire) ? 1 : 0;
        }
        // Only a face file that had settled before FreeType read it, and is unchanged since, vouches
        // for the images: a file rewritten within its clock's granularity would keep its state.
        const FaceStamp file{"", {{face.shared->path, face.shared->state}}};
        if (rendered > face.stored && stampSettled(file, face.shared->openedAt) &&
            writeGlyphStore(glyphStoreFile(cacheFolder(), face.storeKey), face.storeKey,
                            font->glyphs)) {
            face.stored = rendered;
        }
    }
}

void renderGlyph(FontFace& fontFace, unsigned char byte, CachedGlyph& glyph) {
    // The face's glyph slot holds the bitmap until it is copied out below.
    const std::lock_guard<std::mutex> lock(fontFace.shared->lock);
    FT_Face face = fontFace.shared->face;
    FT_Activate_Size(fontFace.size);
    const FT_UInt index = FT_Get_Char_Index(face, codePoint(byte));
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return;
    GlyphImage& image = glyph.image;
    image.left = face->glyph->bitmap_left;
    image.top = face->glyph->bitmap_top;
    image.width = static_cast<int>(bitmap.width);
    image.rows = static_cast<int>(bitmap.rows);
    image.pitch = (image.width + 7) / 8;
    glyph.bits.resize(static_cast<std::size_t>(image.pitch) * image.rows);
    for (int row = 0; row < image.rows; ++row) {
        const uint8_t* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        std::copy(source, source + image.pitch, glyph.bits.begin() + row * image.pitch);
    }
    image.bits = glyph.bits.data();
}

}  // namespace kestrane

// GCC says it builds with AddressSanitizer through __SANITIZE_ADDRESS__, clang through
// __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define KESTRANE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRANE_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(KESTRANE_ADDRESS_SANITIZER)
// Fontconfig keeps its configuration for the life of the process, as the fonts do; the leak
// checker is told so rather than shutting fontconfig down under fonts that still use it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
// The suppression is expected, so it is not listed on standard error after every run.
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif
