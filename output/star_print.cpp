#include "output/star_print.h"

#include <algorithm>
#include <memory>

#include "output/messages.h"
#include "output/star_job.h"
#include "render/receipt_section.h"

namespace kestrane {

const char kStarDocumentTitle[] = "Quillon Reciept";

namespace {

std::string offlineMessage(const std::string& printerName) {
    // A name with a backslash is a printer shared by another machine.
    return printerName.find('\\') != std::string::npos ? kPrinterOfflineNetwork : kPrinterOffline;
}

// Opens the printer again for one section and sends the canvas as one document. Returns "" or
// the message that ends the job.
std::string printSection(const std::string& printerName, const Canvas& canvas) {
    DeviceResult opened = DeviceResult::kOpened;
    const std::unique_ptr<PrinterDevice> device = openPrinterDevice(printerName, opened);
    switch (opened) {
        case DeviceResult::kOpened: break;
        case DeviceResult::kNotConnected: return kCouldNotConnect;
        case DeviceResult::kNoDriver: return kNoDrivers;
        case DeviceResult::kNoDevice: return kCouldNotWrite;
    }
    const DeviceSize& size = device->size();
    const std::vector<PageSlice> slices = pageSlices(canvas.height, size);
    std::string error;
    const std::unique_ptr<SpoolerDocument> document =
        device->startDocument(kStarDocumentTitle, longestSlice(slices), error);
    if (!document) return kCouldNotWrite;
    for (const PageSlice& slice : slices) {
        if (!document->addPage(devicePage(canvas, slice, size.width))) return kCouldNotWrite;
    }
    return document->finish() ? std::string() : std::string(kCouldNotWrite);
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

std::string printStarReceipt(const std::string& imageDirectory, const std::string& printerName,
                             const std::string& receiptText) {
    if (printerState(printerName) != PrinterState::kReady) return offlineMessage(printerName);
    if (receiptText.size() < 5) return kTextTooShort;
    if (printerName.size() < 2) return kPrinterNameTooShort;
    return runStarJob(imageDirectory, receiptText, [&](const Canvas& canvas, std::size_t) {
               return printSection(printerName, canvas);
           }).message;
}

}  // namespace kestrane
