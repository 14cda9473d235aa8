// The texts a print job returns. Callers match on them, so their wording (misspellings and
// embedded line feeds included) is part of the interface.
#pragma once

#include <string>

namespace kestrane {

// "Error - " followed by `message`.
std::string errorText(const std::string& message);

// The message for a failed system call with error `code`: "Error - " and the system's text for
// it ("Error - " alone when the system has none), or "No error message has been recorded" for 0.
std::string systemErrorMessage(int code);

// systemErrorMessage of the calling thread's last system error.
std::string windowsErrorText();

extern const char kStarSuccess[];
extern const char kRawSuccess[];
extern const char kNoErrorRecorded[];
extern const char kTextTooShort[];
extern const char kUnsupportedLayout[];
extern const char kTemplateNotParsed[];
extern const char kLayoutNotSupported[];
extern const char kSectionTooTall[];
extern const char kLayoutTooLarge[];
extern const char kPrinterOfflineNetwork[];
extern const char kPrinterOffline[];
extern const char kPrinterNameTooShort[];
extern const char kCouldNotConnect[];
extern const char kNoDrivers[];
extern const char kCouldNotWrite[];

}  // namespace kestrane
