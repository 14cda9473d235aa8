#include "platform/tcp_stream.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace kestrane {

namespace {

// Milliseconds left until `deadline`, rounded up so that a wait never ends early; 0 when past.
int millisecondsLeft(Deadline deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return 0;
    return left.count() > 1000000 ? 1000000 : static_cast<int>(left.count());
}

NetError failed(const std::string& reason) {
    return NetError{NetError::Failed, reason};
}

// Waits until `fd` is ready for `events`. Returns false with `error` set on time-out or failure.
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
            error = failed(std::strerror(errno));
            return false;
        }
    }
}

// A connected socket, or a printer's character device (USB, serial), which is read and written
// the same way but for a device's "nothing yet", which reads as an end of file.
class PosixTcpStream : public TcpStream {
  public:
    enum class Kind { kSocket, kDevice, kWriteOnlyDevice };
    explicit PosixTcpStream(int fd, Kind kind = Kind::kSocket) : fd_(fd), kind_(kind) {}
    ~PosixTcpStream() override { ::close(fd_); }
    PosixTcpStream(const PosixTcpStream&) = delete;
    PosixTcpStream& operator=(const PosixTcpStream&) = delete;

    bool sendAll(const std::string& bytes, Deadline deadline, NetError& error) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = kind_ == Kind::kSocket
                                  ? ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                                  : ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!waitFor(fd_, POLLOUT, deadline, error)) return false;
            } else if (n < 0 && errno != EINTR) {
                error = failed(std::strerror(errno));
                return false;
            }
        }
        return true;
    }

    bool receiveByte(unsigned char& byte, Deadline deadline, NetError& error) override {
        if (kind_ == Kind::kWriteOnlyDevice) {
            // Nothing will ever be read: as from a printer that is silent.
            ::poll(nullptr, 0, millisecondsLeft(deadline));
            error = NetError{NetError::TimedOut, ""};
            return false;
        }
        for (;;) {
            const ssize_t n = kind_ == Kind::kSocket ? ::recv(fd_, &byte, 1, 0) : ::read(fd_, &byte, 1);
            if (n == 1) return true;
            if (n == 0 && kind_ == Kind::kDevice) {
                // A device with nothing to say yet: ask again shortly.
                if (millisecondsLeft(deadline) == 0) {
                    error = NetError{NetError::TimedOut, ""};
                    return false;
                }
                ::poll(nullptr, 0, 10);
                continue;
            }
            if (n == 0) {
                error = NetError{NetError::Closed, ""};
                return false;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!waitFor(fd_, POLLIN, deadline, error)) return false;
            } else if (errno != EINTR) {
                error = failed(std::strerror(errno));
                return false;
            }
        }
    }

    std::size_t unreadBytes() override {
        int count = 0;
        return kind_ != Kind::kWriteOnlyDevice && ::ioctl(fd_, FIONREAD, &count) == 0 && count > 0
                   ? static_cast<std::size_t>(count)
                   : 0;
    }

  private:
    int fd_;
    Kind kind_;
};

struct AddressList {
    addrinfo* head = nullptr;
    ~AddressList() {
        if (head != nullptr) ::freeaddrinfo(head);
    }
};

// The resolver has no time limit of its own, so a name lookup runs on a thread of its own that
// the caller stops waiting for at the deadline; the thread then finishes and cleans up alone.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int status = 0;
    AddressList list;
};

bool resolve(const std::string& host, std::uint16_t port, Deadline deadline, AddressList& out,
             NetError& error) {
    const std::string service = std::to_string(port);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    int status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &out.head);
    if (status == EAI_NONAME) {
        auto lookup = std::make_shared<Lookup>();
        hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
        std::thread([lookup, host, service, hints] {
            addrinfo* head = nullptr;
            const int result = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &head);
            std::lock_guard<std::mutex> lock(lookup->mutex);
            lookup->status = result;
            lookup->list.head = head;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
        std::unique_lock<std::mutex> lock(lookup->mutex);
        if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; })) {
            error = failed("the host name was not resolved within the time limit");
            return false;
        }
        status = lookup->status;
        out.head = lookup->list.head;
        lookup->list.head = nullptr;
    }
    if (status != 0) {
        error = failed(status == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(status));
        return false;
    }
    return true;
}

// Connects one address. Returns the descriptor, or -1 with `error` set.
int connectOne(const addrinfo& address, Deadline deadline, NetError& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0) {
        error = failed(std::strerror(errno));
        return -1;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            error = failed(std::strerror(errno));
            ::close(fd);
            return -1;
        }
        if (!waitFor(fd, POLLOUT, deadline, error)) {
            ::close(fd);
            return -1;
        }
        int result = 0;
        socklen_t size = sizeof result;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &size) != 0) result = errno;
        if (result != 0) {
            error = failed(std::strerror(result));
            ::close(fd);
            return -1;
        }
    }
    return fd;
}

}  // namespace

std::unique_ptr<TcpStream> connectTcp(const std::string& host, std::uint16_t port,
                                      Deadline deadline, NetError& error) {
    AddressList addresses;
    if (!resolve(host, port, deadline, addresses, error)) return nullptr;
    error = failed("no address to connect to");
    for (const addrinfo* address = addresses.head; address != nullptr; address = address->ai_next) {
        const int fd = connectOne(*address, deadline, error);
        if (fd >= 0) return std::make_unique<PosixTcpStream>(fd);
        if (error.kind == NetError::TimedOut) break;
    }
    return nullptr;
}

std::unique_ptr<TcpStream> openDevice(const std::string& path, NetError& error) {
    // Read and write when the device allows it (status answers come back), else write only.
    auto kind = PosixTcpStream::Kind::kDevice;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EINVAL || errno == EPERM)) {
        kind = PosixTcpStream::Kind::kWriteOnlyDevice;
        fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0) {
        error = failed(std::strerror(errno));
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) {
        // A receipt is never written into a file or a pipe that an address happens to name.
        ::close(fd);
        error = failed("not a character device");
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
    return std::make_unique<PosixTcpStream>(fd, kind);
}

}  // namespace kestrane
