#include "platform/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kestrane {

FileResult createEmptyFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return {errno};
    ::close(descriptor);
    return {};
}

OpenedFile openTextFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    return {descriptor, descriptor < 0 ? errno : 0};
}

FileResult writeTextFile(int descriptor, const std::string& bytes) {
    const std::string stored = textModeBytes(bytes);
    std::size_t done = 0;
    while (done < stored.size()) {
        const ssize_t n = ::write(descriptor, stored.data() + done, stored.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {n == 0 ? EIO : errno};  // no progress and no reason given: EIO
        done += static_cast<std::size_t>(n);
    }
    return {};
}

FileResult closeTextFile(int descriptor) {
    return {::close(descriptor) == 0 ? 0 : errno};
}

}  // namespace kestrane
