#include "platform/freetype/glyph_store.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/freetype/private_file.h"

namespace kestrane {

namespace {

// The file: this line, the key's length (4 bytes) and bytes, the number of glyphs (2 bytes), then
// each glyph as its byte, left and top (2 bytes each, signed), width and rows (2 bytes each) and
// its rows of bits. Numbers are little-endian.
constexpr std::string_view kFirstLine = "kestrane glyphs 1\n";
constexpr std::size_t kMaxFileBytes = std::size_t{4} << 20;

void putNumber(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

// Reads the file front to back; every read fails once one ran past the end.
struct Reader {
    std::string_view rest;
    bool ok = true;

    uint32_t number(int bytes) {
        if (rest.size() < static_cast<std::size_t>(bytes)) ok = false;
        if (!ok) return 0;
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= uint32_t{static_cast<unsigned char>(rest[i])} << (8 * i);
        rest.remove_prefix(static_cast<std::size_t>(bytes));
        return value;
    }
    int signedNumber() { return static_cast<int16_t>(static_cast<uint16_t>(number(2))); }
    std::string_view bytes(std::size_t count) {
        if (rest.size() < count) ok = false;
        if (!ok) return {};
        const std::string_view taken = rest.substr(0, count);
        rest.remove_prefix(count);
        return taken;
    }
};

struct StoredGlyph {
    unsigned byte = 0;
    GlyphImage image;
    std::string_view bits;
};

bool parseStore(std::string_view text, const std::string& key, std::vector<StoredGlyph>& glyphs) {
    Reader reader{text};
    if (reader.bytes(kFirstLine.size()) != kFirstLine) return false;
    const uint32_t keyLength = reader.number(4);
    if (!reader.ok || reader.bytes(keyLength) != key) return false;
    const uint32_t count = reader.number(2);
    if (count > 256) return false;
    bool seen[256] = {};
    for (uint32_t i = 0; i < count && reader.ok; ++i) {
        StoredGlyph glyph;
        glyph.byte = reader.number(1);
        glyph.image.left = reader.signedNumber();
        glyph.image.top = reader.signedNumber();
        glyph.image.width = static_cast<int>(reader.number(2));
        glyph.image.rows = static_cast<int>(reader.number(2));
        glyph.image.pitch = (glyph.image.width + 7) / 8;
        if (seen[glyph.byte]) return false;
        seen[glyph.byte] = true;
        glyph.bits = reader.bytes(static_cast<std::size_t>(glyph.image.pitch) * glyph.image.rows);
        glyphs.push_back(glyph);
    }
    return reader.ok && reader.rest.empty();
}

}  // namespace

std::string glyphStoreKey(const std::string& facePath, const std::string& faceState, int ppem,
                          const std::string& engine) {
    std::string key = facePath;
    for (const std::string& part : {faceState, std::to_string(ppem), engine}) {
        key.push_back('\0');
        key += part;
    }
    return key;
}

std::string glyphStoreFile(const std::string& folder, const std::string& key) {
    char name[40];
    std::snprintf(name, sizeof name, "/glyphs-v1-%016" PRIx64, fnv1a(key));
    return folder + name;
}

int readGlyphStore(const std::string& file, const std::string& key, GlyphSet& glyphs) {
    std::string text;
    std::vector<StoredGlyph> stored;
    if (!readPrivateFile(file, text, kMaxFileBytes) || !parseStore(text, key, stored)) return 0;
    int filled = 0;
    for (const StoredGlyph& from : stored) {
        CachedGlyph& glyph = glyphs[from.byte];
        if (glyph.rendered.load(std::memory_order_relaxed)) continue;
        glyph.bits.assign(from.bits.begin(), from.bits.end());
        glyph.image = from.image;
        glyph.image.bits = glyph.bits.data();
        glyph.rendered.store(true, std::memory_order_release);
        ++filled;
    }
    return filled;
}

bool writeGlyphStore(const std::string& file, const std::string& key, const GlyphSet& glyphs) {
    std::string records;
    uint32_t count = 0;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const CachedGlyph& glyph = glyphs[byte];
        if (!glyph.rendered.load(std::memory_order_acquire)) continue;
        const GlyphImage& image = glyph.image;
        const auto fits = [](int value, int least, int most) { return value >= least && value <= most; };
        if (!fits(image.left, INT16_MIN, INT16_MAX) || !fits(image.top, INT16_MIN, INT16_MAX) ||
            !fits(image.width, 0, UINT16_MAX) || !fits(image.rows, 0, UINT16_MAX)) {
            return false;
        }
        putNumber(records, byte, 1);
        putNumber(records, static_cast<uint16_t>(image.left), 2);
        putNumber(records, static_cast<uint16_t>(image.top), 2);
        putNumber(records, static_cast<uint32_t>(image.width), 2);
        putNumber(records, static_cast<uint32_t>(image.rows), 2);
        if (image.bits != nullptr) {
            records.append(reinterpret_cast<const char*>(image.bits),
                           static_cast<std::size_t>(image.pitch) * image.rows);
        }
        ++count;
    }
    std::string text(kFirstLine);
    putNumber(text, static_cast<uint32_t>(key.size()), 4);
    text += key;
    putNumber(text, count, 2);
    text += records;
    return text.size() <= kMaxFileBytes && writePrivateFile(file, text);
}

}  // namespace kestrane
