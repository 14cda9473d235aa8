#include "jobs/layout_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "markup/layout_limits.h"

namespace kestrane {

bool readLayoutFile(const std::string& path, std::string& bytes, std::string& error) {
    const bool isStdin = path == "-";
    std::FILE* file = isStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    // Read in pieces and never past the cap, so an endless stream (a device, a pipe that never
    // closes) is refused after kMaxLayoutBytes + 1 bytes instead of filling memory.
    char buffer[65536];
    std::size_t got;
    while (bytes.size() <= kMaxLayoutBytes &&
           (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    if (!isStdin) std::fclose(file);
    if (failed) {
        error = path + ": " + std::strerror(readErrno);
        return false;
    }
    if (bytes.size() > kMaxLayoutBytes) {
        error = path + ": the layout is larger than " + std::to_string(kMaxLayoutBytes) + " bytes (" +
                std::to_string(kMaxLayoutBytes >> 20) + " MiB), the most a receipt may be";
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace kestrane
