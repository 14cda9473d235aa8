// The previewer's session without a window: its command line, what it shows as samples, files
// and modes are chosen, following a file through the ways editors save, the reasons on the
// placeholder, the printer list and PRINT on its worker thread (with printers of the test's own).
#include "previewer/preview_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <thread>
#include <tuple>

#include "jobs/receipt_jobs.h"
#include "previewer/previewer_texts.h"
#include "previewer/window_layout.h"
#include "tests/support/temp_dir.h"

namespace kestrane::previewer {
namespace {

namespace fs = std::filesystem;
const std::string kSamples = KESTRANE_SAMPLES;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// `tables` tables of `rows` rows each: the previewer's variant draws the first table, the STAR
// job every one.
std::string layout(int rows, int tables = 1) {
    std::string text;
    for (int t = 0; t < tables; ++t) {
        text += "<table>";
        for (int i = 0; i < rows; ++i) text += "<tr><td>Row " + std::to_string(i) + "</td><td>1.00</td></tr>";
        text += "</table>";
    }
    return text;
}

// Printers of the test's own; PRINT records what it got and answers once `release` is set.
struct FakeSystem {
    std::vector<std::string> printers = {"receipt80", "receipt58"};
    std::string listError;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<std::pair<std::string, int32_t>> printed;  // printer, bitmap height (-1: none)
    std::thread::id printThread;
    std::chrono::milliseconds takes{0};

