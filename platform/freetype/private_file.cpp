#include "platform/freetype/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kestrane {

namespace {

bool writeAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(descriptor, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates `folder` and the folders above it that are missing, each private to the user.
bool makeFolders(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
    if (errno != ENOENT) return false;
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos || slash == 0) return false;
    return makeFolders(folder.substr(0, slash)) &&
           (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST);
}

}  // namespace

uint64_t fnv1a(std::string_view text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

bool readAll(int descriptor, std::string& text, std::size_t limit) {
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(descriptor, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (text.size() + static_cast<std::size_t>(n) > limit) return false;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

bool readPrivateFile(const std::string& file, std::string& text, std::size_t limit) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (descriptor < 0) return false;
    struct stat info {};
    const bool read = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
                      info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
                      static_cast<uintmax_t>(info.st_size) <= limit &&
                      readAll(descriptor, text, limit);
    ::close(descriptor);
    return read;
}

bool writePrivateFile(const std::string& file, std::string_view text) {
    const std::size_t slash = file.rfind('/');
    if (file.empty() || file[0] != '/' || slash == 0 || !makeFolders(file.substr(0, slash))) {
        return false;
    }
    std::string temporary = file + ".XXXXXX";
    const int descriptor = ::mkstemp(&temporary[0]);  // mode 0600
    if (descriptor < 0) return false;
    ::fcntl(descriptor, F_SETFD, FD_CLOEXEC);
    const bool written = writeAll(descriptor, text);
    if (::close(descriptor) == 0 && written && ::rename(temporary.c_str(), file.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace kestrane
