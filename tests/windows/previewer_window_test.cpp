// ReceiptPreviewer.exe as a user meets it: the program is started (with a command line, for
// --exact and a followed file), its windows are found by class and id, and it is driven with the
// messages its controls send, from another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "previewer/previewer_texts.h"

namespace {

using namespace kestrane::previewer;

std::string windowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Texts asked of another process's controls come back whole in their UTF-16 form.
std::string narrow(const wchar_t* text) {
    std::string out;
    for (; *text != 0; ++text) out += static_cast<char>(*text < 0x100 ? *text : '?');
    return out;
}

std::vector<std::string> listEntries(HWND list) {
    std::vector<std::string> entries;
    const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 256)
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(narrow(text));
    }
    return entries;
}

// Whether the pane shows its scroll bar: only while the picture is taller than the pane. (Wine
// keeps a window's scroll range in the owning process, so the range itself cannot be read here.)
bool scrolls(HWND pane) { return (GetWindowLongA(pane, GWL_STYLE) & WS_VSCROLL) != 0; }

RECT placeIn(HWND window, HWND parent) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A file of the test's own in Windows' temporary folder, removed afterwards (with what a save
// left beside it).
struct TempLayout {
    explicit TempLayout(const char* name) {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        path = std::string(folder) + "kestrane-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    }
    ~TempLayout() {
        DeleteFileA(path.c_str());
        DeleteFileA((path + "~").c_str());
    }
    void write(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
    // Quoted for a command line.
    std::string argument() const { return "\"" + path + "\""; }
    std::string path;
};

// One table of `rows` rows: 49 pixels for one, taller than the pane for 40.
std::string rowsLayout(int rows) {
    std::string layout = "<table>";
    for (int i = 0; i < rows; ++i) layout += "<tr><td>Row</td><td>" + std::to_string(i) + ".00</td></tr>";
    return layout + "</table>";
}

// Whether `condition` holds within `seconds`.
template <typename Condition>
bool within(int seconds, Condition condition) {
    for (int i = 0; i < seconds * 20; ++i, Sleep(50)) {
        if (condition()) return true;
    }
    return condition();
}

class PreviewerWindowTest : public testing::Test {
  protected:
    void SetUp() override { launch(""); }

    void TearDown() override { quit(); }

    // Starts the program with `arguments` on its command line.
    void start(const std::string& arguments) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" KESTRANE_PREVIEWER_EXE "\" " + arguments;
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process_));
    }

    // Starts the program and finds its windows.
    void launch(const std::string& arguments) {
        start(arguments);
        if (process_.hProcess == nullptr) return;
        WaitForInputIdle(process_.hProcess, 20000);
        for (int i = 0; i < 200 && main_ == nullptr; ++i, Sleep(50))
            main_ = FindWindowA("TestWindow", kWindowTitle);
        ASSERT_NE(main_, nullptr);
        pane_ = FindWindowExA(main_, nullptr, "TestRenderWindow", nullptr);
        bar_ = FindWindowExA(main_, nullptr, "TestChildWindow", nullptr);
        ASSERT_NE(pane_, nullptr);
        ASSERT_NE(bar_, nullptr);
    }

    // The program's status once it has ended.
    DWORD ended() {
        EXPECT_EQ(WaitForSingleObject(process_.hProcess, 20000), WAIT_OBJECT_0);
        DWORD status = 1;
        GetExitCodeProcess(process_.hProcess, &status);
        TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        process_ = PROCESS_INFORMATION{};
        main_ = pane_ = bar_ = nullptr;
        return status;
    }

    // Closing the window ends the program, with status 0.
    void quit() {
        if (process_.hProcess == nullptr) return;
        if (main_ != nullptr) PostMessageA(main_, WM_CLOSE, 0, 0);
        EXPECT_EQ(ended(), 0u);
    }

    // Chooses entry `index` of a list as a click would: the selection, then the notification
    // the list sends its parent.
    void choose(int id, int index) {
        const HWND list = GetDlgItem(bar_, id);
        SendMessageA(list, CB_SETCURSEL, index, 0);
        SendMessageA(bar_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }

    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr, pane_ = nullptr, bar_ = nullptr;
};

TEST_F(PreviewerWindowTest, WindowsControlsAndTheirPlaces) {
    RECT frame{};
    GetWindowRect(main_, &frame);
    EXPECT_EQ(frame.right - frame.left, 600);
    EXPECT_EQ(frame.bottom - frame.top, 500);
    const LONG style = GetWindowLongA(main_, GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(GetMenu(main_), nullptr);

    const struct {
        HWND window, parent;
        RECT place;
        std::string text;
    } controls[] = {
        {pane_, main_, {0, 0, 584, 415}, "Child"},
        {bar_, main_, {0, 415, 600, 445}, "Child"},
        {GetDlgItem(bar_, 1046), bar_, {480, 0, 580, 24}, kPrintButton},
    };
    for (const auto& c : controls) {
        ASSERT_NE(c.window, nullptr) << c.text;
        const RECT place = placeIn(c.window, c.parent);
        EXPECT_EQ(std::vector<LONG>({place.left, place.top, place.right, place.bottom}),
                  std::vector<LONG>({c.place.left, c.place.top, c.place.right, c.place.bottom}))
            << c.text;
        EXPECT_EQ(windowText(c.window), c.text);
    }
    EXPECT_EQ(listEntries(GetDlgItem(bar_, 1045)),
              std::vector<std::string>(std::begin(kSampleEntries), std::end(kSampleEntries)));
    const std::vector<std::string> printers = listEntries(GetDlgItem(bar_, 0));
    ASSERT_FALSE(printers.empty());
    EXPECT_EQ(printers[0], kSelectPrinter);
    // Nothing to print to until a printer is chosen.
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(bar_, 1046)));
    // The start picture fits the pane.
    EXPECT_FALSE(scrolls(pane_));
}

