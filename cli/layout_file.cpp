#include "cli/layout_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace kestrane {

bool readLayoutFile(const std::string& path, std::string& bytes, std::string& error) {
    const bool isStdin = path == "-";
    std::FILE* file = isStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    if (!isStdin) std::fclose(file);
    if (failed) {
        error = path + ": " + std::strerror(readErrno);
        return false;
    }
    return true;
}

bool loadLayout(const std::string& path, std::string& bytes) {
    std::string error;
    if (readLayoutFile(path, bytes, error)) return true;
    std::cerr << "kestrane: " << error << "\n";
    return false;
}

}  // namespace kestrane
