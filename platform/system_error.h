// The calling thread's last system error, where the engine reports a failed OS call.
#pragma once

#include <string>

namespace kestrane {

// The error code the last failed OS call left (errno on POSIX); 0 when none is recorded.
int lastSystemError();

// Sets the last error code, so a caller can clear it before the call it reports on.
void setLastSystemError(int code);

// The system's own text for `code` ("No such file or directory"); empty when it has none.
std::string systemErrorText(int code);

}  // namespace kestrane