TEST_F(PreviewerWindowTest, SamplesShowAndScroll) {
    choose(1045, 2);  // Vexo, taller than the pane
    EXPECT_TRUE(scrolls(pane_));
    // The pane takes every scroll request and stays up; "Select Preview" keeps the picture.
    for (const WPARAM request : {WPARAM{SB_PAGEDOWN}, WPARAM{SB_LINEDOWN}, MAKEWPARAM(SB_THUMBTRACK, 300),
                                 MAKEWPARAM(SB_THUMBPOSITION, 60000), WPARAM{SB_PAGEUP}, WPARAM{SB_LINEUP}}) {
        SendMessageA(pane_, WM_VSCROLL, request, 0);
    }
    choose(1045, 0);
    EXPECT_TRUE(scrolls(pane_));
    EXPECT_TRUE(IsWindow(pane_));
}

// With a printer of the spooler named in KESTRANE_WINDOW_TEST_PRINTER (the virtual printer's,
// through Wine), PRINT sends the chosen sample and says so in its message box.
TEST_F(PreviewerWindowTest, PrintsTheSampleOnTheChosenPrinter) {
    const char* printer = std::getenv("KESTRANE_WINDOW_TEST_PRINTER");
    if (printer == nullptr) GTEST_SKIP() << "no printer named";
    const std::vector<std::string> printers = listEntries(GetDlgItem(bar_, 0));
    const auto at = std::find(printers.begin(), printers.end(), printer);
    ASSERT_NE(at, printers.end()) << printer;
    const HWND print = GetDlgItem(bar_, 1046);
    choose(0, static_cast<int>(at - printers.begin()));
    EXPECT_TRUE(IsWindowEnabled(print));
    choose(1045, 2);  // Vexo
    PostMessageA(bar_, WM_COMMAND, MAKEWPARAM(1046, BN_CLICKED), reinterpret_cast<LPARAM>(print));
    HWND box = nullptr;
    for (int i = 0; i < 400 && box == nullptr; ++i, Sleep(50)) box = FindWindowA(nullptr, kSuccessCaption);
    ASSERT_NE(box, nullptr);
    std::vector<std::string> texts;
    for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr;) {
        wchar_t text[256] = {};
        GetWindowTextW(child, text, 256);
        texts.push_back(narrow(text));
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), kPrintedToSpooler), texts.end());
    SendMessageA(box, WM_COMMAND, IDOK, 0);
}

// The command line: --exact, a file followed through the ways editors save it, and what it
// refuses.
class PreviewerCommandLineTest : public PreviewerWindowTest {
  protected:
    void SetUp() override {}
};

TEST_F(PreviewerCommandLineTest, ExactDrawsEveryTableAsTheStarJobDoes) {
    // Twelve tables of one row: the previewer's own variant draws the first (49 pixels), the STAR
    // job each one below the other (588), taller than the pane.
    TempLayout layout("tables.html");
    std::string tables;
    for (int i = 0; i < 12; ++i) tables += "<table><tr><td>Row</td><td>1.00</td></tr></table>";
    layout.write(tables);
    for (const auto& [arguments, tall, sample] :
         {std::make_tuple(layout.argument(), false, 0), std::make_tuple("--exact " + layout.argument(), true, 0),
          std::make_tuple(std::string("--exact --base . --sample vexo"), true, 2)}) {
        launch(arguments);
        EXPECT_EQ(scrolls(pane_), tall) << arguments;
        // The sample list names no sample while a file is shown; --sample chooses one.
        EXPECT_EQ(SendMessageA(GetDlgItem(bar_, 1045), CB_GETCURSEL, 0, 0), sample) << arguments;
        quit();
    }
}

TEST_F(PreviewerCommandLineTest, FollowsTheFileAsEditorsSaveIt) {
    TempLayout layout("followed.html");
    layout.write(rowsLayout(1));
    launch(layout.argument());
    EXPECT_FALSE(scrolls(pane_));
    layout.write(rowsLayout(40));  // in place
    EXPECT_TRUE(within(10, [&] { return scrolls(pane_); }));
    // Deleted: the last drawing stays while the file is gone, then the file written again shows.
    ASSERT_TRUE(DeleteFileA(layout.path.c_str()));
    Sleep(2500);
    EXPECT_TRUE(scrolls(pane_));
    layout.write(rowsLayout(1));
    EXPECT_TRUE(within(10, [&] { return !scrolls(pane_); }));
    // Renamed away, then written.
    ASSERT_TRUE(MoveFileA(layout.path.c_str(), (layout.path + "~").c_str()));
    Sleep(1500);
    layout.write(rowsLayout(40));
    EXPECT_TRUE(within(10, [&] { return scrolls(pane_); }));
}

TEST_F(PreviewerCommandLineTest, ARefusedCommandLineSaysWhyAndEndsWithStatusTwo) {
    start("--sample Nope");
    HWND box = nullptr;
    for (int i = 0; i < 400 && box == nullptr; ++i, Sleep(50)) box = FindWindowA(nullptr, kProgramName);
    ASSERT_NE(box, nullptr);
    std::string said;
    for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr;) {
        wchar_t text[2048] = {};
        GetWindowTextW(child, text, 2048);
        said += narrow(text);
    }
    EXPECT_NE(said.find("no sample named Nope (Kestrane, Vexo, Invoice)"), std::string::npos) << said;
    EXPECT_EQ(FindWindowA("TestWindow", kWindowTitle), nullptr);
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ended(), 2u);
}

}  // namespace
