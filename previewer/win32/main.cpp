// ReceiptPreviewer on Win32: the main window "TestWindow", its preview pane "TestRenderWindow"
// and the green control bar "TestChildWindow" with the printer list, the sample list and PRINT,
// a view over the previewer's session.
//
//   ReceiptPreviewer.exe [--exact] [--base DIR] [--sample NAME] [LAYOUT]
// windows.h first: the dialog header builds on it.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/dib_pixels.h"
#include "previewer/preview_print.h"
#include "previewer/preview_session.h"
#include "previewer/previewer_options.h"
#include "previewer/previewer_texts.h"
#include "previewer/window_layout.h"

using namespace kestrane;
using namespace kestrane::previewer;

namespace {

constexpr UINT kPreviewChanged = WM_USER + 21;  // 1045, to the preview pane
constexpr UINT kResetSamples = WM_USER + 23;    // 1047, to the control bar
// To the main window, posted by the print worker once PRINT has finished.
constexpr UINT kPrintFinished = WM_APP + 1;
constexpr int kOpenId = 1;
constexpr int kPrinterListId = 0, kSampleListId = 1045, kPrintButtonId = 1046;
constexpr int kStartPicture = 101, kIcon = 102;
constexpr int kSampleResources[] = {105, 106, 107};
// The main window's timer that has the session look at the followed file.
constexpr UINT_PTR kFollowTimer = 1;

struct Program {
    HINSTANCE instance = nullptr;
    HFONT font = nullptr;
    HWND main = nullptr, pane = nullptr, bar = nullptr, printers = nullptr, samples = nullptr,
         print = nullptr;
    std::unique_ptr<PreviewSession> session;
} program;

void message(const std::string& text, const char* caption = nullptr) {
    MessageBoxA(nullptr, text.c_str(), caption, MB_OK);
}

void message(const PreviewMessage& shown) {
    message(messageBoxText(shown), shown.caption.empty() ? nullptr : shown.caption.c_str());
}

// The messages the session holds for the user, each in its own box.
void showMessages() {
    for (const PreviewMessage& shown : program.session->takeMessages()) message(shown);
}

// Reads resource `id` of `type` into `bytes`; `loaded` is false when the system would not give
// its bytes (an empty resource is loaded, and empty). False when there is no such resource.
bool loadResource(int id, const char* type, std::string& bytes, bool& loaded) {
    const HRSRC found = FindResourceA(program.instance, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return false;
    const DWORD size = SizeofResource(program.instance, found);
    const HGLOBAL handle = size != 0 ? LoadResource(program.instance, found) : nullptr;
    const void* data = handle != nullptr ? LockResource(handle) : nullptr;
    loaded = size == 0 || data != nullptr;
    if (data != nullptr) bytes.assign(static_cast<const char*>(data), size);
    return true;
}

void setScrollBar(HWND pane) {
    const ScrollState& scroll = program.session->scrollState();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = scroll.bitmapHeight;
    info.nPage = static_cast<UINT>(scroll.paneHeight);
    info.nPos = scroll.position;
    SetScrollInfo(pane, SB_VERT, &info, TRUE);
}

void paintBitmap(HDC dc, const PreviewBitmap& bitmap, int32_t top) {
    const auto paint = [&](const void* rows, const BITMAPINFO* info) {
        StretchDIBits(dc, 0, -top, bitmap.width(), bitmap.height(), 0, 0, bitmap.width(),
                      bitmap.height(), rows, info, DIB_RGB_COLORS, SRCCOPY);
    };
    if (bitmap.kind == PreviewKind::kStartPicture) {
        const Image& picture = bitmap.picture;
        std::vector<uint8_t> rows(rgbDibStride(picture.width) * static_cast<std::size_t>(picture.height), 0);
        imageToDib(picture, rows.data());
        const BITMAPINFO info = rgbDibInfo(picture.width, picture.height);
        paint(rows.data(), &info);
        return;
    }
    const std::vector<uint8_t> rows = monochromeDibRows(bitmap.canvas);
    MonochromeDibInfo info = monochromeDibInfo(bitmap.canvas.width, bitmap.canvas.height);
    paint(rows.data(), info.info());
}

LRESULT CALLBACK paneProcedure(HWND pane, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_SIZE:
            program.session->setPaneHeight(HIWORD(l));
            setScrollBar(pane);
            break;
        case kPreviewChanged: {
            RECT client{};
            GetClientRect(pane, &client);
            program.session->setPaneHeight(client.bottom);
            setScrollBar(pane);
            // Erased first: a shorter bitmap, or none, leaves nothing of the last one behind.
            InvalidateRect(pane, nullptr, TRUE);
            break;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(pane, &paint);
            if (const PreviewBitmap* bitmap = program.session->bitmap())
                paintBitmap(dc, *bitmap, program.session->scrollState().position);
            EndPaint(pane, &paint);
            return 0;
        }
        case WM_VSCROLL: {
            ScrollRequest request = ScrollRequest::kOther;
            switch (LOWORD(w)) {
                case SB_LINEUP:
                    request = ScrollRequest::kLineUp;
                    break;
                case SB_LINEDOWN:
                    request = ScrollRequest::kLineDown;
                    break;
                case SB_PAGEUP:
                    request = ScrollRequest::kPageUp;
                    break;
                case SB_PAGEDOWN:
                    request = ScrollRequest::kPageDown;
                    break;
                case SB_THUMBPOSITION:
                    request = ScrollRequest::kThumbPosition;
                    break;
                case SB_THUMBTRACK:
                    request = ScrollRequest::kThumbTrack;
                    break;
                default:
                    break;
            }
            const int32_t moved = program.session->scroll(request, HIWORD(w));
            if (moved != 0) {
                ScrollWindowEx(pane, 0, moved, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
                UpdateWindow(pane);
                setScrollBar(pane);
            }
            break;
        }
        case WM_CLOSE:
            PostQuitMessage(0);
            break;
        default:
            break;
    }
    return DefWindowProcA(pane, msg, w, l);
}

HWND control(const char* cls, const char* title, DWORD style, DWORD extended, const WindowBox& box,
             int32_t height, HWND parent, int id) {
    const HWND window = CreateWindowExA(
        extended, cls, title, WS_CHILD | WS_VISIBLE | style, box.x, box.y, box.width, height,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), program.instance, nullptr);
    if (window == nullptr)
        message("Could not create the child window");
    else
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(program.font), TRUE);
    return window;
}

