#include "platform/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kestrane {

int openTextFile(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
}

bool writeTextFile(int descriptor, const std::string& bytes) {
    const std::string stored = textModeBytes(bytes);
    std::size_t done = 0;
    while (done < stored.size()) {
        const ssize_t n = ::write(descriptor, stored.data() + done, stored.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;  // no progress and no reason given
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool closeTextFile(int descriptor) {
    return ::close(descriptor) == 0;
}

}  // namespace kestrane
