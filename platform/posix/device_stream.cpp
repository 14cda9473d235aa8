// Printers on device files (USB printers as /dev/usb/lp0, serial ones as /dev/ttyS0 or
// /dev/serial/by-id/...), spoken to like a printer on raw TCP.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/tcp_stream.h"

namespace kestrane {

namespace {

int millisecondsLeft(Deadline deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return 0;
    return left.count() > 1000000 ? 1000000 : static_cast<int>(left.count());
}

bool waitFor(int fd, short events, Deadline deadline, NetError& error) {
    for (;;) {
        const int wait = millisecondsLeft(deadline);
        if (wait == 0) {
            error = NetError{NetError::TimedOut, ""};
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, wait);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) {
            error = NetError{NetError::Failed, std::strerror(errno)};
            return false;
        }
    }
}

class DeviceStream : public TcpStream {
  public:
    DeviceStream(int fd, bool readable) : fd_(fd), readable_(readable) {}
    ~DeviceStream() override { ::close(fd_); }
    DeviceStream(const DeviceStream&) = delete;
    DeviceStream& operator=(const DeviceStream&) = delete;

    bool sendAll(const std::string& bytes, Deadline deadline, NetError& error) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!waitFor(fd_, POLLOUT, deadline, error)) return false;
            } else if (n < 0 && errno != EINTR) {
                error = NetError{NetError::Failed, std::strerror(errno)};
                return false;
            }
        }
        return true;
    }

    bool receiveByte(unsigned char& byte, Deadline deadline, NetError& error) override {
        if (!readable_) {
            // Opened for writing only: nothing will ever be read, as from a printer that is silent.
            ::poll(nullptr, 0, millisecondsLeft(deadline));
            error = NetError{NetError::TimedOut, ""};
            return false;
        }
        for (;;) {
            const ssize_t n = ::read(fd_, &byte, 1);
            if (n == 1) return true;
            // A device with nothing to say reads as the end of the file; wait and ask again.
            if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
                if (millisecondsLeft(deadline) == 0) {
                    error = NetError{NetError::TimedOut, ""};
                    return false;
                }
                if (n != 0 && !waitFor(fd_, POLLIN, deadline, error)) return false;
                if (n == 0) ::poll(nullptr, 0, 10);
            } else if (errno != EINTR) {
                error = NetError{NetError::Failed, std::strerror(errno)};
                return false;
            }
        }
    }

    std::size_t unreadBytes() override {
        int count = 0;
        return readable_ && ::ioctl(fd_, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
    }

  private:
    int fd_;
    bool readable_;
};

}  // namespace

std::unique_ptr<TcpStream> openDevice(const std::string& path, NetError& error) {
    // Read and write when the device allows it (status answers come back), else write only.
    bool readable = true;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EINVAL || errno == EPERM)) {
        readable = false;
        fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0) {
        error = NetError{NetError::Failed, std::strerror(errno)};
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) {
        // A receipt is never written into a file or a pipe that an address happens to name.
        ::close(fd);
        error = NetError{NetError::Failed, "not a character device"};
        return nullptr;
    }
    if (::isatty(fd)) {
        // A serial line passes the bytes as they are: no line discipline, no echo.
        termios mode{};
        if (::tcgetattr(fd, &mode) == 0) {
            ::cfmakeraw(&mode);
            ::tcsetattr(fd, TCSANOW, &mode);
        }
    }
    return std::make_unique<DeviceStream>(fd, readable);
}

}  // namespace kestrane
