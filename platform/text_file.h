// Files written the way a Windows text-mode descriptor writes them: every LF byte is stored as
// CR LF. Receipt streams go through this so that printers get the same bytes on every platform.
#pragma once

#include <string>

namespace kestrane {

// What a file call gave: 0, or the system's error code (systemErrorText names it).
struct FileResult {
    int error = 0;
    explicit operator bool() const { return error == 0; }
};

// An opened file's descriptor, or -1 and the system's error code.
struct OpenedFile {
    int descriptor = -1;
    int error = 0;
};

// Creates the file `path` (an OS path), or truncates it to nothing when it exists.
FileResult createEmptyFile(const std::string& path);

// Opens the existing file `path` (an OS path) write-only, without creating or truncating it.
OpenedFile openTextFile(const std::string& path);

// Writes `bytes` at the descriptor's position, each LF stored as CR LF; fails when the system did
// not take every byte.
FileResult writeTextFile(int descriptor, const std::string& bytes);

// Closes the descriptor.
FileResult closeTextFile(int descriptor);

// The bytes a text-mode write of `bytes` stores: each LF preceded by CR, nothing else changed.
std::string textModeBytes(const std::string& bytes);

}  // namespace kestrane
