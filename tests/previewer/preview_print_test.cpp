// PRINT through a real spooler: the virtual printer's private CUPS scheduler, reached in this
// process through CUPS_SERVER, and the raster pages its receipt queue delivered.
#include "previewer/preview_print.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "jobs/job_messages.h"
#include "platform/raster_pages.h"
#include "platform/spooler.h"
#include "previewer/preview_session.h"
#include "previewer/previewer_texts.h"
#include "tests/support/virtual_printer.h"

namespace kestrane::previewer {
namespace {

class PreviewPrintTest : public ::testing::Test {
  protected:
    // One scheduler for the program: a thread's CUPS client keeps the first scheduler it finds.
    static void SetUpTestSuite() {
        printer_ = new testing::VirtualPrinter();
        ::setenv("CUPS_SERVER", printer_->socket().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete printer_;
        printer_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(printer_->problem(), ""); }

    // The pages of the one job `queue` receives.
    static std::vector<RasterPage> receivedPages(const std::string& queue) {
        const std::vector<std::string> jobs = printer_->takeJobs(queue, 1);
        EXPECT_EQ(jobs.size(), 1u);
        std::vector<RasterPage> pages;
        std::string error;
        if (!jobs.empty()) {
            EXPECT_TRUE(readRasterPages(jobs.front(), pages, error)) << error;
        }
        return pages;
    }

    static DeviceSize deviceSize(const std::string& queue) {
        DeviceResult result = DeviceResult::kOpened;
        const auto device = openPrinterDevice(queue, result);
        return device ? device->size() : DeviceSize{};
    }

    static testing::VirtualPrinter* printer_;
};

testing::VirtualPrinter* PreviewPrintTest::printer_ = nullptr;

TEST_F(PreviewPrintTest, AReceiptOfExactlyTwoPagesPrintsTwoFullPagesAndNoThird) {
    const DeviceSize size = deviceSize("receipt80");
    ASSERT_GT(size.height, 0);
    // The shortest receipt whose scaled height trunc(H * X / 570) is two pages.
    const double scale = size.width / 570.0;
    int32_t height = static_cast<int32_t>(2 * size.height / scale);
    while (static_cast<int64_t>(height * scale) < 2 * size.height) ++height;
    PreviewBitmap receipt;
    receipt.kind = PreviewKind::kReceipt;
    receipt.canvas = Canvas(570, height);
    // A black band at the top of each page's share of rows.
    const auto rowsPerPage = static_cast<int32_t>(size.height / scale);
    fillRect(receipt.canvas, {0, 0, 570, 8}, true);
    fillRect(receipt.canvas, {0, rowsPerPage, 570, rowsPerPage + 8}, true);

    const PreviewMessage outcome = printPreview(&receipt, "receipt80");
    EXPECT_EQ(outcome.text, kPrintedToSpooler);
    EXPECT_EQ(outcome.caption, kSuccessCaption);
    const std::vector<RasterPage> pages = receivedPages("receipt80");
    ASSERT_EQ(pages.size(), 2u);
    for (const RasterPage& page : pages) {
        EXPECT_EQ(page.pixels.width, size.width);
        EXPECT_EQ(page.pixels.height, size.height);
        EXPECT_TRUE(isBlack(page.pixels, size.width / 2, 2));
        EXPECT_FALSE(isBlack(page.pixels, size.width / 2, size.height / 2));
    }
}

TEST_F(PreviewPrintTest, TheStartPicturePrintsBeforeAnyLayoutIsLoaded) {
    std::ifstream in(std::string(KESTRANE_SOURCE_DIR) + "/previewer/resources/start_picture.bmp",
                     std::ios::binary);
    const auto start = startPicture({std::istreambuf_iterator<char>(in), {}});
    ASSERT_TRUE(start);
    const DeviceSize size = deviceSize("receipt58");
    EXPECT_EQ(printPreview(&*start, "receipt58").text, kPrintedToSpooler);
    const std::vector<RasterPage> pages = receivedPages("receipt58");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].pixels.width, size.width);
    EXPECT_EQ(pages[0].pixels.height, static_cast<int32_t>(412 * (size.width / 567.0)));
}

TEST_F(PreviewPrintTest, FailuresAreMessagesAndNothingReachesThePrinter) {
    const PreviewBitmap placeholder = placeholderBitmap();
    struct Case {
        const char* what;
        const PreviewBitmap* bitmap;
        std::string printer;
        std::string text;
        std::string detail;  // shown below the text in the message box
    };
    const Case cases[] = {
        {"no preview bitmap", nullptr, "receipt80", kNothingToPrint, ""},
        {"a printer the spooler does not know", &placeholder, "no-such-printer",
         kCouldNotConnectToPrinter, "the spooler cannot open printer 'no-such-printer'"},
        {"a queue without a driver", &placeholder, "RAW",
         "Error - You do not have the drivers installed for this Printer!",
         "printer 'RAW' has no driver that gives a page size"},
    };
    for (const Case& c : cases) {
        const PreviewMessage outcome = printPreview(c.bitmap, c.printer);
        EXPECT_EQ(outcome.text, c.text) << c.what;
        EXPECT_EQ(outcome.caption, kErrorCaption) << c.what;
        EXPECT_EQ(outcome.detail, c.detail) << c.what;
        EXPECT_EQ(messageBoxText(outcome), c.detail.empty() ? c.text : c.text + "\n\n" + c.detail) << c.what;
    }
    EXPECT_EQ(printer_->jobCount("receipt80"), 0u);
}

// A scheduler that does not answer: the list holds only "Select Printer", and a message says why
// in the spooler's words. (On a thread of its own: a thread's CUPS client keeps its scheduler.)
TEST_F(PreviewPrintTest, ASpoolerThatDoesNotAnswerIsAMessageNotAnEmptyList) {
    const std::string socket = printer_->socket();
    ::setenv("CUPS_SERVER", "/nonexistent/kestrane-cups.sock", 1);
    std::vector<std::string> entries;
    std::vector<PreviewMessage> messages;
    std::thread([&] {
        PreviewerOptions options;
        PreviewSession session(options);
        session.readPrinters();
        entries = session.printerEntries();
        messages = session.takeMessages();
    }).join();
    ::setenv("CUPS_SERVER", socket.c_str(), 1);
    EXPECT_EQ(entries, std::vector<std::string>({kSelectPrinter}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kPrintersNotListed);
    EXPECT_EQ(messages[0].caption, kErrorCaption);
    EXPECT_FALSE(messages[0].detail.empty());
    EXPECT_EQ(messageBoxText(messages[0]), std::string(kPrintersNotListed) + "\n\n" + messages[0].detail);
}

}  // namespace
}  // namespace kestrane::previewer