// PRINT's state: enabled while a printer is chosen and no print runs.
void syncPrintButton() { EnableWindow(program.print, program.session->canPrint()); }

// The cursor for the window under it now, not at the next move of the mouse.
void refreshCursor() {
    POINT at{};
    GetCursorPos(&at);
    const HWND under = WindowFromPoint(at);
    if (under == nullptr || GetAncestor(under, GA_ROOT) != program.main) return;
    const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

void onPrint() {
    const HWND main = program.main;
    // The worker posts its end to the window; the outcome is taken on this thread.
    if (!program.session->startPrint([main] { PostMessageA(main, kPrintFinished, 0, 0); })) return;
    syncPrintButton();
    refreshCursor();
}

void onPrintFinished() {
    const std::optional<PreviewMessage> outcome = program.session->finishPrint();
    if (!outcome) return;
    syncPrintButton();
    refreshCursor();
    message(*outcome);
}

LRESULT CALLBACK barProcedure(HWND bar, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_CREATE: {
            program.printers = control("combobox", kSelectPrinter, CBS_DROPDOWNLIST | CBS_HASSTRINGS,
                                       0, kPrinterListBox, kListDropHeight, bar, kPrinterListId);
            program.session->readPrinters();
            if (program.printers != nullptr) {
                for (const std::string& entry : program.session->printerEntries()) {
                    SendMessageA(program.printers, CB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(entry.c_str()));
                }
                SendMessageA(program.printers, CB_SETCURSEL, 0, 0);
            }
            program.samples = control("combobox", "Documents", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0,
                                      kSampleListBox, kListDropHeight, bar, kSampleListId);
            if (program.samples != nullptr) {
                for (const char* entry : kSampleEntries) {
                    SendMessageA(program.samples, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
                }
                SendMessageA(program.samples, CB_SETCURSEL, 0, 0);
            }
            program.print = control("button", kPrintButton, WS_DISABLED, WS_EX_CLIENTEDGE,
                                    kPrintButtonBox, kPrintButtonBox.height, bar, kPrintButtonId);
            break;
        }
        case WM_COMMAND: {
            const int id = LOWORD(w), notification = HIWORD(w);
            if (id == kPrinterListId && notification == CBN_SELCHANGE) {
                program.session->choosePrinter(
                    static_cast<int>(SendMessageA(program.printers, CB_GETCURSEL, 0, 0)));
                syncPrintButton();
            } else if (id == kSampleListId && notification == CBN_SELCHANGE) {
                const int entry = static_cast<int>(SendMessageA(program.samples, CB_GETCURSEL, 0, 0));
                const bool showsSample = entry >= 1 && entry < static_cast<int>(std::size(kSampleEntries));
                program.session->chooseSample(entry);
                if (showsSample) SendMessageA(program.pane, kPreviewChanged, 0, 0);
            } else if (id == kPrintButtonId) {
                onPrint();
            }
            break;
        }
        case kResetSamples:
            SendMessageA(program.samples, CB_SETCURSEL, program.session->selectedSample(), 0);
            break;
        default:
            break;
    }
    return DefWindowProcA(bar, msg, w, l);
}

// "HTML TEMPLATE File\0*.html\0TEXT TEMPLATE FILE\0*.txt\0\0"
std::string openFilters() {
    std::string filters;
    for (const FileFilter& filter : kOpenFilters) {
        filters += filter.name;
        filters += '\0';
        filters += filter.pattern;
        filters += '\0';
    }
    return filters + '\0';
}

// The pane and the control bar show the session's state again after a file was opened.
void showOpenedFile() {
    SendMessageA(program.pane, kPreviewChanged, 0, 0);
    SendMessageA(program.bar, kResetSamples, 0, 0);
}

void openLayout(HWND owner) {
    static char file[MAX_PATH];
    static const std::string filters = openFilters();
    file[0] = '\0';
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = kOpenDialogTitle;
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) return;
    program.session->openFile(file);
    showOpenedFile();
}

