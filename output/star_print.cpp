#include "output/star_print.h"

#include <algorithm>
#include <memory>

#include "output/star_job.h"
#include "render/receipt_section.h"

namespace kestrane {

const char kStarDocumentTitle[] = "Quillon Reciept";
const int64_t kMaxPageBytes = int64_t{512} << 20;

namespace {

// Why a printer that is not ready cannot take the job, in words a person can act on.
std::string stateDetail(PrinterState state, const std::string& printerName) {
    const std::string name = "printer '" + printerName + "'";
    switch (state) {
        case PrinterState::kUnknown: return "the spooler has no " + name;
        case PrinterState::kUnreachable: return "the spooler does not answer";
        case PrinterState::kStopped: return name + " is stopped";
        case PrinterState::kRejecting: return name + " does not accept jobs";
        case PrinterState::kReady: break;
    }
    return std::string();
}

JobOutcome notWritten(const std::string& step, const std::string& error) {
    return jobOutcome(JobStatus::kCouldNotWrite, error.empty() ? step : step + ": " + error);
}

}  // namespace

std::vector<PageSlice> pageSlices(int32_t canvasHeight, const DeviceSize& device,
                                  int32_t canvasWidth) {
    std::vector<PageSlice> slices;
    if (canvasHeight <= 0 || canvasWidth <= 0 || device.width <= 0 || device.height <= 0) {
        return slices;
    }
    const double scale = device.width / static_cast<double>(canvasWidth);
    const auto total = static_cast<int64_t>(canvasHeight * scale);
    // A printer that cuts pages to length takes the receipt on one page as long as it is.
    const int32_t pageRows = device.longestPage > 0 ? device.longestPage : device.height;
    const auto rowsPerPage = static_cast<int64_t>(pageRows / scale);
    // A page that cannot take one row of the canvas would print blank pages without end.
    if (rowsPerPage < 1) return slices;
    int64_t top = 0;
    int64_t remaining = total;
    for (; remaining >= pageRows; remaining -= pageRows, top += rowsPerPage) {
        slices.push_back({static_cast<int32_t>(top), static_cast<int32_t>(rowsPerPage), pageRows});
    }
    if (remaining > 0) {
        slices.push_back({static_cast<int32_t>(top), static_cast<int32_t>(canvasHeight - top),
                          static_cast<int32_t>(remaining)});
    }
    return slices;
}

int32_t longestSlice(const std::vector<PageSlice>& slices) {
    int32_t rows = 0;
    for (const PageSlice& slice : slices) rows = std::max(rows, slice.deviceRows);
    return rows;
}

Canvas devicePage(const Canvas& canvas, const PageSlice& slice, int32_t deviceWidth) {
    Canvas page(deviceWidth, slice.deviceRows);
    stretchCanvas(page, canvas, {0, slice.sourceTop, canvas.width, slice.sourceTop + slice.sourceRows});
    return page;
}

JobOutcome printCanvas(const std::string& printerName, const Canvas& canvas, int confirmMilliseconds) {
    DeviceResult opened = DeviceResult::kOpened;
    const std::unique_ptr<PrinterDevice> device = openPrinterDevice(printerName, opened);
    const std::string name = "printer '" + printerName + "'";
    switch (opened) {
        case DeviceResult::kOpened: break;
        case DeviceResult::kNotConnected:
            return jobOutcome(JobStatus::kCouldNotConnect, "the spooler cannot open " + name);
        case DeviceResult::kNoDriver:
            return jobOutcome(JobStatus::kNoDrivers, name + " has no driver that gives a page size");
        case DeviceResult::kNoDevice:
            return notWritten("the page of " + name + " has no printable area", "");
    }
    const DeviceSize& size = device->size();
    const std::vector<PageSlice> slices = pageSlices(canvas.height, size, canvas.width);
    if (slices.empty()) {
        return jobOutcome(JobStatus::kPageTooShort, "the page of " + name + " is " + std::to_string(size.height) +
                                                         " device rows long");
    }
    // A driver that describes a page no memory can hold (a broken or hostile PPD at millions of
    // dots an inch) is refused before a byte of it is allocated.
    const int32_t pageRows = longestSlice(slices);
    if ((static_cast<int64_t>(size.width) + 7) / 8 * pageRows > kMaxPageBytes) {
        return notWritten("a page of " + name + " would be " + std::to_string(size.width) + " x " +
                              std::to_string(pageRows) + " pixels, more than " +
                              std::to_string(kMaxPageBytes >> 20) + " MiB",
                          "");
    }
    std::string error;
    const std::unique_ptr<SpoolerDocument> document =
        device->startDocument(kStarDocumentTitle, pageRows, error);
    if (!document) return notWritten("starting the document on " + name, error);
    for (std::size_t i = 0; i < slices.size(); ++i) {
        if (!document->addPage(devicePage(canvas, slices[i], size.width))) {
            return notWritten("sending page " + std::to_string(i + 1) + " to " + name, document->error());
        }
    }
    if (!document->finish()) return notWritten("ending the document on " + name, document->error());
    if (confirmMilliseconds <= 0) return jobOutcome(JobStatus::kStarPrinted);
    const JobEnd end = document->waitUntilPrinted(confirmMilliseconds);
    switch (end.state) {
        case JobEnd::State::kPrinted: return jobOutcome(JobStatus::kStarPrinted);
        case JobEnd::State::kFailed: return jobOutcome(JobStatus::kNotPrinted, "The receipt did not print: " + end.reason);
        case JobEnd::State::kUnconfirmed: break;
    }
    return jobOutcome(JobStatus::kNotPrinted, "No confirmation that the receipt printed: " + end.reason);
}

JobOutcome printStarReceipt(const std::string& imageDirectory, const std::string& printerName,
                            const std::string& receiptText, int confirmMilliseconds) {
    const PrinterState state = printerState(printerName);
    if (state != PrinterState::kReady) {
        // A name with a backslash is a printer shared by another machine.
        return jobOutcome(printerName.find('\\') != std::string::npos ? JobStatus::kPrinterOfflineNetwork
                                                                      : JobStatus::kPrinterOffline,
                          stateDetail(state, printerName));
    }
    if (receiptText.size() < 5) return jobOutcome(JobStatus::kTextTooShort);
    if (printerName.size() < 2) return jobOutcome(JobStatus::kPrinterNameTooShort);
    JobOutcome outcome = runStarJob(imageDirectory, receiptText, [&](const Canvas& canvas, std::size_t) {
        return printCanvas(printerName, canvas, confirmMilliseconds);
    });
    if (outcome.status == JobStatus::kDrawn) outcome.status = JobStatus::kStarPrinted;
    return outcome;
}

}  // namespace kestrane
