// The spooler on Windows: printers through winspool, pages drawn on the printer's device
// context. A document is one StartDocA ... EndDoc; its pages are one-bit DIBs set 1:1 on the
// page (the job has already scaled them to the device).
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/spooler.h"
#include "platform/system_error.h"
#include "platform/win32/dib_pixels.h"

namespace kestrane {

namespace {

struct PrinterHandle {
    HANDLE handle = nullptr;
    explicit PrinterHandle(const std::string& name) {
        if (!OpenPrinterA(const_cast<char*>(name.c_str()), &handle, nullptr)) handle = nullptr;
    }
    ~PrinterHandle() {
        if (handle != nullptr) ClosePrinter(handle);
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
};

// The PRINTER_INFO_2A of an open printer, in its buffer; empty when winspool has none.
std::vector<BYTE> printerInfo(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !GetPrinterA(printer, 2, buffer.data(), needed, &needed)) buffer.clear();
    return buffer;
}

bool isStopped(const PRINTER_INFO_2A& info) {
    return (info.Status &
            (PRINTER_STATUS_PAUSED | PRINTER_STATUS_OFFLINE | PRINTER_STATUS_ERROR)) != 0 ||
           (info.Attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE) != 0;
}

DeviceSize deviceSizeOf(HDC dc) {
    return {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, LOGPIXELSX),
            GetDeviceCaps(dc, LOGPIXELSY)};
}

class GdiDocument : public SpoolerDocument {
  public:
    explicit GdiDocument(HDC dc) : dc_(dc) {}
    ~GdiDocument() override {
        if (!finished_) AbortDoc(dc_);
    }
    GdiDocument(const GdiDocument&) = delete;
    GdiDocument& operator=(const GdiDocument&) = delete;

    bool addPage(const Canvas& page) override {
        if (StartPage(dc_) <= 0) return fail("the spooler refused a page");
        // DIB rows are DWORD-aligned; the canvas's are byte-aligned.
        const std::vector<uint8_t> rows = monochromeDibRows(page);
        MonochromeDibInfo info = monochromeDibInfo(page.width, page.height);
        const int copied = SetDIBitsToDevice(dc_, 0, 0, static_cast<DWORD>(page.width),
                                             static_cast<DWORD>(page.height), 0, 0, 0,
                                             static_cast<UINT>(page.height), rows.data(), info.info(),
                                             DIB_RGB_COLORS);
        if (copied == 0) return fail("the page could not be drawn on the printer");
        if (EndPage(dc_) <= 0) return fail("the spooler refused a page");
        return true;
    }

    bool finish() override {
        finished_ = true;
        return EndDoc(dc_) > 0 || fail("the spooler did not take the document");
    }

    // The Windows spooler's job states are not read yet: a caller that asks is told so, never
    // told "printed".
    JobEnd waitUntilPrinted(int) override {
        return {JobEnd::State::kUnconfirmed, "the Windows spooler's job states are not read yet"};
    }

    const std::string& error() const override { return error_; }

  private:
    bool fail(const std::string& what) {
        error_ = what + ": " + systemErrorText(lastSystemError());
        return false;
    }

    HDC dc_;
    bool finished_ = false;
    std::string error_;
};

class GdiDevice : public PrinterDevice {
  public:
    GdiDevice(HDC dc, DeviceSize size) : dc_(dc), size_(size) {}
    ~GdiDevice() override { DeleteDC(dc_); }
    GdiDevice(const GdiDevice&) = delete;
    GdiDevice& operator=(const GdiDevice&) = delete;

    const DeviceSize& size() const override { return size_; }

    // The page length is the driver's: its form decides where the printer cuts.
    std::unique_ptr<SpoolerDocument> startDocument(const std::string& title, int32_t,
                                                   std::string& error) override {
        DOCINFOA info{};
        info.cbSize = sizeof info;
        info.lpszDocName = title.c_str();
        if (StartDocA(dc_, &info) <= 0) {
            error = "the spooler refused the document: " + systemErrorText(lastSystemError());
            return nullptr;
        }
        return std::make_unique<GdiDocument>(dc_);
    }

  private:
    HDC dc_;
    DeviceSize size_;
};

}  // namespace

PrinterState printerState(const std::string& printer) {
    PrinterHandle handle(printer);
    if (handle.handle == nullptr) return PrinterState::kUnknown;
    const std::vector<BYTE> buffer = printerInfo(handle.handle);
    if (buffer.empty()) return PrinterState::kUnreachable;
    return isStopped(*reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data()))
               ? PrinterState::kStopped
               : PrinterState::kReady;
}

std::unique_ptr<PrinterDevice> openPrinterDevice(const std::string& printer, DeviceResult& result) {
    PrinterHandle handle(printer);
    if (handle.handle == nullptr) {
        result = DeviceResult::kNotConnected;
        return nullptr;
    }
    // The size of the driver's settings record: none means no driver.
    if (DocumentPropertiesA(nullptr, handle.handle, const_cast<char*>(printer.c_str()), nullptr,
                            nullptr, 0) <= 0) {
        result = DeviceResult::kNoDriver;
        return nullptr;
    }
    const HDC dc = CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr);
    const DeviceSize size = dc != nullptr ? deviceSizeOf(dc) : DeviceSize{};
    if (dc == nullptr || size.width <= 0 || size.height <= 0) {
        if (dc != nullptr) DeleteDC(dc);
        result = DeviceResult::kNoDevice;
        return nullptr;
    }
    result = DeviceResult::kOpened;
    return std::make_unique<GdiDevice>(dc, size);
}

std::vector<PrinterInfo> listPrinters(std::string& error) {
    std::vector<PrinterInfo> printers;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed != 0 && !EnumPrintersA(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) {
        error = "the printers could not be listed: " + systemErrorText(lastSystemError());
        return printers;
    }
    const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < (needed != 0 ? count : 0); ++i) {
        PrinterInfo info;
        info.name = records[i].pPrinterName != nullptr ? records[i].pPrinterName : "";
        info.stopped = isStopped(records[i]);
        info.printing = (records[i].Status & PRINTER_STATUS_PRINTING) != 0;
        info.accepting = !info.stopped;
        if (const HDC dc = CreateDCA("WINSPOOL", info.name.c_str(), nullptr, nullptr)) {
            info.size = deviceSizeOf(dc);
            info.sizeKnown = info.size.width > 0 && info.size.height > 0;
            DeleteDC(dc);
        }
        printers.push_back(info);
    }
    return printers;
}

}  // namespace kestrane
