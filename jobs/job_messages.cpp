#include "jobs/job_messages.h"

#include "markup/layout_limits.h"

namespace kestrane {

const char kPreviewNotRendered[] = "Template Could not Render";

namespace {

// The statuses whose message is "Error - " and the detail.
bool messageIsDetail(JobStatus status) {
    return status == JobStatus::kArgumentRefused || status == JobStatus::kAddressRefused ||
           status == JobStatus::kStreamFileFailed || status == JobStatus::kNotDelivered ||
           status == JobStatus::kOutputFailed || status == JobStatus::kJobFailed ||
           status == JobStatus::kNotPrinted || status == JobStatus::kGaveUp ||
           status == JobStatus::kBacklogFull;
}

}  // namespace

std::string jobDetail(const JobOutcome& outcome) {
    return messageIsDetail(outcome.status) ? std::string() : outcome.detail;
}

std::string jobMessage(const JobOutcome& outcome) {
    if (messageIsDetail(outcome.status)) return "Error - " + outcome.detail;
    const std::string error = "Error - ";
    switch (outcome.status) {
        case JobStatus::kStarPrinted: return "Return - Print Operation was successful";
        case JobStatus::kEpsonDelivered: return "Receipt printed sucessfully";
        case JobStatus::kDrawn: return std::string();
        case JobStatus::kTooFewArguments:
            return error + "Expected 2 arguments - > (1) printerName (2) receiptText.";
        case JobStatus::kPrinterNameBlank: return error + "Printer name cannot be blank!";
        case JobStatus::kPrinterTypeBlank: return error + "Printer type cannot be blank!";
        case JobStatus::kAddressBlank: return error + "IP address cannot be blank!";
        case JobStatus::kReceiptTextBlank: return error + "Receipt text cannot be blank!";
        case JobStatus::kPrinterNotSupported: return error + "Printer not supported!";
        case JobStatus::kTextTooShort:
            return error +
                   "There is a set limit on the minimum size of a receipt text and your text does "
                   "not meet the minimum";
        case JobStatus::kUnsupportedLayout: return error + "Unsupported Receipt Layout Format!";
        case JobStatus::kTemplateNotParsed: return error + "Template Could not Pass Correctly";
        case JobStatus::kLayoutNotSupported:
            return error + "Your Receipt Layout is not supported by Current HTML Parser!";
        case JobStatus::kSectionTooTall: return error + "Receipt section is too tall to print";
        case JobStatus::kLayoutTooLarge:
            return error + "The receipt layout is larger than " + std::to_string(kMaxLayoutBytes) +
                   " bytes (" + std::to_string(kMaxLayoutBytes >> 20) + " MiB), the most a receipt may be";
        case JobStatus::kPreviewNotRendered: return kPreviewNotRendered;
        case JobStatus::kNothingToPrint:
            return error + "The receipt layout has no complete table (<table> to </table>) to print";
        case JobStatus::kPageTooShort:
            return error + "The printer's page is too short to hold a row of the receipt";
        case JobStatus::kPrinterOffline: return error + "Printer is offline";
        case JobStatus::kPrinterOfflineNetwork:
            return error +
                   "Printer is either offline, inaccessible or is not shared on the Network!\n"
                   "Please Try doing a Test print on the respective printer and try again!";
        case JobStatus::kPrinterNameTooShort:
            return error +
                   "The printer requested is either Offline or does not Exist\n in your set of "
                   "installed printers!";
        case JobStatus::kCouldNotConnect: return error + "Could not Connect to Printer";
        case JobStatus::kNoDrivers:
            return error + "You do not have the drivers installed for this Printer!";
        case JobStatus::kCouldNotWrite:
            return error +
                   "Could not Write to Printer! \nPlease try doing a Test Print on the respective "
                   "Printer and try again!";
        case JobStatus::kArgumentRefused:
        case JobStatus::kAddressRefused:
        case JobStatus::kStreamFileFailed:
        case JobStatus::kNotDelivered:
        case JobStatus::kOutputFailed:
        case JobStatus::kJobFailed:
        case JobStatus::kNotPrinted:
        case JobStatus::kGaveUp:
        case JobStatus::kBacklogFull: break;
    }
    return error + outcome.detail;
}

}  // namespace kestrane
