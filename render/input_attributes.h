#pragma once

#include <map>
#include <string>

namespace kestrane {

// Reads name="value" pairs from the raw attribute text of a self-contained element (everything
// after its name up to the end of the tag). Blanks before a name are dropped; a later pair of
// the same name replaces the value; reading stops at a name without a quoted value. A value of
// one character is read like any other.
std::map<std::string, std::string> parseInputAttributes(const std::string& raw);

}  // namespace kestrane