    SessionServices services() {
        return {[this](std::string& error) {
                    error = listError;
                    std::vector<PrinterInfo> list(printers.size());
                    for (std::size_t i = 0; i < list.size(); ++i) list[i].name = printers[i];
                    return list;
                },
                [this](const PreviewBitmap* bitmap, const std::string& printer) {
                    released.wait();
                    std::this_thread::sleep_for(takes);
                    printed.emplace_back(printer, bitmap != nullptr ? bitmap->height() : -1);
                    printThread = std::this_thread::get_id();
                    return PreviewMessage{"Error - You do not have the drivers installed for this Printer!",
                                          kErrorCaption, "printer 'RAW' has no driver that gives a page size"};
                }};
    }
};

PreviewerOptions inMode(PreviewMode mode, PreviewerOptions options = {}) {
    options.imageDirectory = kSamples + "/base";
    options.mode = mode;
    return options;
}

// A session started as a front end starts it: the start picture and the samples.
struct Started {
    FakeSystem system;
    PreviewSession session;
    explicit Started(PreviewMode mode = PreviewMode::kPreviewer, PreviewerOptions options = {})
        : session(inMode(mode, options), system.services()) {
        session.showStartPicture(readAll(std::string(KESTRANE_SOURCE_DIR) + "/previewer/resources/start_picture.bmp"));
        int entry = 1;
        for (const char* sample : {"kestrane", "vexo", "invoice"}) {
            const std::string text = readAll(kSamples + "/" + sample + ".html");
            session.loadSample(entry++, text.data(), text.size());
        }
    }
};

TEST(PreviewerOptionsTest, CommandLinesOfBothFrontEnds) {
    const std::string program = "/opt/kestrane/bin/ReceiptPreviewer", fallback = "/opt/kestrane/bin/../../";
    const auto star = PreviewMode::kStarJob, own = PreviewMode::kPreviewer;
    const auto run = CommandLine::kRun, refused = CommandLine::kRefused;
    struct Case {
        std::vector<std::string> arguments;
        bool screenshots;
        CommandLine result;
        PreviewMode mode;
        std::string base, file, screenshot;
        int sample;
        std::string error;
    } const cases[] = {
        {{}, true, run, own, fallback, "", "", 0, ""},
        {{"--exact"}, false, run, star, fallback, "", "", 0, ""},
        {{"--base", "/srv/base", "a.html"}, false, run, own, "/srv/base", "a.html", "", 0, ""},
        {{"--base=C:\\Tills", "--exact"}, false, run, star, "C:\\Tills", "", "", 0, ""},
        {{"--sample=INVOICE", "--screenshot", "o.png"}, true, run, own, fallback, "", "o.png", 3, ""},
        {{"--", "--exact"}, false, run, own, fallback, "--exact", "", 0, ""},
        {{"-"}, false, run, own, fallback, "-", "", 0, ""},
        {{"--help", "--bogus"}, false, CommandLine::kHelp, own, "", "", "", 0, ""},
        {{"-v"}, false, CommandLine::kVersion, own, "", "", "", 0, ""},
        {{"--sample", "Nope"}, false, refused, own, "", "", "", 0, "no sample named Nope (Kestrane, Vexo, Invoice)"},
        {{"a.html", "b.html"}, false, refused, own, "", "", "", 0, "one layout file at most"},
        {{"--screenshot", "o.png"}, false, refused, own, "", "", "", 0, "unknown option --screenshot"},
        {{"--base"}, false, refused, own, "", "", "", 0, "--base needs a value"},
        {{"--sample="}, false, refused, own, "", "", "", 0, "--sample needs a value"},
    };
    for (const Case& c : cases) {
        const std::string what = c.arguments.empty() ? "none" : c.arguments[0];
        PreviewerOptions parsed;
        std::string error;
        ASSERT_EQ(parsePreviewerArguments(c.arguments, program, c.screenshots, parsed, error), c.result) << what;
        EXPECT_EQ(error, c.error) << what;
        if (c.result != run) continue;
        EXPECT_EQ(std::make_tuple(parsed.mode, parsed.imageDirectory, parsed.layoutFile, parsed.screenshot,
                                  parsed.sample),
                  std::make_tuple(c.mode, c.base, c.file, c.screenshot, c.sample))
            << what;
    }
    EXPECT_NE(previewerUsage(true).find("--screenshot FILE"), std::string::npos);
    EXPECT_EQ(previewerUsage(false).find("--screenshot"), std::string::npos);
    EXPECT_EQ(previewerVersion(), std::string("ReceiptPreviewer ") + KESTRANE_VERSION);
}

TEST(PreviewSessionTest, SamplesFilesAndTheStartPictureTakeTurns) {
    testing::TempDir dir;
    testing::writeBytes(dir.file("a.html"), layout(2));
    Started s;
    PreviewSession& session = s.session;
    const PreviewBitmap* invoice = nullptr;
    struct Step {
        const char* what;
        std::function<void()> act;
        ShownContent shown;
        int selected, sample;
        bool follows;
        PreviewKind kind;
    } const steps[] = {
        {"start", [] {}, ShownContent::kStartPicture, 0, 0, false, PreviewKind::kStartPicture},
        {"Invoice", [&] { session.chooseSample(3); invoice = session.bitmap(); }, ShownContent::kSample, 3, 3, false,
         PreviewKind::kReceipt},
        {"Select Preview keeps it", [&] { session.chooseSample(0); }, ShownContent::kSample, 0, 3, false,
         PreviewKind::kReceipt},
        {"no such entry", [&] { session.chooseSample(4); }, ShownContent::kSample, 0, 3, false, PreviewKind::kReceipt},
        {"a file", [&] { session.openFile(dir.file("a.html")); }, ShownContent::kFile, 0, 0, true,
         PreviewKind::kReceipt},
        {"a sample ends following", [&] { session.chooseSample(1); }, ShownContent::kSample, 1, 1, false,
         PreviewKind::kReceipt},
        {"no file there", [&] { session.openFile(dir.file("b.html")); }, ShownContent::kFile, 0, 0, true,
         PreviewKind::kPlaceholder},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(std::make_tuple(session.shown(), session.selectedSample(), session.shownSample()),
                  std::make_tuple(step.shown, step.selected, step.sample))
            << step.what;
        EXPECT_EQ(!session.followedFile().empty(), step.follows) << step.what;
        ASSERT_NE(session.bitmap(), nullptr) << step.what;
        EXPECT_EQ(session.bitmap()->kind, step.kind) << step.what;
        if (step.selected == 0 && step.sample == 3) {
            EXPECT_EQ(session.bitmap(), invoice) << step.what;
        }
    }

    // The command line: its file, then its sample, in its mode.
    PreviewerOptions options;
    options.layoutFile = dir.file("a.html");
    Started fileOnly(PreviewMode::kStarJob, options);
    fileOnly.session.showRequested();
    EXPECT_EQ(fileOnly.session.followedFile(), options.layoutFile);
    EXPECT_EQ(fileOnly.session.mode(), PreviewMode::kStarJob);
    options.sample = 2;
    Started sampleToo(PreviewMode::kPreviewer, options);
    sampleToo.session.showRequested();
    EXPECT_EQ(std::make_pair(sampleToo.session.shownSample(), sampleToo.session.selectedSample()), std::make_pair(2, 2));
    EXPECT_TRUE(sampleToo.session.followedFile().empty());
}

TEST(PreviewSessionTest, TheModeDrawsTheShownSampleOrFileAgain) {
    testing::TempDir dir;
    testing::writeBytes(dir.file("tables.html"), layout(1, 12));
    Started s;
    PreviewSession& session = s.session;
    const PreviewBitmap* start = session.bitmap();
    EXPECT_TRUE(session.setMode(PreviewMode::kStarJob));
    EXPECT_FALSE(session.setMode(PreviewMode::kStarJob));
    EXPECT_EQ(session.bitmap(), start);  // the start picture is the same in both
    session.openFile(dir.file("tables.html"));
    const int32_t exact = session.bitmap()->height();
    EXPECT_TRUE(session.setMode(PreviewMode::kPreviewer));
    EXPECT_EQ(session.bitmap()->height() * 12, exact);  // every table, one below the other
    session.chooseSample(1);
    const int32_t own = session.bitmap()->height();
    session.setMode(PreviewMode::kStarJob);
    EXPECT_NE(session.bitmap()->height(), own);
    EXPECT_EQ(session.shownSample(), 1);
}

TEST(PreviewSessionTest, SamplesThatCouldNotBeLoadedSayWhyOnceAndShowWhite) {
    Started s;
    s.session.loadSample(1, nullptr, 0);
    s.session.loadSample(2, "", 0);
    s.session.loadSample(9, nullptr, 0);  // no such entry: nothing to say
    const std::vector<PreviewMessage> messages = s.session.takeMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text + messages[1].text, std::string(kSampleNotLoaded) + kSampleSizeZero);
    EXPECT_TRUE(s.session.takeMessages().empty());
    for (int entry : {1, 2, 3}) {
        s.session.chooseSample(entry);
        EXPECT_EQ(s.session.bitmap() == nullptr, entry != 3) << entry;
    }
}

TEST(PreviewSessionTest, FollowsAFileThroughTheWaysEditorsSave) {
    struct Case {
        const char* how;
        std::function<void(const std::string& path)> takeAway;  // what happens before the write
        bool beside;  // written beside it, then renamed over it
    } const cases[] = {
        {"written in place", nullptr, false},
        {"written beside, renamed over it", nullptr, true},
        {"deleted, then written again", [](const std::string& path) { fs::remove(path); }, false},
        {"renamed away, then written", [](const std::string& path) { fs::rename(path, path + "~"); }, false},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        const std::string path = dir.file("receipt.html");
        testing::writeBytes(path, layout(40));
        Started s;
        PreviewSession& session = s.session;
        session.openFile(path);
        const PreviewBitmap* old = session.bitmap();
        const int32_t oldHeight = old->height();
        session.scroll(ScrollRequest::kThumbPosition, 300);
        EXPECT_FALSE(session.checkFollowedFile()) << c.how;
        if (c.takeAway) {
            c.takeAway(path);
            // While the file is gone the last drawing stays.
            EXPECT_FALSE(session.checkFollowedFile()) << c.how;
            EXPECT_FALSE(session.followedFilePresent()) << c.how;
            EXPECT_FALSE(session.checkFollowedFile()) << c.how;
        }
        EXPECT_EQ(session.bitmap(), old) << c.how;
        testing::writeBytes(c.beside ? path + ".tmp" : path, layout(45));
        if (c.beside) fs::rename(path + ".tmp", path);
        EXPECT_TRUE(session.checkFollowedFile()) << c.how;
        EXPECT_GT(session.bitmap()->height(), oldHeight) << c.how;
        EXPECT_EQ(session.scrollState().position, 300) << c.how;  // the view stays where it was
        EXPECT_TRUE(session.followedFilePresent()) << c.how;
        EXPECT_FALSE(session.checkFollowedFile()) << c.how;
    }

    // Not there when opened, then created; then a sample chosen: the file is no longer looked at.
    testing::TempDir dir;
    const std::string path = dir.file("later.html");
    Started s;
    s.session.openFile(path);
    EXPECT_FALSE(s.session.checkFollowedFile());
    testing::writeBytes(path, layout(3));
    EXPECT_TRUE(s.session.checkFollowedFile());
    EXPECT_EQ(s.session.bitmap()->kind, PreviewKind::kReceipt);
    s.session.chooseSample(2);
    testing::writeBytes(path, layout(1));
    EXPECT_FALSE(s.session.checkFollowedFile());
}

TEST(PreviewSessionTest, ThePlaceholderSaysWhyTheFileCouldNotBeShown) {
    testing::TempDir dir;
    testing::writeBytes(dir.file("large.html"), std::string(5 << 20, 'x'));
    testing::writeBytes(dir.file("empty.html"), "");
    testing::writeBytes(dir.file("refused.html"), "<table></table>");
    dir.make("folder.html");
    struct Case {
        std::string file;
        PreviewMode mode;
        std::vector<std::string> reasonHolds;  // empty: no reason
    } const cases[] = {
        {"large.html", PreviewMode::kPreviewer, {"large.html: ", std::to_string(kLayoutCap) + " bytes", "4 MiB"}},
        {"missing.html", PreviewMode::kPreviewer, {"missing.html: "}},
        {"folder.html", PreviewMode::kPreviewer, {"folder.html: "}},
        {"empty.html", PreviewMode::kPreviewer, {}},
        {"refused.html", PreviewMode::kPreviewer, {}},  // the previewer's variant gives no reason
        {"refused.html", PreviewMode::kStarJob, {"Error - "}},
    };
    const PreviewBitmap bare = placeholderBitmap();
    for (const Case& c : cases) {
        Started s(c.mode);
        s.session.openFile(dir.file(c.file));
        ASSERT_EQ(s.session.bitmap()->kind, PreviewKind::kPlaceholder) << c.file;
        const std::string& reason = s.session.reason();
        for (const std::string& part : c.reasonHolds) EXPECT_NE(reason.find(part), std::string::npos) << reason;
        EXPECT_EQ(reason.empty(), c.reasonHolds.empty()) << c.file << ": " << reason;
        // Drawn below the placeholder's line.
        EXPECT_EQ(s.session.bitmap()->canvas.bits, placeholderBitmap(reason).canvas.bits) << c.file;
        EXPECT_EQ(s.session.bitmap()->canvas.bits == bare.canvas.bits, reason.empty()) << c.file;
    }
}

TEST(PreviewSessionTest, ScrollingFollowsThePaneAndTheWheel) {
    Started s;
    PreviewSession& session = s.session;
    session.chooseSample(3);
    const int32_t m = session.bitmap()->height() - kPaneBox.height;
    EXPECT_EQ(session.scrollState().maximum, m);
    struct Case {
        std::function<int32_t()> act;
        int32_t moved, position;
    } const cases[] = {
        {[&] { return session.scrollWheel(-2); }, -30, 30},  // three lines a notch
        {[&] { return session.scrollWheel(1); }, 15, 15},
        {[&] { return session.scrollWheel(0); }, 0, 15},
        {[&] { return session.scroll(ScrollRequest::kThumbPosition, 1 << 30); }, 15 - m, m},
        {[&] { session.setPaneHeight(kPaneBox.height + 100); return 0; }, 0, m - 100},
        {[&] { return session.scrollWheel(1000); }, m - 100, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.act(), c.moved);
        EXPECT_EQ(session.scrollState().position, c.position);
    }
}

TEST(PreviewSessionTest, ThePrinterListAndTheErrorOfASpoolerThatGivesNone) {
    struct Case {
        std::vector<std::string> printers;
        std::string error;
        std::vector<std::string> entries;
    } const cases[] = {
        {{"receipt80", "RAW"}, "", {kSelectPrinter, "receipt80", "RAW"}},
        {{}, "", {kSelectPrinter}},
        {{}, "the CUPS scheduler at /run/none does not answer", {kSelectPrinter}},
    };
    for (const Case& c : cases) {
        Started s;
        s.system.printers = c.printers;
        s.system.listError = c.error;
        s.session.readPrinters();
        EXPECT_EQ(s.session.printerEntries(), c.entries);
        const std::vector<PreviewMessage> messages = s.session.takeMessages();
        ASSERT_EQ(messages.size(), c.error.empty() ? 0u : 1u);
        if (c.error.empty()) continue;
        EXPECT_EQ(messages[0].caption, kErrorCaption);
        EXPECT_EQ(messageBoxText(messages[0]), std::string(kPrintersNotListed) + "\n\n" + c.error);
    }
    Started s;
    s.session.readPrinters();
    for (const int entry : {3, -1}) {  // no such entries: none chosen
        s.session.choosePrinter(entry);
        EXPECT_FALSE(s.session.canPrint()) << entry;
    }
}

TEST(PreviewSessionTest, PrintRunsOnAWorkerAndASecondPrintIsRefusedMeanwhile) {
    auto s = std::make_unique<Started>();
    PreviewSession& session = s->session;
    session.readPrinters();
    session.chooseSample(3);
    const int32_t invoice = session.bitmap()->height();
    EXPECT_FALSE(session.startPrint({})) << "no printer chosen";
    session.choosePrinter(2);
    std::promise<void> done;
    ASSERT_TRUE(session.startPrint([&done] { done.set_value(); }));
    EXPECT_TRUE(session.printing());
    EXPECT_FALSE(session.canPrint());
    EXPECT_FALSE(session.startPrint([] { ADD_FAILURE() << "a second print started"; }));
    EXPECT_FALSE(session.finishPrint()) << "it still runs";
    session.chooseSample(1);  // the window goes on; the print keeps its bitmap
    s->system.release.set_value();
    ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const std::optional<PreviewMessage> outcome = session.finishPrint();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(messageBoxText(*outcome), "Error - You do not have the drivers installed for this Printer!\n\n"
                                        "printer 'RAW' has no driver that gives a page size");
    EXPECT_FALSE(session.printing());
    EXPECT_TRUE(session.canPrint());
    EXPECT_FALSE(session.finishPrint()) << "given once";
    EXPECT_EQ(s->system.printed, (std::vector<std::pair<std::string, int32_t>>{{"receipt58", invoice}}));
    EXPECT_NE(s->system.printThread, std::this_thread::get_id());

    // A session that ends while a print runs waits for it.
    s->system.takes = std::chrono::milliseconds(200);
    bool ended = false;
    ASSERT_TRUE(session.startPrint([&ended] { ended = true; }));
    s.reset();
    EXPECT_TRUE(ended);
}

}  // namespace
}  // namespace kestrane::previewer
