// Files written the way a Windows text-mode descriptor writes them: every LF byte is stored as
// CR LF. Receipt streams go through this so that printers get the same bytes on every platform.
#pragma once

#include <string>

namespace kestrane {

// Opens the existing file `path` (an OS path) write-only, without creating or truncating it.
// Returns a descriptor, or -1 with the reason left in lastSystemError().
int openTextFile(const std::string& path);

// Writes `bytes` at the descriptor's position, each LF stored as CR LF. Returns false, with the
// reason in lastSystemError(), when the system did not take every byte.
bool writeTextFile(int descriptor, const std::string& bytes);

// Closes the descriptor. Returns false, with the reason in lastSystemError(), on failure.
bool closeTextFile(int descriptor);

// The bytes a text-mode write of `bytes` stores: each LF preceded by CR, nothing else changed.
std::string textModeBytes(const std::string& bytes);

}  // namespace kestrane
