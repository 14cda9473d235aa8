#include "jobs/print_request.h"

#include <optional>

#include "markup/text_ops.h"
#include "output/raw_receipt.h"
#include "output/star_print.h"

namespace kestrane {

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
    if (const std::optional<JobStatus> blank = blankCheck(request)) return jobOutcome(*blank);
    const std::string type = toUpper(request.printerType);
    if (type == "EPSON") {
        return printRawReceipt(request.imageDirectory, request.ipAddress, request.receiptText);
    }
    if (type == "STAR") {
        return printStarReceipt(request.imageDirectory, request.printerName, request.receiptText);
    }
    return jobOutcome(JobStatus::kPrinterNotSupported);
}

std::string printerKey(const PrintRequest& request) {
    const std::string type = toUpper(request.printerType);
    if (blankCheck(request)) return std::string();
    if (type == "EPSON") return "EPSON " + request.ipAddress;
    if (type == "STAR") return "STAR " + request.printerName;
    return std::string();
}

}  // namespace kestrane
