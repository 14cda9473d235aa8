#include "output/messages.h"

#include "platform/system_error.h"

namespace kestrane {

std::string errorText(const std::string& message) { return "Error - " + message; }

std::string systemErrorMessage(int code) {
    if (code == 0) return kNoErrorRecorded;
    return errorText(systemErrorText(code));
}

std::string windowsErrorText() { return systemErrorMessage(lastSystemError()); }

const char kStarSuccess[] = "Return - Print Operation was successful";
const char kRawSuccess[] = "Receipt printed sucessfully";
const char kNoErrorRecorded[] = "No error message has been recorded";
const char kTextTooShort[] =
    "Error - There is a set limit on the minimum size of a receipt text and your text does not "
    "meet the minimum";
const char kUnsupportedLayout[] = "Error - Unsupported Receipt Layout Format!";
const char kTemplateNotParsed[] = "Error - Template Could not Pass Correctly";
const char kLayoutNotSupported[] =
    "Error - Your Receipt Layout is not supported by Current HTML Parser!";
const char kSectionTooTall[] = "Error - Receipt section is too tall to print";
const char kPrinterOfflineNetwork[] =
    "Error - Printer is either offline, inaccessible or is not shared on the Network!\nPlease Try "
    "doing a Test print on the respective printer and try again!";
const char kPrinterOffline[] = "Error - Printer is offline";
const char kPrinterNameTooShort[] =
    "Error - The printer requested is either Offline or does not Exist\n in your set of installed "
    "printers!";
const char kCouldNotConnect[] = "Error - Could not Connect to Printer";
const char kNoDrivers[] = "Error - You do not have the drivers installed for this Printer!";
const char kCouldNotWrite[] =
    "Error - Could not Write to Printer! \nPlease try doing a Test Print on the respective Printer "
    "and try again!";
const char kLayoutTooLarge[] =
    "Error - The receipt layout is larger than 4194304 bytes (4 MiB), the most a receipt may be";

}  // namespace kestrane
