// `kestrane print --type STAR` to driverless (IPP Everywhere) receipt printers: ippeveprinter
// added to the virtual printer's scheduler with `lpadmin -m everywhere`. What each printer
// receives is decoded, compared with the receipt `kestrane render` draws, measured for blank paper
// and scanned.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "output/star_print.h"
#include "platform/raster_pages.h"
#include "tests/support/ipp_everywhere_printer.h"
#include "tests/support/virtual_printer.h"

namespace kestrane {
namespace {

using testing::IppEverywherePrinter;
using testing::VirtualPrinter;

const std::string kSamples = KESTRANE_SAMPLES;
const DeviceSize kRoll80{575, 1598, 203, 203};

// The sample's one section as `kestrane render` draws it.
Canvas rendered(const std::string& sample) {
    testing::TempDir out;
    const auto result =
        testing::runCommand(KESTRANE_CLI, {"render", kSamples + "/" + sample + ".html", "-o",
                                           out.path(), "--base", kSamples + "/base"});
    EXPECT_EQ(result.out.find("section-2"), std::string::npos) << "one section expected";
    int width = 0, height = 0, channels = 0;
    stbi_uc* grey = stbi_load(out.file("section-1.png").c_str(), &width, &height, &channels, 1);
    Canvas canvas(width, height);
    for (int y = 0; grey != nullptr && y < height; ++y) {
        for (int x = 0; x < width; ++x) setPixel(canvas, x, y, grey[y * width + x] < 128);
    }
    stbi_image_free(grey);
    return canvas;
}

// The pixels of `page` that differ from `receipt` put at (dx, dy) on white paper.
int64_t differencesAt(const Canvas& page, const Canvas& receipt, int32_t dx, int32_t dy) {
    int64_t count = 0;
    for (int32_t y = 0; y < page.height; ++y) {
        for (int32_t x = 0; x < page.width; ++x) {
            count += isBlack(page, x, y) != isBlack(receipt, x - dx, y - dy);
        }
    }
    return count;
}

// Where a page has ink: its first and last rows, its first column; -1 for a blank page.
struct Ink {
    int32_t top = -1, bottom = -1, left = -1;
};
Ink inkOf(const Canvas& page) {
    Ink ink;
    for (int32_t y = 0; y < page.height; ++y) {
        for (int32_t x = 0; x < page.width; ++x) {
            if (!isBlack(page, x, y)) continue;
            if (ink.top < 0) ink.top = y;
            ink.bottom = y;
            if (ink.left < 0 || x < ink.left) ink.left = x;
        }
    }
    return ink;
}

std::string millimetres(int32_t rows) {
    std::ostringstream text;
    text.precision(1);
    text << std::fixed << rows * 25.4 / 203 << " mm";
    return text.str();
}

struct Model {
    const char* name;
    bool appleRaster;    // CUPS converts to Apple raster through its PDF filters
    bool customLengths;  // the roll is cut to the length a job asks for
    const char* format;  // what the printer receives
    int32_t pageWidth;   // of what it receives, in pixels
    int32_t sheetRows;   // the page length it receives; 0: the receipt's own
    int32_t rounding;    // pixels the PDF filters' rounding may move the receipt down or across
};

// Prints each sample on each model and checks what the printer got; prints what was measured.
void printSamples(const std::vector<Model>& models) {
    VirtualPrinter spooler;
    ASSERT_EQ(spooler.problem(), "");
    const struct {
        const char* sample;
        std::string codes;  // what a scanner reads, sorted
    } samples[] = {
        {"kestrane", "000004711023\n4711023\n"},
        {"vexo", "000000118204\n2026118204\n"},
        // Its code fields are named as the previewer reads them: the STAR job draws no symbol.
        {"invoice", ""},
    };
    for (const Model& model : models) {
        IppEverywherePrinter printer(
            model.name, testing::receiptPrinterAttributes(model.appleRaster, model.customLengths));
        ASSERT_EQ(printer.problem(), "") << model.name;
        ASSERT_EQ(spooler.cups(
                      {"lpadmin", "-p", model.name, "-E", "-v", printer.uri(), "-m", "everywhere"}),
                  "");
        // Its default page, as the job sizes receipts for it: 72 mm by 200 mm at 203 dpi.
        const std::string listed = spooler.kestrane({"printers"}).out;
        EXPECT_NE(listed.find(std::string(model.name) +
                              "\tidle\taccepting\t575x1598 px at 203x203 dpi\n"),
                  std::string::npos)
            << listed;
        std::size_t received = 0;
        for (const auto& s : samples) {
            const std::string what = std::string(model.name) + ", " + s.sample;
            const auto printed =
                spooler.kestrane({"print", "--type", "STAR", "--printer", model.name, "--base",
                                  kSamples + "/base", kSamples + "/" + s.sample + ".html"});
            ASSERT_EQ(printed.out, "Return - Print Operation was successful\n")
                << what << printed.err;
            std::vector<IppEverywherePrinter::Document> documents;
            for (int i = 0; i < 600 && (documents.size() <= received ||
                                        !spooler.cups({"lpstat", "-o"}).empty() ||
                                        !printer.jobEnded(documents.back().job));
                 ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                documents = printer.documents();
            }
            ASSERT_EQ(documents.size(), received + 1)
                << what << ": " << spooler.cups({"lpstat", "-l", "-o"});
            const IppEverywherePrinter::Document& document = documents.back();
            received = documents.size();
            EXPECT_EQ(document.format, model.format) << what;

            // The page: the receipt's width stretched to the printable 72 mm, at its place.
            const Canvas canvas = rendered(s.sample);
            const std::vector<PageSlice> slices = pageSlices(canvas.height, kRoll80);
            ASSERT_EQ(slices.size(), 1u) << what;
            const Canvas receipt = devicePage(canvas, slices[0], kRoll80.width);
            std::vector<RasterPage> pages;
            std::string error;
            ASSERT_TRUE(readRasterPages(document.bytes, pages, error))
                << what << ": " << error << "; the scheduler logged:\n"
                << spooler.errorLogTail();
            ASSERT_EQ(pages.size(), 1u) << what;
            const Canvas& page = pages[0].pixels;
            const int32_t sheetRows = model.sheetRows > 0 ? model.sheetRows : receipt.height;
            EXPECT_EQ(page.width, model.pageWidth) << what;
            EXPECT_EQ(page.height, sheetRows) << what;
            EXPECT_EQ(pages[0].ydpi, 203) << what;
            // Horizontally in the middle (4 mm margins either side); vertically at the top.
            const Ink drawn = inkOf(receipt), got = inkOf(page);
            const int32_t below = got.top - drawn.top, across = got.left - drawn.left;
            EXPECT_GE(below, 0) << what << ": the receipt starts above where it was drawn";
            EXPECT_LE(below, model.rounding) << what << ": blank paper above the receipt";
            EXPECT_LE(std::abs(across - (page.width - receipt.width) / 2), model.rounding) << what;
            // Where it sits, every pixel is the receipt's.
            const int64_t wrong = differencesAt(page, receipt, across, below);
            EXPECT_EQ(wrong, 0) << what;

            // The medium the printer was asked for: the receipt's own length where the roll is cut
            // to length (rounded up to a hundredth of a millimetre), its default otherwise.
            const std::string length =
                std::to_string((static_cast<int64_t>(receipt.height) * 2540 + 202) / 203);
            EXPECT_EQ(printer.jobMediaSize(document.job),
                      model.customLengths ? "8000x" + length : "")
                << what;

            // What people see of the job, and what a scanner reads on it.
            testing::TempDir dir;
            testing::writeBytes(dir.file("job.bin"), document.bytes);
            const auto shown =
                testing::runCommand(KESTRANE_CLI, {"pages", dir.file("job.bin"), "-o", dir.path()});
            EXPECT_EQ(shown.out, dir.file("page-1.png") + " " + std::to_string(model.pageWidth) +
                                     "x" + std::to_string(sheetRows) + " px at 203x203 dpi\n")
                << what << shown.err;
            const auto scanned = testing::runCommand(
                "sh", {"-c", "zbarimg --nodbus -q --raw \"$0\" | sort", dir.file("page-1.png")});
            EXPECT_EQ(scanned.out, s.codes) << what;

            std::cout << "[ measured ] " << what << ": " << document.format << " page "
                      << page.width << "x" << page.height << " px (" << millimetres(page.width)
                      << " x " << millimetres(page.height) << "), the receipt's page "
                      << receipt.width << "x" << receipt.height << " px " << below
                      << " rows from the top, " << page.height - below - receipt.height
                      << " rows of paper after it; ink from " << millimetres(got.top) << " to "
                      << millimetres(page.height - 1 - got.bottom) << " before the end; " << wrong
                      << " pixels differ\n";
        }
    }
}

TEST(PrintDriverlessTest, ARollCutToLengthGetsPagesOfTheReceiptsOwnLength) {
    printSamples({
        // Passed through as sent: a page of the printable width and the receipt's length.
        {"roll-pwg", false, true, "pwg", 575, 0, 0},
        // Through CUPS' PDF filters onto the whole 80 mm sheet, cut to the receipt's length.
        {"roll-urf", true, true, "urf", 639, 0, 1},
    });
}

TEST(PrintDriverlessTest, AFixedSheetGetsTheReceiptAtItsTop) {
    printSamples({
        // Passed through as sent: nothing to place, the printer gets the receipt's page.
        {"sheet-pwg", false, false, "pwg", 575, 0, 0},
        // Through CUPS' PDF filters onto the 80 x 200 mm sheet: at its top, not centred.
        {"sheet-urf", true, false, "urf", 639, 1598, 1},
    });
}

}  // namespace
}  // namespace kestrane
