// `kestrane print --type STAR` through the virtual printer's private CUPS scheduler: what the
// printer receives is decoded and compared with the receipt `kestrane render` draws.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "output/star_print.h"
#include "platform/raster_pages.h"
#include "tests/support/bitmap_writer.h"
#include "tests/support/virtual_printer.h"

namespace kestrane {
namespace {

using testing::VirtualPrinter;

const std::string kSamples = KESTRANE_SAMPLES;
const std::string kSuccess = "Return - Print Operation was successful\n";
const std::string kCouldNotWrite =
    "Error - Could not Write to Printer! \nPlease try doing a Test Print on the respective Printer and try again!\n";
const DeviceSize kRoll80{575, 1598, 203, 203};
const DeviceSize kRoll58{383, 1598, 203, 203};

std::string rows(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "<tr><td>Row " + std::to_string(i) + "</td></tr>";
    return text;
}

// The receipt's sections as `kestrane render` draws them.
std::vector<Canvas> rendered(const std::string& layoutPath, const std::string& base) {
    testing::TempDir out;
    const auto result = testing::runCommand(KESTRANE_CLI, {"render", layoutPath, "-o", out.path(), "--base", base});
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<Canvas> canvases;
    for (std::size_t n = 1;; ++n) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* grey = stbi_load(out.file("section-" + std::to_string(n) + ".png").c_str(), &width,
                                  &height, &channels, 1);
        if (grey == nullptr) break;
        Canvas canvas(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) setPixel(canvas, x, y, grey[y * width + x] < 128);
        }
        stbi_image_free(grey);
        canvases.push_back(std::move(canvas));
    }
    return canvases;
}

std::vector<RasterPage> decode(const std::string& job) {
    std::vector<RasterPage> pages;
    std::string error;
    EXPECT_TRUE(readRasterPages(job, pages, error)) << error;
    return pages;
}

// Black runs along row `y`: the bars a scan line crosses.
int blackRuns(const Canvas& canvas, int32_t y) {
    int runs = 0;
    for (int32_t x = 0; x < canvas.width; ++x) runs += isBlack(canvas, x, y) && !isBlack(canvas, x - 1, y);
    return runs;
}

// Groups of consecutive rows that are black across at least `share` of the width: rules.
int rules(const Canvas& canvas, double share) {
    int count = 0;
    bool inRule = false;
    for (int32_t y = 0; y < canvas.height; ++y) {
        const auto black = static_cast<double>(testing::countBlack(canvas, {0, y, canvas.width, y + 1}));
        const bool rule = black >= share * canvas.width;
        count += rule && !inRule;
        inRule = rule;
    }
    return count;
}

