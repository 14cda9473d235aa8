// `kestrane render` and `kestrane tree --measure` end to end.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::runCommand;

// Width and height from a PNG file's header.
std::pair<uint32_t, uint32_t> pngSize(const std::string& path) {
    const std::string bytes = testing::readFile(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    const auto at = [&](std::size_t i) {
        return (uint32_t{static_cast<uint8_t>(bytes[i])} << 24) | (uint32_t{static_cast<uint8_t>(bytes[i + 1])} << 16) |
               (uint32_t{static_cast<uint8_t>(bytes[i + 2])} << 8) | uint32_t{static_cast<uint8_t>(bytes[i + 3])};
    };
    return {at(16), at(20)};
}

struct Rendered {
    testing::CommandResult result;
    std::vector<std::string> files;  // names written to the output directory, sorted
};

Rendered render(const testing::TempDir& dir, const std::string& layout, std::vector<std::string> extra = {}) {
    testing::writeBytes(dir.file("layout.html"), layout);
    std::vector<std::string> args = {"render", dir.file("layout.html"), "--out", dir.file("out")};
    args.insert(args.end(), extra.begin(), extra.end());
    Rendered rendered{runCommand(KESTRANE_CLI, args), {}};
    if (std::filesystem::exists(dir.file("out"))) {
        for (const auto& entry : std::filesystem::directory_iterator(dir.file("out"))) {
            rendered.files.push_back(entry.path().filename().string());
        }
    }
    std::sort(rendered.files.begin(), rendered.files.end());
    return rendered;
}

using Names = std::vector<std::string>;

const std::string kMissingLogo =
    "kestrane: warning: ./node_modules/printer/GDIImageDirectory/logo.bmp: image cannot be loaded "
    "(not a readable BMP file, or too large)\n";

TEST(RenderCommandTest, WritesSectionsOrTheJobsMessage) {
    const std::string row = "<tr><td>x</td></tr>";
    const struct {
        const char* what;
        std::string layout;
        std::vector<std::string> extra;
        std::string out;  // with OUT for the output directory
        int status;
        Names files;
        std::string err = "";
        uint32_t width = 570;
    } cases[] = {
        {"two tables", "<table>" + row + "</table><table>" + row + row + "</table>", {},
         "OUT/section-1.png 49\nOUT/section-2.png 77\n", 0, {"section-1.png", "section-2.png"}},
        {"second section fails after the first is written",
         "<table>" + row + "</table><table><tr></table>", {},
         "OUT/section-1.png 49\nError - Template Could not Pass Correctly\n", 1, {"section-1.png"}},
        {"no height", "<table><tr><th>x</th></tr></table>", {},
         "Error - Your Receipt Layout is not supported by Current HTML Parser!\n", 1, {}},
        {"too short", "<a>", {},
         "Error - There is a set limit on the minimum size of a receipt text and your text does not meet the minimum\n", 1, {}},
        {"no markup", "just words", {}, "Error - Unsupported Receipt Layout Format!\n", 1, {}},
        {"table without end tag has nothing to print", "<table>" + row, {},
         "Error - The receipt layout has no complete table (<table> to </table>) to print\n", 1, {}},
        {"a device page too short to hold a row", "<table>" + row + "</table>", {"--device", "575x1"},
         "Error - The printer's page is too short to hold a row of the receipt\n", 1, {}},
        {"pages of a device twice as wide: 98 and 154 rows in pages of 60",
         "<table>" + row + "</table><table>" + row + row + "</table>", {"--device", "1140x60"},
         "OUT/section-1-page-1.png 60\nOUT/section-1-page-2.png 38\nOUT/section-2-page-1.png 60\n"
         "OUT/section-2-page-2.png 60\nOUT/section-2-page-3.png 34\n", 0,
         {"section-1-page-1.png", "section-1-page-2.png", "section-2-page-1.png", "section-2-page-2.png",
          "section-2-page-3.png"}, "", 1140},
        {"preview of two tables is one image", "<table>" + row + "</table><table>" + row + "</table>",
         {"--preview"}, "OUT/preview.png 49\n", 0, {"preview.png"}},
        {"preview that cannot render", "<table><tr></table>", {"--preview"}, "Template Could not Render\n", 1, {}},
        {"preview without markup", "x", {"--preview"}, "Template Could not Render\n", 1, {}},
        {"a logo that cannot be loaded is named, the receipt drawn without it",
         "<table><tr><td><img src=\"C:\\logo.png\"></td></tr>" + row + "</table>", {},
         "OUT/section-1.png 50\n", 0, {"section-1.png"}, kMissingLogo},
        {"so is it in the preview",
         "<table><tr><td><img src=\"C:\\logo.png\"></td></tr>" + row + "</table>", {"--preview"},
         "OUT/preview.png 50\n", 0, {"preview.png"}, kMissingLogo},
    };
    for (const auto& c : cases) {
        testing::TempDir dir;
        const Rendered rendered = render(dir, c.layout, c.extra);
        std::string expected = c.out;
        for (std::size_t at; (at = expected.find("OUT")) != std::string::npos;) expected.replace(at, 3, dir.file("out"));
        EXPECT_EQ(rendered.result.out, expected) << c.what;
        EXPECT_EQ(rendered.result.status, c.status) << c.what;
        EXPECT_EQ(rendered.files, c.files) << c.what;
        EXPECT_EQ(rendered.result.err, c.err) << c.what;
        for (const std::string& name : rendered.files) {
            const auto size = pngSize(dir.file("out/" + name));
            EXPECT_EQ(size.first, c.width) << c.what;
            EXPECT_NE(rendered.result.out.find(name + " " + std::to_string(size.second) + "\n"), std::string::npos) << c.what;
        }
    }
}

TEST(RenderCommandTest, RefusesDeviceSizesItCannotUse) {
    for (const char* size : {"0x60", "570x", "x60", "570 x 60", "570x100001", "-5x60", "570x60x2"}) {
        testing::TempDir dir;
        const Rendered rendered = render(dir, "<table><tr><td>x</td></tr></table>", {"--device", size});
        EXPECT_EQ(rendered.result.status, 2) << size;
        EXPECT_NE(rendered.result.err.find("--device takes WIDTHxHEIGHT"), std::string::npos) << size;
        EXPECT_TRUE(rendered.files.empty()) << size;
    }
    testing::TempDir dir;
    EXPECT_EQ(render(dir, "<table><tr><td>x</td></tr></table>", {"--device", "576x1598", "--preview"}).result.status, 2);
}

// The glyphs one run renders are kept for the next, which draws the same pixels with them; runs
// that keep nothing draw them too.
TEST(RenderCommandTest, GlyphsKeptFromAnEarlierRunDrawTheSamePixels) {
    const testing::TempDir dir;
    const std::string sample = std::string(KESTRANE_SAMPLES) + "/kestrane.html";
    const std::string cache = dir.file("cache");
    const auto section = [&](const std::string& setting, const std::string& out) {
        const testing::CommandResult result = runCommand(
            "/usr/bin/env", {"KESTRANE_FONT_CACHE=" + setting, KESTRANE_CLI, "render", sample, "--out",
                             dir.file(out), "--base", std::string(KESTRANE_SAMPLES) + "/base"});
        EXPECT_EQ(result.status, 0) << result.err;
        return testing::readFile(dir.file(out + "/section-1.png"));
    };
    const std::string unkept = section("off", "off");
    ASSERT_FALSE(unkept.empty());
    EXPECT_EQ(section(cache, "first"), unkept);
    std::vector<std::string> glyphFiles;
    for (const std::string& name : testing::entries(cache)) {
        if (name.rfind("glyphs-", 0) == 0) glyphFiles.push_back(name);
    }
    EXPECT_EQ(glyphFiles.size(), 3u);  // one a font the sample draws with
    EXPECT_EQ(section(cache, "second"), unkept);
    // A store spoiled between runs is passed over.
    for (const std::string& name : glyphFiles) testing::writeBytes(cache + "/" + name, "kestrane glyphs 1\n");
    EXPECT_EQ(section(cache, "third"), unkept);
}

TEST(TreeMeasureTest, AddsHeightsBoxesAndWrappedTexts) {
    testing::TempDir dir;
    testing::writeBytes(dir.file("l.html"),
                        "<table><tr><td>Total</td><td>:</td><td>9.99</td></tr>"
                        "<tr><td>0x01</td></tr></table>");
    const auto result = runCommand(KESTRANE_CLI, {"tree", dir.file("l.html"), "--measure"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("{\"sections\": [{\"height\": 52, \"tree\": ", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("\"box\": [0, 0, 0, 24]"), std::string::npos);
    EXPECT_NE(result.out.find("\"box\": [0, 24, 0, 52]"), std::string::npos);

    // A middle cell too narrow for "ab" shows the line break the layout pass put in.
    testing::writeBytes(dir.file("n.html"), "<table><tr><td>a</td><td>WW</td><td>c</td></tr></table>");
    const auto narrow = runCommand(KESTRANE_CLI, {"tree", dir.file("n.html"), "--measure"});
    EXPECT_NE(narrow.out.find("\"text\": \"W\\nW\""), std::string::npos) << narrow.out;
    EXPECT_NE(narrow.out.find("\"height\": 48"), std::string::npos);

    // Without --measure nothing is laid out.
    const auto plain = runCommand(KESTRANE_CLI, {"tree", dir.file("n.html")});
    EXPECT_EQ(plain.out.find("height"), std::string::npos);
    EXPECT_NE(plain.out.find("\"text\": \"WW\""), std::string::npos);
}

TEST(TreeMeasureTest, SampleHeightsMatchTheirRenderedImages) {
    for (const char* sample : {"kestrane", "vexo", "invoice"}) {
        const std::string layout = std::string(KESTRANE_SAMPLES) + "/" + sample + ".html";
        const std::string base = std::string(KESTRANE_SAMPLES) + "/base";
        const auto tree = runCommand(KESTRANE_CLI, {"tree", layout, "--measure", "--base", base});
        testing::TempDir dir;
        const auto rendered = runCommand(KESTRANE_CLI, {"render", layout, "--out", dir.path(), "--base", base});
        const auto size = pngSize(dir.file("section-1.png"));
        EXPECT_NE(tree.out.find("{\"height\": " + std::to_string(size.second - 21) + ", "), std::string::npos) << sample;
    }
}

}  // namespace
}  // namespace kestrane
