#include "platform/system_error.h"

#include <windows.h>

namespace kestrane {

int lastSystemError() {
    return static_cast<int>(GetLastError());
}

void setLastSystemError(int code) {
    SetLastError(static_cast<DWORD>(code));
}

std::string systemErrorText(int code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message =
        length != 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr) LocalFree(text);
    return message;
}

}  // namespace kestrane