TEST(PrintStarTest, EachSectionArrivesAsTheCanvasStretchedOntoPages) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    testing::TempDir dir;
    testing::writeBytes(dir.imageFolder() + "/strip.bmp", testing::solidBmp(550, 14, {0, 0, 0}));
    const struct {
        const char* what;
        std::string layout;  // a file name under samples/, or layout text
        std::string queue;
        DeviceSize device;
        std::vector<std::vector<int32_t>> pageRows;  // of each job
    } cases[] = {
        {"shorter than a page", "<table>" + rows(10) + "</table>", "receipt80", kRoll80, {{303}}},
        // 55 rows and a 14-row image: 1564 + 21 canvas rows make exactly one page.
        {"exactly one page", "<table>" + rows(55) + "<tr><td><img src=\"strip.bmp\"></td></tr></table>",
         "receipt80", kRoll80, {{1598}}},
        {"two pages and a half", "<table>" + rows(141) + "</table>", "receipt80", kRoll80, {{1598, 1598, 807}}},
        {"one job a table section", "<table>" + rows(1) + "</table><table>" + rows(2) + "</table>",
         "receipt80", kRoll80, {{49}, {77}}},
        {"shrinking to 383 pixels", "kestrane.html", "receipt58", kRoll58, {{948}}},
    };
    for (const auto& c : cases) {
        const bool sample = c.layout.find('<') == std::string::npos;
        const std::string path = sample ? kSamples + "/" + c.layout : dir.file("layout.html");
        const std::string base = sample ? kSamples + "/base" : dir.path();
        if (!sample) testing::writeBytes(path, c.layout);
        const auto printed = printer.kestrane({"print", "--type", "STAR", "--printer", c.queue, "--base", base, path});
        ASSERT_EQ(printed.out, kSuccess) << c.what << printed.err;
        const std::vector<std::string> jobs = printer.takeJobs(c.queue, c.pageRows.size());
        const std::vector<Canvas> canvases = rendered(path, base);
        ASSERT_EQ(jobs.size(), c.pageRows.size()) << c.what;
        ASSERT_EQ(canvases.size(), jobs.size()) << c.what;
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            const std::vector<RasterPage> pages = decode(jobs[j]);
            std::vector<int32_t> heights;
            for (const RasterPage& page : pages) heights.push_back(page.pixels.height);
            EXPECT_EQ(heights, c.pageRows[j]) << c.what;
            const auto slices = pageSlices(canvases[j].height, c.device);
            ASSERT_EQ(slices.size(), pages.size()) << c.what;
            for (std::size_t p = 0; p < pages.size(); ++p) {
                EXPECT_EQ(pages[p].pixels.width, c.device.width) << c.what;
                EXPECT_EQ(pages[p].xdpi, 203) << c.what;
                EXPECT_EQ(pages[p].pixels.bits, devicePage(canvases[j], slices[p], c.device.width).bits)
                    << c.what << ", job " << j << ", page " << p;
            }
        }
    }
    // Every document carries the receipt's title.
    const std::string log = printer.pageLog();
    std::size_t titled = 0;
    for (std::size_t at = 0; (at = log.find(" Quillon Reciept ", at)) != std::string::npos; ++at) ++titled;
    EXPECT_EQ(titled, 6u) << log;

    // Shrunk to 383 pixels, no rule or barcode bar of the sample is lost.
    ASSERT_EQ(printer.kestrane({"print", "--type", "STAR", "--printer", "receipt58", "--base",
                                kSamples + "/base", kSamples + "/kestrane.html"}).out, kSuccess);
    const Canvas page = decode(printer.takeJobs("receipt58", 1).at(0)).at(0).pixels;
    const Canvas canvas = rendered(kSamples + "/kestrane.html", kSamples + "/base").at(0);
    const int32_t barcodeRow = 900;  // the Code 39 symbol's middle
    EXPECT_EQ(blackRuns(page, barcodeRow * 383 / 570), blackRuns(canvas, barcodeRow));
    EXPECT_EQ(rules(page, 0.9), rules(canvas, 0.9));
    EXPECT_GE(rules(canvas, 0.9), 2);
}

