// Fresh unique identifiers for job file names.
#pragma once

#include <string>

namespace kestrane {

// A new random (version 4) UUID as 32 lower-case hexadecimal digits without hyphens, or an empty
// string when the system cannot supply random bytes.
std::string newUuidHex();

// The 16 bytes of a UUID, in the order it is written, as 32 lower-case hexadecimal digits.
std::string uuidHex(const unsigned char (&bytes)[16]);

}  // namespace kestrane
