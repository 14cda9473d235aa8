// A real scanner reads back what we print: every Code 39 and QR field of rendered receipts,
// decoded by zbarimg from the PNG files `kestrane render` writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace kestrane {
namespace {

using testing::runCommand;

std::vector<std::string> scan(const std::string& png) {
    const auto result = runCommand("zbarimg", {"--nodbus", "-q", "--raw", png});
    std::vector<std::string> symbols;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) symbols.push_back(line);
    std::sort(symbols.begin(), symbols.end());
    EXPECT_EQ(result.status, symbols.empty() ? 4 : 0) << png;  // 4: nothing found
    return symbols;
}

// Renders `layout` (a file) and scans its first section, or the preview.
std::vector<std::string> renderAndScan(const std::string& layout, bool preview) {
    testing::TempDir out;
    std::vector<std::string> args = {"render", layout, "--out", out.path(), "--base",
                                     std::string(KESTRANE_SAMPLES) + "/base"};
    if (preview) args.push_back("--preview");
    const auto rendered = runCommand(KESTRANE_CLI, args);
    EXPECT_EQ(rendered.status, 0) << layout;
    return scan(out.file(preview ? "preview.png" : "section-1.png"));
}

using Symbols = std::vector<std::string>;

TEST(ScannerTest, ReadsTheSamples) {
    const struct {
        const char* sample;
        bool preview;
        Symbols symbols;  // sorted
    } cases[] = {
        {"kestrane", false, {"000004711023", "4711023"}},
        {"vexo", false, {"000000118204", "2026118204"}},
        {"invoice", false, {}},  // its fields are named in lower case, which the add-on ignores
        {"kestrane", true, {"000004711023", "4711023"}},
        {"vexo", true, {"000000118204", "2026118204"}},
        {"invoice", true, {"000000000381", "2026000381"}},
    };
    for (const auto& c : cases) {
        const std::string layout = std::string(KESTRANE_SAMPLES) + "/" + c.sample + ".html";
        EXPECT_EQ(renderAndScan(layout, c.preview), c.symbols) << c.sample << (c.preview ? " preview" : "");
    }
}

std::string field(const std::string& name, const std::string& value) {
    return "<tr><td><input type=\"hidden\" name=\"" + name + "\" value=\"" + value + "\"></td></tr>";
}

TEST(ScannerTest, ReadsEveryFieldAsItsValue) {
    // Fiscal texts around the module-size boundaries, in characters the QR alphanumeric mode
    // packs densely.
    const auto fiscal = [](std::size_t length) {
        std::string text = "FISCAL:";
        for (std::size_t i = 0; text.size() < length; ++i) text += static_cast<char>('0' + i % 10);
        return text;
    };
    std::string rows = "<tr><td>Fields</td></tr>";
    Symbols expected;
    for (const std::string value : {"1", "4711", "abc12", "12-34.5 $/+%", "123456789012"}) {
        rows += field("barcodeText", value);
        std::string padded = std::string(12 - value.size(), '0') + value;
        for (char& c : padded) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        expected.push_back(padded);
    }
    testing::TempDir out;
    // The plain QR field copies 200 x 200 pixels at 8 a module: texts of versions 1 and 2.
    const struct {
        std::string value, read;  // the scanner gives Latin-1 bytes as UTF-8
    } qr[] = {
        {"x", "x"},
        {"Case \xE9 text", "Case \xC3\xA9 text"},
        {"HTTPS://A.EU/42", "HTTPS://A.EU/42"},
        {"1234567890123456789012345678901234", "1234567890123456789012345678901234"},
    };
    for (const auto& c : qr) {
        const std::string layout = out.file("qr.html");
        testing::writeBytes(layout, "<table><tr><td>QR</td></tr>" + field("qrcodeText", c.value) + "</table>");
        EXPECT_EQ(renderAndScan(layout, false), Symbols{c.read}) << c.value;
    }
    for (const std::size_t length : {80u, 81u, 169u, 170u, 171u, 300u}) {
        // With module sizes 6, 4, 4, 6, 4, 4: each symbol fits the 400-pixel area.
        const std::string layout = out.file("fiscal.html");
        testing::writeBytes(layout, "<table><tr><td>F</td></tr>" + field("qrcodeTextFiscal", fiscal(length)) + "</table>");
        EXPECT_EQ(renderAndScan(layout, false), Symbols{fiscal(length)}) << length;
    }
    const std::string layout = out.file("bars.html");
    testing::writeBytes(layout, "<table>" + rows + "</table>");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(renderAndScan(layout, false), expected);
}

}  // namespace
}  // namespace kestrane