TEST(PrintStarTest, EveryFailureHasItsMessageAndPrintsNothingAfterIt) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    ASSERT_EQ(printer.cups({"lpadmin", "-p", "stopped", "-v", "socket://127.0.0.1:9/?snmp=false", "-E"}), "");
    ASSERT_EQ(printer.cups({"cupsdisable", "stopped"}), "");
    ASSERT_EQ(printer.cups({"lpadmin", "-p", "rejecting", "-v", "socket://127.0.0.1:9/?snmp=false", "-E"}), "");
    ASSERT_EQ(printer.cups({"cupsreject", "rejecting"}), "");
    ASSERT_EQ(printer.cups({"lpadmin", "-p", "R", "-v", "socket://127.0.0.1:9/?snmp=false", "-E"}), "");
    testing::TempDir dir;
    const std::string offline = "Error - Printer is offline\n";
    const std::string table = "<table>" + rows(1) + "</table>";
    // The message on standard output as the add-on returns it; on standard error the detail a
    // person acts on.
    const struct {
        const char* what;
        std::string printer, layout, message, detail;
    } cases[] = {
        {"a queue that does not exist", "absent", table, offline, "the spooler has no printer 'absent'"},
        {"a stopped queue", "stopped", table, offline, "printer 'stopped' is stopped"},
        {"a queue that rejects jobs", "rejecting", table, offline, "printer 'rejecting' does not accept jobs"},
        {"a shared printer's name", "\\\\till\\receipt",  table,
         "Error - Printer is either offline, inaccessible or is not shared on the Network!\n"
         "Please Try doing a Test print on the respective printer and try again!\n",
         "the spooler has no printer '\\\\till\\receipt'"},
        {"a missing printer goes first", "absent", "<a>", offline, "the spooler has no printer 'absent'"},
        {"four bytes", "receipt80", "<tr>",
         "Error - There is a set limit on the minimum size of a receipt text and your text does not meet the minimum\n", ""},
        {"a one-byte printer name", "R", table,
         "Error - The printer requested is either Offline or does not Exist\n in your set of installed printers!\n", ""},
        {"five bytes without markup", "receipt80", "hello", "Error - Unsupported Receipt Layout Format!\n", ""},
        {"a raw queue has no driver to draw for", "RAW", table,
         "Error - You do not have the drivers installed for this Printer!\n",
         "printer 'RAW' has no driver that gives a page size"},
        {"an unterminated table has nothing to print: an error, never success", "receipt80", "<table>" + rows(1),
         "Error - The receipt layout has no complete table (<table> to </table>) to print\n", ""},
        {"a second section that does not parse", "receipt80", table + "<table><tr></table>",
         "Error - Template Could not Pass Correctly\n", ""},
    };
    for (const auto& c : cases) {
        testing::writeBytes(dir.file("layout.html"), c.layout);
        const auto printed = printer.kestrane({"print", "--type", "STAR", "--printer", c.printer, "--base",
                                               dir.path(), dir.file("layout.html")});
        EXPECT_EQ(printed.out, c.message) << c.what;
        EXPECT_EQ(printed.err, c.detail.empty() ? "" : "kestrane: " + c.detail + "\n") << c.what;
        EXPECT_EQ(printed.status, c.message == kSuccess ? 0 : 1) << c.what;
    }
    // Only the first section of the layout whose second section does not parse was printed.
    EXPECT_EQ(printer.takeJobs("receipt80", 1).size(), 1u);
}

TEST(PrintStarTest, ASpoolerAtItsJobLimitIsNamedAsTheCauseAndKeepsNothing) {
    VirtualPrinter printer("MaxJobs 3");
    ASSERT_EQ(printer.problem(), "");
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(printer.cups({"lp", "-d", "receipt80", "-H", "indefinite", KESTRANE_SAMPLES "/kestrane.html"}).find("request id"),
                  std::string::npos);
    }
    const auto printed = printer.kestrane(
        {"print", "--type", "STAR", "--printer", "receipt80", "--base", KESTRANE_SAMPLES "/base", KESTRANE_SAMPLES "/kestrane.html"});
    EXPECT_EQ(printed.out, kCouldNotWrite);
    EXPECT_EQ(printed.err, "kestrane: starting the document on printer 'receipt80': the spooler refused the job: Too many active jobs.\n");
    const std::string left = printer.cups({"lpstat", "-o"});
    EXPECT_EQ(std::count(left.begin(), left.end(), '\n'), 3) << left;
}

TEST(PrintStarTest, ASchedulerThatGoesAwayMidJobIsAnErrorNeverSuccess) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    testing::TempDir dir;
    std::string layout;
    for (int i = 0; i < 400; ++i) layout += "<table>" + rows(3) + "</table>";
    testing::writeBytes(dir.file("layout.html"), layout);
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        // Stops the scheduler once the first section has reached the printer.
        while (!done && printer.jobCount("receipt80") == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        printer.stop();
    });
    const auto printed = printer.kestrane({"print", "--type", "STAR", "--printer", "receipt80", "--base",
                                           dir.path(), dir.file("layout.html")});
    done = true;
    stopper.join();
    EXPECT_EQ(printed.status, 1) << printed.out;
    EXPECT_EQ(printed.out.rfind("Error - ", 0), 0u) << printed.out;
}

