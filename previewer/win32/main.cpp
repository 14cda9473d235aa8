// ReceiptPreviewer on Win32: the main window "TestWindow", its preview pane "TestRenderWindow"
// and the green control bar "TestChildWindow" with the printer list, the sample list and PRINT,
// over the previewer's core.
// windows.h first: the dialog header builds on it.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/spooler.h"
#include "platform/win32/dib_pixels.h"
#include "previewer/preview_print.h"
#include "previewer/preview_render.h"
#include "previewer/previewer_texts.h"
#include "previewer/scroll_state.h"

using namespace kestrane;
using namespace kestrane::previewer;

namespace {

constexpr UINT kPreviewChanged = WM_USER + 21;  // 1045, to the preview pane
constexpr UINT kResetSamples = WM_USER + 23;    // 1047, to the control bar
constexpr int kOpenId = 1;
constexpr int kPrinterListId = 0, kSampleListId = 1045, kPrintButtonId = 1046;
constexpr int kStartPicture = 101, kIcon = 102;
constexpr int kSampleResources[] = {105, 106, 107};

struct Program {
    HINSTANCE instance = nullptr;
    HFONT font = nullptr;
    HWND pane = nullptr, bar = nullptr, printers = nullptr, samples = nullptr, print = nullptr;
    std::optional<PreviewBitmap> bitmap;
    ScrollState scroll;
    int selectedPrinter = 0, selectedSample = 0;
    std::vector<std::optional<std::string>> sampleTexts;
} program;

void message(const std::string& text, const char* caption = nullptr) {
    MessageBoxA(nullptr, text.c_str(), caption, MB_OK);
}

// The image directory: two levels above the program's own folder, at every rendering.
std::string imageDirectory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return previewImageDirectory(std::string(path, length));
}

// The bytes of resource `id` of `type`, or none with the message a failure shows.
std::optional<std::string> resourceBytes(int id, const char* type) {
    const HRSRC found = FindResourceA(program.instance, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return std::nullopt;
    const DWORD size = SizeofResource(program.instance, found);
    if (size == 0) {
        message(kSampleSizeZero);
        return std::nullopt;
    }
    const HGLOBAL loaded = LoadResource(program.instance, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        message(kSampleNotLoaded);
        return std::nullopt;
    }
    return std::string(static_cast<const char*>(data), size);
}

void setScrollBar(HWND pane) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = program.scroll.bitmapHeight;
    info.nPage = static_cast<UINT>(program.scroll.paneHeight);
    info.nPos = program.scroll.position;
    SetScrollInfo(pane, SB_VERT, &info, TRUE);
}

