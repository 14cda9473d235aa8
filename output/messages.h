// The texts a print job returns. Callers match on them, so their wording (misspellings and
// embedded line feeds included) is part of the interface.
#pragma once

#include <string>

namespace kestrane {

// "Error - " followed by `message`.
std::string errorText(const std::string& message);

extern const char kStarSuccess[];
extern const char kRawSuccess[];
extern const char kTextTooShort[];
extern const char kUnsupportedLayout[];
extern const char kTemplateNotParsed[];
extern const char kLayoutNotSupported[];
extern const char kSectionTooTall[];

}  // namespace kestrane