// The virtual printer's 80 mm PPD at `dpi` dots an inch.
std::string receiptPpd(const std::string& dpi) {
    std::string ppd = testing::readFile(std::string(KESTRANE_SOURCE_DIR) + "/scripts/virtual-printer.d/receipt.ppd.in");
    const std::pair<std::string, std::string> values[] = {
        {"@WIDTH@", "80"}, {"@PRINTABLE@", "72"}, {"@LENGTH@", "200"}, {"@FORMAT@", "image/pwg-raster"},
        {"@RESOLUTION@", dpi + "x" + dpi + "dpi"}, {"@DPI@", dpi}, {"@WIDTHPT@", "226.77"},
        {"@LENGTHPT@", "566.93"}, {"@MARGINPT@", "11.34"}, {"@RIGHTPT@", "215.43"}};
    for (const auto& [from, to] : values) {
        for (std::size_t at; (at = ppd.find(from)) != std::string::npos;) ppd.replace(at, from.size(), to);
    }
    return ppd;
}

// Adds the queue `name`, a receipt driver at `dpi` before a device that never answers (port 9);
// what lpadmin says.
std::string addSilentQueue(VirtualPrinter& printer, const testing::TempDir& dir, const std::string& name,
                           const std::string& dpi) {
    testing::writeBytes(dir.file(name + ".ppd"), receiptPpd(dpi));
    return printer.cups({"lpadmin", "-p", name, "-E", "-v", "socket://127.0.0.1:9/?snmp=false", "-P",
                         dir.file(name + ".ppd")});
}

// A driver that describes a page no memory can hold (a broken or hostile PPD) ends the job with
// its message before anything is allocated; the process lives to say it.
TEST(PrintStarTest, APageTooLargeForMemoryIsAnErrorNotACrash) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    testing::TempDir dir;
    ASSERT_EQ(addSilentQueue(printer, dir, "huge", "2000000").find("rror"), std::string::npos);
    testing::writeBytes(dir.file("layout.html"), "<table>" + rows(1) + "</table>");
    const auto printed = printer.kestrane({"print", "--type", "STAR", "--printer", "huge", "--base", dir.path(),
                                           dir.file("layout.html")});
    EXPECT_EQ(printed.status, 1) << printed.err;
    EXPECT_EQ(printed.out, kCouldNotWrite);
    EXPECT_EQ(printed.err.rfind("kestrane: a page of printer 'huge' would be 5669291 x ", 0), 0u) << printed.err;
    EXPECT_NE(printed.err.find(" pixels, more than 512 MiB\n"), std::string::npos) << printed.err;
}

// With --confirm, success means the spooler reported the job completed; a job that is cancelled
// or does not finish in time is an error that says so, in the spooler's words.
TEST(PrintStarTest, ConfirmedPrintingWaitsForTheSpoolersWord) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    // A printer whose device never answers: the job stays "processing" until it is cancelled.
    testing::TempDir dir;
    ASSERT_EQ(addSilentQueue(printer, dir, "dead", "203").find("Unable"), std::string::npos);
    testing::writeBytes(dir.file("layout.html"), "<table>" + rows(1) + "</table>");
    const auto print = [&](const std::string& queue, const std::string& seconds) {
        return printer.kestrane({"print", "--type", "STAR", "--printer", queue, "--base", dir.path(), "--confirm",
                                 seconds, dir.file("layout.html")});
    };
    EXPECT_EQ(print("receipt80", "30").out, kSuccess);
    const auto late = print("dead", "2");
    EXPECT_EQ(late.out.rfind("Error - No confirmation that the receipt printed: job ", 0), 0u) << late.out;
    EXPECT_NE(late.out.find(" on printer 'dead' is processing"), std::string::npos) << late.out;
    std::thread canceller([&] {
        for (int i = 0; i < 200 && printer.cups({"lpstat", "-o", "dead"}).find("dead-") == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        printer.cups({"cancel", "-a", "dead"});
    });
    const auto cancelled = print("dead", "30");
    canceller.join();
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.out.rfind("Error - The receipt did not print: job ", 0), 0u) << cancelled.out;
    EXPECT_NE(cancelled.out.find(" is cancelled"), std::string::npos) << cancelled.out;
}

