// The print spooler: printers by name, whether they can take jobs, the size of their printable
// area in device pixels, and documents of one-bit raster pages. Used by the STAR print job and
// the previewer's printing; the spooler itself decides where jobs go (on POSIX, the CUPS client
// configuration: CUPS_SERVER, client.conf).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace kestrane {

// Why a printer cannot take a job now.
enum class PrinterState {
    kReady,        // known, not stopped, accepting jobs
    kUnknown,      // the spooler has no printer of that name
    kUnreachable,  // the spooler does not answer
    kStopped,      // printing is stopped (held, or disabled by an administrator)
    kRejecting,    // the queue does not accept jobs
};

// The printable area of a printer's default page in device pixels, and its resolution.
struct DeviceSize {
    int32_t width = 0;
    int32_t height = 0;
    int32_t xdpi = 0;
    int32_t ydpi = 0;
    // The longest printable length, in device rows, of a page the printer cuts to the length a
    // document asks for (a roll that takes custom page lengths at this width); 0 when every page
    // is the default page.
    int32_t longestPage = 0;
};

// What opening a printer's device gave.
enum class DeviceResult {
    kOpened,
    kNotConnected,  // the printer cannot be reached or found any more
    kNoDriver,      // the spooler has no driver for the printer: no page size or resolution
    kNoDevice,      // the driver's page has no printable area
};

struct PrinterInfo {
    std::string name;
    bool printing = false;   // a job is being printed
    bool stopped = false;
    bool accepting = false;  // new jobs are taken
    bool sizeKnown = false;
    DeviceSize size;
};

// "idle", "printing" or "stopped", as listings show a printer.
inline const char* stateName(const PrinterInfo& printer) {
    return printer.stopped ? "stopped" : printer.printing ? "printing" : "idle";
}

PrinterState printerState(const std::string& printer);

// Every printer the spooler knows, in its order. On failure an empty list and a reason.
std::vector<PrinterInfo> listPrinters(std::string& error);

// How a finished document's job ended, as far as the spooler says.
struct JobEnd {
    enum class State {
        kPrinted,      // the spooler reports the job completed
        kFailed,       // stopped, aborted or cancelled: `reason` has the spooler's words
        kUnconfirmed,  // not finished within the limit, or the spooler cannot tell
    };
    State state = State::kUnconfirmed;
    std::string reason;
};

// One spooler document: pages in order, then finish. A document that is destroyed unfinished is
// cancelled, so nothing half-sent prints. It must not outlive the device it was started on.
class SpoolerDocument {
  public:
    virtual ~SpoolerDocument() = default;
    // Adds a page of `page.width` x `page.height` device pixels. False, with error() set, when
    // the spooler refused or lost the document.
    virtual bool addPage(const Canvas& page) = 0;
    // Ends the document; false, with error() set, when the spooler did not accept it whole.
    virtual bool finish() = 0;
    // After finish(): waits, up to `limitMilliseconds`, until the spooler reports the job done.
    virtual JobEnd waitUntilPrinted(int limitMilliseconds) = 0;
    virtual const std::string& error() const = 0;
};

// A printer opened for printing: the printable area of its default page at its default
// resolution, and documents started on it.
class PrinterDevice {
  public:
    virtual ~PrinterDevice() = default;
    virtual const DeviceSize& size() const = 0;
    // Starts a document named `title` whose pages are rasters at the device's resolution and at
    // most `pageRows` device rows long; a device that takes custom page lengths is asked for
    // pages that long, so it feeds no paper past the receipt. Null, with `error` set, when the
    // spooler refuses the job.
    virtual std::unique_ptr<SpoolerDocument> startDocument(const std::string& title,
                                                           int32_t pageRows,
                                                           std::string& error) = 0;
};

// Opens `printer`'s device; null, with `result` saying why, when it cannot.
std::unique_ptr<PrinterDevice> openPrinterDevice(const std::string& printer, DeviceResult& result);

}  // namespace kestrane
