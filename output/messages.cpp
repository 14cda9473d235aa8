#include "output/messages.h"

namespace kestrane {

std::string errorText(const std::string& message) { return "Error - " + message; }

const char kStarSuccess[] = "Return - Print Operation was successful";
const char kRawSuccess[] = "Receipt printed sucessfully";
const char kTextTooShort[] =
    "Error - There is a set limit on the minimum size of a receipt text and your text does not "
    "meet the minimum";
const char kUnsupportedLayout[] = "Error - Unsupported Receipt Layout Format!";
const char kTemplateNotParsed[] = "Error - Template Could not Pass Correctly";
const char kLayoutNotSupported[] =
    "Error - Your Receipt Layout is not supported by Current HTML Parser!";
const char kSectionTooTall[] = "Error - Receipt section is too tall to print";

}  // namespace kestrane
