// Fresh unique identifiers for job file names.
#pragma once

#include <string>

namespace kestrane {

// A new random (version 4) UUID as 32 lower-case hexadecimal digits without hyphens, or an empty
// string when the system cannot supply random bytes.
std::string newUuidHex();

}  // namespace kestrane