void paintBitmap(HDC dc, const PreviewBitmap& bitmap, int32_t top) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biPlanes = 1;
    info.header.biCompression = BI_RGB;
    std::vector<uint8_t> rows;
    if (bitmap.kind == PreviewKind::kStartPicture) {
        const Image& picture = bitmap.picture;
        rows.assign(rgbDibStride(picture.width) * static_cast<std::size_t>(picture.height), 0);
        imageToDib(picture, rows.data());
        info.header.biWidth = picture.width;
        info.header.biHeight = -picture.height;
        info.header.biBitCount = 24;
    } else {
        const Canvas& canvas = bitmap.canvas;
        const int32_t stride = (canvas.width + 31) / 32 * 4;
        rows.assign(static_cast<std::size_t>(stride) * canvas.height, 0);
        for (int32_t y = 0; y < canvas.height; ++y) {
            std::copy_n(&canvas.bits[static_cast<std::size_t>(y) * canvas.stride], canvas.stride,
                        &rows[static_cast<std::size_t>(y) * stride]);
        }
        info.header.biWidth = canvas.width;
        info.header.biHeight = -canvas.height;
        info.header.biBitCount = 1;
        info.colours[1] = RGBQUAD{255, 255, 255, 0};
    }
    StretchDIBits(dc, 0, -top, bitmap.width(), bitmap.height(), 0, 0, bitmap.width(),
                  bitmap.height(), rows.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK paneProcedure(HWND pane, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_CREATE:
            program.scroll = ScrollState{};
            break;
        case WM_SIZE:
            fitScroll(program.scroll, program.bitmap ? program.bitmap->height() : 0, HIWORD(l));
            setScrollBar(pane);
            break;
        case kPreviewChanged: {
            RECT client{};
            GetClientRect(pane, &client);
            fitScroll(program.scroll, program.bitmap ? program.bitmap->height() : 0, client.bottom);
            setScrollBar(pane);
            InvalidateRect(pane, nullptr, FALSE);
            break;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(pane, &paint);
            if (program.bitmap) paintBitmap(dc, *program.bitmap, program.scroll.position);
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
            const int32_t moved = applyScroll(program.scroll, request, HIWORD(w));
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

void showSample(int index) {
    const auto& text = program.sampleTexts[static_cast<std::size_t>(index - 1)];
    // A sample that does not render (or has no text) leaves the pane white.
    program.bitmap =
        text ? renderLayoutPreview(imageDirectory(), *text, PreviewMode::kPreviewer) : std::nullopt;
    SendMessageA(program.pane, kPreviewChanged, 0, 0);
}

HWND control(const char* cls, const char* title, DWORD style, DWORD extended, int x, int y, int w,
             int h, HWND parent, int id) {
    const HWND window = CreateWindowExA(
        extended, cls, title, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), program.instance, nullptr);
    if (window == nullptr)
        message("Could not create the child window");
    else
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(program.font), TRUE);
    return window;
}

LRESULT CALLBACK barProcedure(HWND bar, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_CREATE: {
            program.printers =
                control("combobox", kSelectPrinter, CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 1, 250,
                        200, bar, kPrinterListId);
            if (program.printers != nullptr) {
                SendMessageA(program.printers, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(kSelectPrinter));
                SendMessageA(program.printers, CB_SETCURSEL, 0, 0);
                std::string error;
                for (const PrinterInfo& printer : listPrinters(error)) {
                    SendMessageA(program.printers, CB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(printer.name.c_str()));
                }
            }
            program.samples = control("combobox", "Documents", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0,
                                      300, 1, 120, 200, bar, kSampleListId);
            if (program.samples != nullptr) {
                for (const char* entry : kSampleEntries) {
                    SendMessageA(program.samples, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
                }
                SendMessageA(program.samples, CB_SETCURSEL, 0, 0);
            }
            program.print = control("button", kPrintButton, WS_DISABLED, WS_EX_CLIENTEDGE, 480, 0,
                                    100, 24, bar, kPrintButtonId);
            for (const int id : kSampleResources)
                program.sampleTexts.push_back(resourceBytes(id, "TEXTFILE"));
            break;
        }
        case WM_COMMAND: {
            const int id = LOWORD(w), notification = HIWORD(w);
            if (id == kPrinterListId && notification == CBN_SELCHANGE) {
                program.selectedPrinter =
                    static_cast<int>(SendMessageA(program.printers, CB_GETCURSEL, 0, 0));
                EnableWindow(program.print, program.selectedPrinter != 0);
            } else if (id == kSampleListId && notification == CBN_SELCHANGE) {
                program.selectedSample =
                    static_cast<int>(SendMessageA(program.samples, CB_GETCURSEL, 0, 0));
                if (program.selectedSample >= 1 && program.selectedSample <= 3)
                    showSample(program.selectedSample);
            } else if (id == kPrintButtonId) {
                char name[512] = {};
                if (SendMessageA(program.printers, CB_GETLBTEXTLEN, program.selectedPrinter, 0) <
                    LRESULT{sizeof name}) {
                    SendMessageA(program.printers, CB_GETLBTEXT, program.selectedPrinter,
                                 reinterpret_cast<LPARAM>(name));
                }
                const PreviewMessage outcome =
                    printPreview(program.bitmap ? &*program.bitmap : nullptr, name);
                message(messageBoxText(outcome), outcome.caption.c_str());
            }
            break;
        }
        case kResetSamples:
            SendMessageA(program.samples, CB_SETCURSEL, 0, 0);
            program.selectedSample = 0;
            break;
        default:
            break;
    }
    return DefWindowProcA(bar, msg, w, l);
}

void openLayout(HWND owner) {
    static char file[MAX_PATH];
    static const char filters[] = "HTML TEMPLATE File\0*.html\0TEXT TEMPLATE FILE\0*.txt\0";
    file[0] = '\0';
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = kOpenDialogTitle;
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) return;
    program.bitmap.reset();
    InvalidateRect(program.pane, nullptr, TRUE);
    program.bitmap = openLayoutPreview(file, imageDirectory(), PreviewMode::kPreviewer);
    SendMessageA(program.pane, kPreviewChanged, 0, 0);
    SendMessageA(program.bar, kResetSamples, 0, 0);
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
        case WM_CREATE:
            if (registerClass("TestRenderWindow", static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                              paneProcedure)) {
                program.pane =
                    CreateWindowExA(0, "TestRenderWindow", "Child", WS_CHILD | WS_VISIBLE, 0, 0,
                                    584, 415, window, nullptr, program.instance, nullptr);
            } else {
                message("Could not create Child Class");
            }
            if (registerClass("TestChildWindow", CreateSolidBrush(RGB(0, 200, 0)), barProcedure)) {
                program.bar = CreateWindowExA(WS_EX_CLIENTEDGE, "TestChildWindow", "Child",
                                              WS_CHILD | WS_VISIBLE, 0, 415, 600, 30, window,
                                              nullptr, program.instance, nullptr);
            } else {
                message("Could not create Child Class");
            }
            if (const auto bytes =
                    resourceBytes(kStartPicture, MAKEINTRESOURCEA(10))) {  // RT_RCDATA
                program.bitmap = startPicture(*bytes);
                SendMessageA(program.pane, kPreviewChanged, 0, 0);
            }
            break;
        case WM_COMMAND:
            if (LOWORD(w) == kOpenId) openLayout(window);
            break;
        case WM_CLOSE:
            PostQuitMessage(0);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, msg, w, l);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    program.instance = instance;
    program.font =
        CreateFontA(14, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
    if (!registerClass("TestWindow", static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                       mainProcedure)) {
        MessageBoxA(nullptr, "Could not register the class", nullptr, MB_OK);
        return 0;
    }
    const HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, kOpenId, kOpenCommand);
    CreateWindowExA(
        0, "TestWindow", kWindowTitle, WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU,
        GetSystemMetrics(SM_CXSCREEN) / 2 - 300, 50, 600, 500, nullptr, menu, instance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