bool registerClass(const char* name, HBRUSH background, WNDPROC procedure) {
    WNDCLASSA cls{};
    cls.style = CS_HREDRAW | CS_VREDRAW;
    cls.lpfnWndProc = procedure;
    cls.hInstance = program.instance;
    cls.hIcon = LoadIconA(program.instance, MAKEINTRESOURCEA(kIcon));
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = background;
    cls.lpszClassName = name;
    return RegisterClassA(&cls) != 0;
}

LRESULT CALLBACK mainProcedure(HWND window, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_CREATE: {
            program.main = window;
            // What the pane shows first, before it is created and sized.
            std::string bytes;
            bool loaded = false;
            if (loadResource(kStartPicture, MAKEINTRESOURCEA(10), bytes, loaded) && loaded)  // RT_RCDATA
                program.session->showStartPicture(bytes);
            for (std::size_t i = 0; i < std::size(kSampleResources); ++i) {
                bytes.clear();
                if (loadResource(kSampleResources[i], "TEXTFILE", bytes, loaded)) {
                    program.session->loadSample(static_cast<int>(i) + 1,
                                                loaded ? bytes.data() : nullptr, bytes.size());
                }
            }
            if (registerClass("TestRenderWindow", static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                              paneProcedure)) {
                program.pane = CreateWindowExA(0, "TestRenderWindow", "Child", WS_CHILD | WS_VISIBLE,
                                               kPaneBox.x, kPaneBox.y, kPaneBox.width,
                                               kPaneBox.height, window, nullptr, program.instance,
                                               nullptr);
            } else {
                message("Could not create Child Class");
            }
            const COLORREF green =
                RGB(kControlBarColour.red, kControlBarColour.green, kControlBarColour.blue);
            if (registerClass("TestChildWindow", CreateSolidBrush(green), barProcedure)) {
                program.bar = CreateWindowExA(WS_EX_CLIENTEDGE, "TestChildWindow", "Child",
                                              WS_CHILD | WS_VISIBLE, kControlBarBox.x,
                                              kControlBarBox.y, kControlBarBox.width,
                                              kControlBarBox.height, window, nullptr,
                                              program.instance, nullptr);
            } else {
                message("Could not create Child Class");
            }
            // The command line's file and sample.
            program.session->showRequested();
            showOpenedFile();
            SetTimer(window, kFollowTimer, kFollowIntervalMs, nullptr);
            break;
        }
        case WM_COMMAND:
            if (LOWORD(w) == kOpenId) openLayout(window);
            break;
        case WM_TIMER:
            if (w == kFollowTimer && program.session->checkFollowedFile())
                SendMessageA(program.pane, kPreviewChanged, 0, 0);
            break;
        case kPrintFinished:
            onPrintFinished();
            return 0;
        case WM_SETCURSOR:
            // While PRINT runs the window works on, as the arrow with an hourglass says.
            if (program.session->printing()) {
                SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
                return TRUE;
            }
            break;
        case WM_CLOSE:
            PostQuitMessage(0);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, msg, w, l);
}

// The command line, where a Windows program without a console shows it: in a message box.
// Whether the window is to open; `status` is the program's status otherwise.
bool readCommandLine(PreviewerOptions& options, int& status) {
    std::vector<std::string> arguments(__argv + 1, __argv + __argc);
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string error;
    switch (parsePreviewerArguments(arguments, std::string(path, length), false, options, error)) {
        case CommandLine::kRun:
            return true;
        case CommandLine::kHelp:
            message(previewerUsage(false), kProgramName);
            status = 0;
            return false;
        case CommandLine::kVersion:
            message(previewerVersion(), kProgramName);
            status = 0;
            return false;
        case CommandLine::kRefused:
            message(error + "\n\n" + previewerUsage(false), kProgramName);
            status = 2;
            return false;
    }
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    PreviewerOptions options;
    int status = 0;
    if (!readCommandLine(options, status)) return status;
    program.instance = instance;
    program.session = std::make_unique<PreviewSession>(options);
    program.font = CreateFontA(kControlFontPixels, 0, 0, 0, kControlFontWeight, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kControlFontFace);
    if (!registerClass("TestWindow", static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                       mainProcedure)) {
        MessageBoxA(nullptr, "Could not register the class", nullptr, MB_OK);
        return 0;
    }
    const HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, kOpenId, kOpenCommand);
    CreateWindowExA(0, "TestWindow", kWindowTitle,
                    WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU,
                    windowLeft(GetSystemMetrics(SM_CXSCREEN)), kWindowTop, kWindowWidth,
                    kWindowHeight, nullptr, menu, instance, nullptr);
    // A sample that could not be loaded, the printers that could not be listed.
    showMessages();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The window goes first; a print still running then ends whole before the program does.
    if (program.main != nullptr) DestroyWindow(program.main);
    program.session.reset();
    return 0;
}
