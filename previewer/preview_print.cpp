#include "previewer/preview_print.h"

#include <memory>
#include <vector>

#include "output/messages.h"
#include "output/star_print.h"
#include "platform/spooler.h"
#include "previewer/previewer_texts.h"

namespace kestrane::previewer {

namespace {

PreviewMessage failure(const std::string& text) {
    return {text, kErrorCaption};
}

}  // namespace

PreviewMessage printPreview(const PreviewBitmap* bitmap, const std::string& printerName) {
    if (bitmap == nullptr || bitmap->width() <= 0 || bitmap->height() <= 0) {
        return failure(kNothingToPrint);
    }
    DeviceResult opened = DeviceResult::kOpened;
    const std::unique_ptr<PrinterDevice> device = openPrinterDevice(printerName, opened);
    switch (opened) {
        case DeviceResult::kOpened:
            break;
        case DeviceResult::kNotConnected:
            return failure(kCouldNotConnectToPrinter);
        case DeviceResult::kNoDriver:
            return failure(kNoDrivers);
        case DeviceResult::kNoDevice:
            return failure(kCouldNotWrite);
    }
    const DeviceSize& size = device->size();
    const Canvas& canvas = bitmap->canvas;
    const std::vector<PageSlice> slices = pageSlices(canvas.height, size, canvas.width);
    // A document or page the spooler refuses is reported, not announced as printed.
    std::string error;
    const std::unique_ptr<SpoolerDocument> document =
        device->startDocument(kStarDocumentTitle, longestSlice(slices), error);
    if (!document) return failure(kCouldNotWrite);
    for (const PageSlice& slice : slices) {
        if (!document->addPage(devicePage(canvas, slice, size.width)))
            return failure(kCouldNotWrite);
    }
    if (!document->finish()) return failure(kCouldNotWrite);
    return {kPrintedToSpooler, kSuccessCaption};
}

}  // namespace kestrane::previewer
