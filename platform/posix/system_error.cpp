#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace kestrane {

int lastSystemError() {
    return errno;
}

void setLastSystemError(int code) {
    errno = code;
}

std::string systemErrorText(int code) {
    // strerror_r has two incompatible signatures; strerror is safe enough here because the engine
    // runs one job at a time and copies the text at once.
    const char* text = std::strerror(code);
    return text == nullptr ? std::string() : std::string(text);
}

}  // namespace kestrane
