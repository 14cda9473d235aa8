#include "platform/text_file.h"

#include <windows.h>

#include <algorithm>

namespace kestrane {

// Descriptors here are Win32 file handles held in an int: a handle's value fits 32 bits on
// every Windows, as the system guarantees for handles shared with 32-bit processes.
FileResult createEmptyFile(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {static_cast<int>(GetLastError())};
    CloseHandle(file);
    return {};
}

OpenedFile openTextFile(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {-1, static_cast<int>(GetLastError())};
    return {static_cast<int>(reinterpret_cast<intptr_t>(file)), 0};
}

FileResult writeTextFile(int descriptor, const std::string& bytes) {
    const HANDLE file = reinterpret_cast<HANDLE>(static_cast<intptr_t>(descriptor));
    const std::string stored = textModeBytes(bytes);
    std::size_t done = 0;
    while (done < stored.size()) {
        DWORD written = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(stored.size() - done, 1u << 30));
        if (!WriteFile(file, stored.data() + done, chunk, &written, nullptr)) {
            return {static_cast<int>(GetLastError())};
        }
        if (written == 0) return {ERROR_WRITE_FAULT};  // no progress and no reason given
        done += written;
    }
    return {};
}

FileResult closeTextFile(int descriptor) {
    if (CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(descriptor))) != 0) return {};
    return {static_cast<int>(GetLastError())};
}

}  // namespace kestrane
