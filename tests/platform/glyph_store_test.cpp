#include "platform/freetype/glyph_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::TempDir;

std::string readBytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

std::string bitsOf(const GlyphImage& image) {
    return std::string(reinterpret_cast<const char*>(image.bits),
                       image.bits != nullptr ? static_cast<std::size_t>(image.pitch) * image.rows : 0);
}

// Every glyph of the face at 28 pixels (bold, so the bytes the face lacks are there too), rendered
// by FreeType itself whatever the font may have taken from a store.
const GlyphSet& freshGlyphs() {
    static GlyphSet* glyphs = [] {
        auto* set = new GlyphSet;
        const Font* font = createFont(28, 700, "Arial");
        for (int byte = 0; font != nullptr && byte < 256; ++byte) {
            renderGlyph(*font->face, static_cast<unsigned char>(byte), (*set)[byte]);
            (*set)[byte].rendered = true;
        }
        return set;
    }();
    return *glyphs;
}

TEST(GlyphStoreTest, GivesBackEveryGlyphAsFreeTypeRenderedIt) {
    const Font* font = createFont(28, 700, "Arial");
    ASSERT_NE(font, nullptr);
    const TempDir temp;
    const std::string key = glyphStoreKey("/fonts/face.ttf", "801:12:100644", 32, "FreeType 2.12.1");
    const std::string file = glyphStoreFile(temp.path() + "/cache/kestrane", key);
    ASSERT_TRUE(writeGlyphStore(file, key, freshGlyphs()));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    GlyphSet read;
    ASSERT_EQ(readGlyphStore(file, key, read), 256);
    for (int byte = 0; byte < 256; ++byte) {
        const GlyphImage& want = freshGlyphs()[byte].image;
        // The font's own glyphs too: taken from the user's store or rendered, they are FreeType's.
        for (const GlyphImage& got : {read[byte].image, glyphImage(font, static_cast<unsigned char>(byte))}) {
            EXPECT_EQ(std::make_tuple(got.left, got.top, got.width, got.rows, got.pitch, bitsOf(got)),
                      std::make_tuple(want.left, want.top, want.width, want.rows, want.pitch, bitsOf(want)))
                << "byte " << byte;
        }
    }
    // Glyphs already rendered are kept, only the others are filled.
    GlyphSet partly;
    renderGlyph(*font->face, 'A', partly['A']);
    partly['A'].rendered = true;
    const uint8_t* ownA = partly['A'].image.bits;
    EXPECT_EQ(readGlyphStore(file, key, partly), 255);
    EXPECT_EQ(partly['A'].image.bits, ownA);
}

TEST(GlyphStoreTest, AFileThatIsNotExactlyAsWrittenFillsNothing) {
    const TempDir temp;
    const std::string key = glyphStoreKey("/fonts/face.ttf", "801:12:100644", 32, "FreeType 2.12.1");
    const std::string file = temp.file("glyphs");
    ASSERT_TRUE(writeGlyphStore(file, key, freshGlyphs()));
    const std::string good = readBytes(file);
    const std::size_t countAt = 18 + 4 + key.size();  // the first line, the key's length and key
    const std::size_t first = countAt + 2;             // byte, left, top, width, rows, bits
    const auto size = [&](std::size_t at) { return static_cast<uint8_t>(good[at]); };
    const std::size_t second = first + 9 + (size(first + 5) + 7) / 8 * size(first + 7);
    const struct {
        const char* what;
        std::function<void(std::string&)> change;
        std::string key;
        mode_t mode = 0600;
    } cases[] = {
        {"another key", [](std::string&) {}, key + "x"},
        {"cut short", [](std::string& bytes) { bytes.pop_back(); }, key},
        {"a byte more", [](std::string& bytes) { bytes.push_back('\0'); }, key},
        {"another version", [](std::string& bytes) { bytes[16] = '2'; }, key},
        {"257 glyphs", [&](std::string& bytes) { bytes[countAt] = bytes[countAt + 1] = 1; }, key},
        {"a glyph twice", [&](std::string& bytes) { bytes[second] = bytes[first]; }, key},
        {"a glyph wider than its bits", [&](std::string& bytes) { bytes[first + 5] = '\x7f'; }, key},
        {"others may write it", [](std::string&) {}, key, 0620},
    };
    for (const auto& c : cases) {
        std::string bytes = good;
        c.change(bytes);
        testing::writeBytes(file, bytes);
        ::chmod(file.c_str(), c.mode);
        GlyphSet read;
        EXPECT_EQ(readGlyphStore(file, c.key, read), 0) << c.what;
        for (const CachedGlyph& glyph : read) ASSERT_FALSE(glyph.rendered) << c.what;
    }
    // A link to a good file is not followed.
    testing::writeBytes(file, good);
    ::chmod(file.c_str(), 0600);
    ASSERT_EQ(::symlink(file.c_str(), temp.file("link").c_str()), 0);
    GlyphSet read;
    EXPECT_EQ(readGlyphStore(temp.file("link"), key, read), 0);
    EXPECT_EQ(readGlyphStore(file, key, read), 256);
}

}  // namespace
}  // namespace kestrane
