#include "binding/print_request.h"

#include "markup/text_ops.h"
#include "output/messages.h"
#include "output/raw_receipt.h"
#include "output/star_print.h"

namespace kestrane {

namespace {

// The check that fails first, or "".
std::string blankCheck(const PrintRequest& request) {
    if (trim(request.printerName).empty()) return errorText("Printer name cannot be blank!");
    if (trim(request.printerType).empty()) return errorText("Printer type cannot be blank!");
    if (trim(request.ipAddress).empty()) return errorText("IP address cannot be blank!");
    if (trim(request.receiptText).empty()) return errorText("Receipt text cannot be blank!");
    return std::string();
}

}  // namespace

std::string tooFewArgumentsMessage() {
    return errorText("Expected 2 arguments - > (1) printerName (2) receiptText.");
}

std::string runPrintRequest(const PrintRequest& request) {
    const std::string blank = blankCheck(request);
    if (!blank.empty()) return blank;
    const std::string type = toUpper(request.printerType);
    if (type == "EPSON") {
        return printRawReceipt(request.imageDirectory, request.ipAddress, request.receiptText);
    }
    if (type == "STAR") {
        return printStarReceipt(request.imageDirectory, request.printerName, request.receiptText);
    }
    return errorText("Printer not supported!");
}

std::string printerKey(const PrintRequest& request) {
    const std::string type = toUpper(request.printerType);
    if (!blankCheck(request).empty()) return std::string();
    if (type == "EPSON") return "EPSON " + request.ipAddress;
    if (type == "STAR") return "STAR " + request.printerName;
    return std::string();
}

}  // namespace kestrane
