// `kestrane print --type EPSON` to the virtual ESC/POS printer on raw TCP and by LPD: raster
// receipts decoded back to pixels and compared with `kestrane render`, scanned, and the answers
// of a printer in each state.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "tests/support/virtual_printer.h"

namespace kestrane {
namespace {

using testing::VirtualPrinter;

const std::string kSamples = KESTRANE_SAMPLES;
const std::string kPrinted = "Receipt printed sucessfully\n";

struct Grey {
    int width = 0, height = 0;
    std::vector<bool> black;
    bool at(int x, int y) const { return x < width && y < height && black[static_cast<std::size_t>(y) * width + x]; }
};

Grey loadPng(const std::string& path) {
    Grey image;
    int channels = 0;
    stbi_uc* grey = stbi_load(path.c_str(), &image.width, &image.height, &channels, 1);
    for (int i = 0; grey != nullptr && i < image.width * image.height; ++i) image.black.push_back(grey[i] < 128);
    stbi_image_free(grey);
    return image;
}

// Rows with an unbroken black run over most of the width: the rules, counted once per run of
// rows.
int rules(const Grey& image) {
    int count = 0;
    bool inRule = false;
    for (int y = 0; y < image.height; ++y) {
        int run = 0, longest = 0;
        for (int x = 0; x < image.width; ++x) longest = std::max(longest, run = image.at(x, y) ? run + 1 : 0);
        const bool rule = longest > image.width * 3 / 5;
        count += rule && !inRule;
        inRule = rule;
    }
    return count;
}

std::string scanned(const std::string& png) {
    return testing::runCommand("sh", {"-c", "zbarimg --nodbus -q --raw \"$0\" | sort", png}).out;
}

TEST(PrintEscposTest, RasterReceiptsPrintAsDrawnAt80AndKeepEveryRuleAt58) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    ASSERT_NE(printer.escposAddress(), "") << "the virtual printer has no ESC/POS printer (is Node.js there?)";
    for (const char* sample : {"kestrane", "vexo", "invoice"}) {
        testing::TempDir dir;
        ASSERT_EQ(testing::runCommand(KESTRANE_CLI, {"render", kSamples + "/" + sample + ".html", "-o", dir.path(),
                                                     "--base", kSamples + "/base"}).status, 0);
        const Grey drawn = loadPng(dir.file("section-1.png"));
        // 80 mm on raw TCP and by LPD, 58 mm on raw TCP.
        const struct {
            const char* how;
            std::string address, queue, dots;
        } routes[] = {{"socket, 80 mm", printer.escposAddress(), "escpos", "576"},
                      {"LPD, 80 mm", printer.address(), "RAW", "576"},
                      {"socket, 58 mm", printer.escposAddress(), "escpos", "384"}};
        for (const auto& route : routes) {
            const std::string what = std::string(sample) + ", " + route.how;
            const auto printed = printer.kestrane({"print", "--type", "EPSON", "--address", route.address, "--base",
                                                   kSamples + "/base", "--raster", "--dots", route.dots,
                                                   kSamples + "/" + sample + ".html"});
            ASSERT_EQ(printed.out, kPrinted) << what << printed.err;
            const std::vector<std::string> jobs = printer.takeJobs(route.queue, 1);
            ASSERT_EQ(jobs.size(), 1u) << what;
            testing::writeBytes(dir.file("job.bin"), jobs[0]);
            const auto pages = testing::runCommand(KESTRANE_CLI, {"pages", dir.file("job.bin"), "-o", dir.file("got")});
            ASSERT_EQ(pages.status, 0) << what << pages.err;
            const Grey got = loadPng(dir.file("got/page-1.png"));
            ASSERT_EQ(got.width, std::stoi(route.dots)) << what;
            if (route.dots == "576") {
                // As drawn, at the left of the 576 dots: every pixel the same, the rest white.
                ASSERT_EQ(got.height, drawn.height) << what;
                int64_t differ = 0;
                for (int y = 0; y < got.height; ++y) {
                    for (int x = 0; x < got.width; ++x) differ += got.at(x, y) != drawn.at(x, y);
                }
                EXPECT_EQ(differ, 0) << what;
            } else {
                EXPECT_EQ(got.height, (drawn.height * 384 + 569) / 570) << what;
                EXPECT_EQ(rules(got), rules(drawn)) << what;
            }
            EXPECT_EQ(scanned(dir.file("got/page-1.png")), scanned(dir.file("section-1.png"))) << what;
        }
    }
}

TEST(PrintEscposTest, EachPrinterStateHasItsMessageAndNothingIsSentToAPrinterThatCannotPrint) {
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    ASSERT_NE(printer.escposAddress(), "");
    const std::string where = printer.escposAddress();
    const struct {
        const char* state;
        std::string message;
        std::size_t kept;  // jobs the printer keeps
    } cases[] = {
        {"ready", kPrinted, 1},
        {"cover-open", "Error - The printer's cover is open (the printer at " + where + " was sent nothing)\n", 0},
        {"paper-end", "Error - The printer is out of paper (the printer at " + where + " was sent nothing)\n", 0},
        {"error", "Error - The printer reports an error and needs attention (the printer at " + where +
                      " was sent nothing)\n", 0},
        {"offline", "Error - The printer is offline (the printer at " + where + " was sent nothing)\n", 0},
        {"no-confirm", "Error - No confirmation that the receipt printed: the printer at " + where +
                           " did not report that it printed the receipt within 2 seconds\n", 1},
        {"silent", "Error - The printer at " + where + " did not report its status within 15 seconds\n", 0},
    };
    testing::TempDir base;
    base.make("node_modules");
    base.make("node_modules/printer");
    base.make("node_modules/printer/build");
    for (const auto& c : cases) {
        printer.setEscposState(c.state);
        // Text mode too goes straight to a printer on raw TCP, with no stream file.
        const auto printed = printer.kestrane({"print", "--type", "EPSON", "--address", where, "--base", base.path(),
                                               "--confirm", "2", kSamples + "/kestrane.html"});
        EXPECT_EQ(printed.out, c.message) << c.state;
        EXPECT_EQ(printed.status, c.kept == 1 && c.message == kPrinted ? 0 : 1) << c.state;
        EXPECT_EQ(printer.takeJobs("escpos", c.kept, std::chrono::seconds(c.kept == 0 ? 1 : 20)).size(), c.kept)
            << c.state;
        EXPECT_EQ(testing::entries(base.file("node_modules/printer/build")).size(), 0u) << c.state;
    }
}

}  // namespace
}  // namespace kestrane

