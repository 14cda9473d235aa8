// The small files kept in the user's cache folder between runs (faces fontconfig resolved, glyphs
// FreeType rendered): read only when this user alone could have written them, written whole or
// not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrane {

// FNV-1a, for file names that stand for a longer key (the file itself repeats the key).
uint64_t fnv1a(std::string_view text);

// Reads all of `descriptor`, failing beyond `limit` bytes.
bool readAll(int descriptor, std::string& text, std::size_t limit);

// Reads `file`; false when it is missing, not a regular file of this user's that only they can
// write, or larger than `limit`. Never waits on a FIFO someone left in a shared folder.
bool readPrivateFile(const std::string& file, std::string& text, std::size_t limit);

// Writes `text` to `file` (an absolute path) through a temporary file (mode 0600) renamed over
// it, creating the folders that are missing (mode 0700); false on any failure, leaving no
// temporary file behind.
bool writePrivateFile(const std::string& file, std::string_view text);

}  // namespace kestrane