// A scheduler that stops answering (stopped, swapped out, wedged) costs a listing its wait limit
// (twice, with libcups' own retry) and a job's printer lookup once, not minutes.
TEST(PrintStarTest, ASchedulerThatStopsAnsweringIsAnErrorAfterTheWaitLimit) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    const std::string pid = printer.schedulerPid();
    ASSERT_NE(pid, "");
    ASSERT_EQ(testing::runCommand("kill", {"-STOP", pid}).status, 0);
    const auto listed = printer.kestrane({"printers"});
    testing::TempDir dir;
    testing::writeBytes(dir.file("layout.html"), "<table>" + rows(1) + "</table>");
    const auto printed = printer.kestrane({"print", "--type", "STAR", "--printer", "receipt80", "--base",
                                           dir.path(), dir.file("layout.html")});
    testing::runCommand("kill", {"-CONT", pid});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.err.find("does not answer"), std::string::npos) << listed.err;
    EXPECT_EQ(printed.out, "Error - Printer is offline\n");
    EXPECT_EQ(printed.err, "kestrane: the spooler does not answer\n");
}

TEST(PrintStarTest, ASchedulerThatStopsReadingMidDocumentEndsTheJobWithinItsLimits) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    const std::string pid = printer.schedulerPid();
    ASSERT_NE(pid, "");
    testing::TempDir dir;
    testing::writeBytes(dir.file("layout.html"), "<table>" + rows(30000) + "</table>");  // 526 pages
    testing::CommandResult printed;
    std::thread job([&] {
        printed = printer.kestrane({"print", "--type", "STAR", "--printer", "receipt80", "--base", dir.path(),
                                    dir.file("layout.html")});
    });
    // Stopped once the job exists, while its pages are on their way. libcups alone dropped its
    // buffer at each time-out and went on, a wait for every 32 KiB: hours for this job.
    while (printer.cups({"lpstat", "-o"}).empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    testing::runCommand("kill", {"-STOP", pid});
    job.join();
    testing::runCommand("kill", {"-CONT", pid});
    EXPECT_EQ(printed.out, kCouldNotWrite);
    // Where the stall lands (a page's header or its pixels) is the scheduler's timing, not ours.
    const bool named = printed.err.find("the spooler stopped taking the page: ") != std::string::npos ||
                       printed.err.find("the spooler took no page: ") != std::string::npos;
    EXPECT_TRUE(named) << printed.err;
    EXPECT_NE(printed.err.find("nothing could be sent for 15 seconds"), std::string::npos) << printed.err;
}

TEST(PrintStarTest, ThePrintedSampleScansAndAnyCupsServerWorks) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    // Over the scheduler's TCP port, as a till printing through a central CUPS server would.
    const auto listed = printer.kestrane({"printers"}, printer.ippServer());
    EXPECT_EQ(listed.out,
              "RAW\tidle\taccepting\tsize unknown\n"
              "receipt58\tidle\taccepting\t383x1598 px at 203x203 dpi\n"
              "receipt80\tidle\taccepting\t575x1598 px at 203x203 dpi\n"
              "receiptps\tidle\taccepting\t575x1598 px at 203x203 dpi\n");
    const auto printed = printer.kestrane({"print", "--type", "STAR", "--printer", "receipt80", "--base",
                                           kSamples + "/base", kSamples + "/kestrane.html"},
                                          printer.ippServer());
    ASSERT_EQ(printed.out, kSuccess) << printed.err;
    testing::TempDir dir;
    testing::writeBytes(dir.file("job.bin"), printer.takeJobs("receipt80", 1).at(0));
    const auto pages = testing::runCommand(KESTRANE_CLI, {"pages", dir.file("job.bin"), "-o", dir.path()});
    EXPECT_EQ(pages.out, dir.file("page-1.png") + " 575x1423 px at 203x203 dpi\n");
    const auto scanned = testing::runCommand("zbarimg", {"--nodbus", "-q", "--raw", dir.file("page-1.png")});
    EXPECT_NE(scanned.out.find("000004711023\n"), std::string::npos) << scanned.out;
    EXPECT_NE(scanned.out.find("4711023\n"), std::string::npos) << scanned.out;
}

}  // namespace
}  // namespace kestrane