namespace kestrane {
namespace {

// The QR symbols a stream asks the printer for: each store command's data and the module size
// set before it.
std::vector<std::pair<std::string, int>> nativeQrCodes(const std::string& stream) {
    std::vector<std::pair<std::string, int>> codes;
    int moduleSize = 0;
    for (std::size_t at = stream.find("\x1D(k"); at != std::string::npos; at = stream.find("\x1D(k", at + 1)) {
        const std::size_t size = static_cast<unsigned char>(stream[at + 3]) | static_cast<unsigned char>(stream[at + 4]) << 8;
        const std::string command = stream.substr(at + 5, size);
        if (command.compare(0, 2, "1C") == 0) moduleSize = command[2];
        if (command.compare(0, 3, "1P0") == 0) codes.emplace_back(command.substr(3), moduleSize);
    }
    return codes;
}

TEST(PrintEscposTest, NativeQrCodesCarryTheFieldsValueExactly) {
    testing::TempDir dir;
    const std::string fiscal(300, '7');
    const struct {
        const char* what;
        std::string field;
        std::vector<std::pair<std::string, int>> codes;
    } cases[] = {
        // 7 bytes: the command's length byte is 10, a line feed a text-mode stream would change.
        {"seven bytes", R"(<input type="hidden" name="qrcodeText" value="4711023">)", {{"4711023", 8}}},
        {"a fiscal code", R"(<input type="hidden" name="qrcodeTextFiscal" value=")" + fiscal + R"(">)", {{fiscal, 4}}},
        {"the previewer's field name", R"(<input type="hidden" name="qrcodetext" value="123">)", {}},
        {"an empty value", R"(<input type="hidden" name="qrcodeText" value="">)", {}},
    };
    for (const auto& c : cases) {
        testing::writeBytes(dir.file("layout.html"), "<table><tr><td>Total: 5.00</td></tr><tr><td>" + c.field +
                                                         "</td></tr></table>");
        const auto plain = testing::runCommand(KESTRANE_CLI, {"escpos", dir.file("layout.html")});
        const auto native = testing::runCommand(KESTRANE_CLI, {"escpos", "--native-qr", dir.file("layout.html")});
        EXPECT_EQ(nativeQrCodes(native.out), c.codes) << c.what;
        EXPECT_EQ(plain.out.find("\x1D(k"), std::string::npos) << c.what;
    }
    // The samples' codes, and the same stream on a printer on raw TCP.
    VirtualPrinter printer;
    ASSERT_EQ(printer.problem(), "");
    const auto printed = printer.kestrane({"print", "--type", "EPSON", "--address", printer.escposAddress(), "--base",
                                           dir.path(), "--native-qr", kSamples + "/vexo.html"});
    EXPECT_EQ(printed.out, kPrinted) << printed.err;
    const auto jobs = printer.takeJobs("escpos", 1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(nativeQrCodes(jobs[0]), (std::vector<std::pair<std::string, int>>{{"2026118204", 8}}));
    EXPECT_EQ(jobs[0], testing::runCommand(KESTRANE_CLI, {"escpos", "--native-qr", kSamples + "/vexo.html"}).out);
}


// A printer behind a pseudo-terminal, as a serial printer is reached: it answers status requests
// with `status` (DLE EOT 2's byte; none at all when `answers` is false) and reports printing.
class PtyPrinter {
  public:
    PtyPrinter(bool answers, unsigned char offlineCause) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        path_ = ::ptsname(master_);
        thread_ = std::thread([this, answers, offlineCause] {
            std::string pending;
            while (!stop_) {
                pollfd entry{master_, POLLIN, 0};
                if (::poll(&entry, 1, 20) <= 0) continue;
                char buffer[4096];
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n <= 0) continue;
                pending.append(buffer, static_cast<std::size_t>(n));
                for (std::size_t at; (at = pending.find("\x10\x04")) != std::string::npos && at + 2 < pending.size();) {
                    const char answer = static_cast<char>(pending[at + 2] == 2 ? 0x12 | offlineCause : 0x12);
                    if (answers) (void)!::write(master_, &answer, 1);
                    pending.erase(at, 3);
                }
                const std::size_t asked = pending.find(std::string("\x1D(H\x06\x00\x30\x30", 7));
                if (answers && asked != std::string::npos && asked + 11 <= pending.size()) {
                    const std::string reply = "\x37\x22" + pending.substr(asked + 7, 4) + std::string(1, '\0');
                    (void)!::write(master_, reply.data(), reply.size());
                    pending.erase(asked, 11);
                }
                std::lock_guard<std::mutex> guard(lock_);
                received_ = pending;
            }
        });
    }
    ~PtyPrinter() {
        stop_ = true;
        thread_.join();
        ::close(master_);
    }
    const std::string& path() const { return path_; }
    std::string received() {
        std::lock_guard<std::mutex> guard(lock_);
        return received_;
    }

