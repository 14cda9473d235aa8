#include "jobs/print_request.h"

#include <optional>

#include "jobs/job_guard.h"
#include "markup/text_ops.h"
#include "output/escpos_raster.h"
#include "output/raw_receipt.h"
#include "output/star_print.h"
#include "platform/printer_address.h"

namespace kestrane {

static_assert(kRasterDotsDefault == kEscposDots80 && kRasterDotsMost == kEscposMaxDots);

namespace {

// The check that fails first.
std::optional<JobStatus> blankCheck(const PrintRequest& request) {
    if (trim(request.printerName).empty()) return JobStatus::kPrinterNameBlank;
    if (trim(request.printerType).empty()) return JobStatus::kPrinterTypeBlank;
    if (trim(request.ipAddress).empty()) return JobStatus::kAddressBlank;
    if (trim(request.receiptText).empty()) return JobStatus::kReceiptTextBlank;
    return std::nullopt;
}

}  // namespace

JobOutcome runPrintRequest(const PrintRequest& request) {
    return guardedJob([&] {
        if (const std::optional<JobStatus> blank = blankCheck(request)) return jobOutcome(*blank);
        const std::string type = toUpper(request.printerType);
        if (type == "EPSON") {
            RawLimits limits;
            if (request.confirmMilliseconds > 0) limits.printed = std::chrono::milliseconds(request.confirmMilliseconds);
            return printRawReceipt(request.imageDirectory, request.ipAddress, request.receiptText, limits,
                                   {request.raster, request.dots, request.nativeQr});
        }
        if (type == "STAR") {
            return printStarReceipt(request.imageDirectory, request.printerName, request.receiptText,
                                    request.confirmMilliseconds);
        }
        return jobOutcome(JobStatus::kPrinterNotSupported);
    });
}

std::string printerKey(const PrintRequest& request) {
    const std::string type = toUpper(request.printerType);
    if (blankCheck(request)) return std::string();
    if (type == "EPSON") {
        // "Host", "host" and "host:515" are one printer; an address that does not parse is
        // refused before anything is sent, so its own text keys it.
        PrinterTransport transport = PrinterTransport::kLpd;
        PrinterAddress address;
        std::string reason;
        if (!parseAnyPrinterAddress(request.ipAddress, transport, address, reason) ||
            transport == PrinterTransport::kDevice) {
            return "EPSON " + request.ipAddress;
        }
        address.host = toLower(address.host);
        return std::string("EPSON ") + (transport == PrinterTransport::kSocket ? kSocketScheme : "") +
               describePrinterAddress(address);
    }
    // The spooler's names ignore case: "receipt80" and "RECEIPT80" are one queue.
    if (type == "STAR") return "STAR " + toLower(request.printerName);
    return std::string();
}

}  // namespace kestrane
