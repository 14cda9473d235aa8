#include "platform/tcp_stream.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
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

class PosixTcpStream : public TcpStream {
  public:
    explicit PosixTcpStream(int fd) : fd_(fd) {}
    ~PosixTcpStream() override { ::close(fd_); }
    PosixTcpStream(const PosixTcpStream&) = delete;
    PosixTcpStream& operator=(const PosixTcpStream&) = delete;

    bool sendAll(const std::string& bytes, Deadline deadline, NetError& error) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
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
        for (;;) {
            const ssize_t n = ::recv(fd_, &byte, 1, 0);
            if (n == 1) return true;
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
        return ::ioctl(fd_, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
    }

  private:
    int fd_;
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

}  // namespace kestrane