  private:
    int master_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::string received_;
    std::thread thread_;
};

TEST(PrintEscposTest, PrintersOnDeviceFilesAnswerAsTheDeviceCan) {
    testing::TempDir base;
    const std::string layout = kSamples + "/kestrane.html";
    const std::string stream = testing::runCommand(KESTRANE_CLI, {"escpos", layout}).out;
    const auto print = [&](const std::string& device) {
        return testing::runCommand(KESTRANE_CLI, {"print", "--type", "EPSON", "--address", device, "--base", base.path(), layout});
    };
    {
        PtyPrinter ready(true, 0);
        const auto printed = print(ready.path());
        EXPECT_EQ(printed.out, kPrinted) << printed.err;
        EXPECT_EQ(printed.err, "");
        EXPECT_EQ(ready.received(), stream);
    }
    {
        PtyPrinter coverOpen(true, 0x04);
        EXPECT_EQ(print(coverOpen.path()).out,
                  "Error - The printer's cover is open (the printer at " + coverOpen.path() + " was sent nothing)\n");
        EXPECT_EQ(coverOpen.received(), "");
    }
    {
        // A device that does not read back gets the receipt, and the answer says what is unknown.
        PtyPrinter writeOnly(false, 0);
        const auto printed = print(writeOnly.path());
        EXPECT_EQ(printed.out, kPrinted);
        EXPECT_EQ(printed.err, "kestrane: warning: the printer at " + writeOnly.path() +
                                   " does not report its status: no word that it printed\n");
        EXPECT_EQ(writeOnly.received(), stream);  // its status request aside
    }
    // A file that an address happens to name never gets a receipt.
    const std::string file = "/dev/shm/kestrane-print-test-" + std::to_string(::getpid());
    testing::writeBytes(file, "kept");
    const struct {
        std::string device, message;
    } refused[] = {
        {"/dev/kestrane-absent", "Error - Could not open the printer at /dev/kestrane-absent: No such file or directory\n"},
        {file, "Error - Could not open the printer at " + file + ": not a character device\n"},
        {"/dev/lp0 x", "Error - The printer address must not contain blanks or control characters\n"},
    };
    for (const auto& c : refused) EXPECT_EQ(print(c.device).out, c.message) << c.device;
    EXPECT_EQ(testing::readFile(file), "kept");
    std::remove(file.c_str());
}

}  // namespace
}  // namespace kestrane
