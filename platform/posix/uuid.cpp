#include "platform/uuid.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kestrane {

namespace {

bool readRandom(unsigned char* bytes, std::size_t size) {
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return got == size;
}

}  // namespace

std::string newUuidHex() {
    unsigned char bytes[16];
    if (!readRandom(bytes, sizeof bytes)) return std::string();
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return uuidHex(bytes);
}

}  // namespace kestrane
