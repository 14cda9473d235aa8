#include "platform/tcp_stream.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/system_error.h"

namespace kestrane {

namespace {

// Winsock is started once for the process and left running.
bool winsockStarted() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

NetError failed(const std::string& reason) {
    return NetError{NetError::Failed, reason};
}

NetError lastSocketError() {
    return failed(systemErrorText(WSAGetLastError()));
}

// Waits until `socket` can be written (or read). Returns false with `error` set on time-out or
// failure.
bool waitFor(SOCKET socket, bool writing, Deadline deadline, NetError& error) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error = NetError{NetError::TimedOut, ""};
            return false;
        }
        const auto wait = std::min<long long>(left.count(), 1000000000LL);
        timeval timeout{static_cast<long>(wait / 1000000), static_cast<long>(wait % 1000000)};
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(socket, &ready);
        fd_set failures;
        FD_ZERO(&failures);
        FD_SET(socket, &failures);
        const int count =
            select(0, writing ? nullptr : &ready, writing ? &ready : nullptr, &failures, &timeout);
        if (count == SOCKET_ERROR) {
            error = lastSocketError();
            return false;
        }
        if (count > 0) return true;
    }
}

class WinsockStream : public TcpStream {
  public:
    explicit WinsockStream(SOCKET socket) : socket_(socket) {}
    ~WinsockStream() override { closesocket(socket_); }
    WinsockStream(const WinsockStream&) = delete;
    WinsockStream& operator=(const WinsockStream&) = delete;

    bool sendAll(const std::string& bytes, Deadline deadline, NetError& error) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
            const int n = send(socket_, bytes.data() + done, chunk, 0);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
                if (!waitFor(socket_, true, deadline, error)) return false;
            } else {
                error = lastSocketError();
                return false;
            }
        }
        return true;
    }

    bool receiveByte(unsigned char& byte, Deadline deadline, NetError& error) override {
        for (;;) {
            const int n = recv(socket_, reinterpret_cast<char*>(&byte), 1, 0);
            if (n == 1) return true;
            if (n == 0) {
                error = NetError{NetError::Closed, ""};
                return false;
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                error = lastSocketError();
                return false;
            }
            if (!waitFor(socket_, false, deadline, error)) return false;
        }
    }

    std::size_t unreadBytes() override {
        u_long count = 0;
        return ioctlsocket(socket_, FIONREAD, &count) == 0 ? static_cast<std::size_t>(count) : 0;
    }

  private:
    SOCKET socket_;
};

struct AddressList {
    addrinfo* head = nullptr;
    ~AddressList() {
        if (head != nullptr) freeaddrinfo(head);
    }
};

// The resolver has no time limit of its own: a name lookup runs on a thread of its own that the
// caller stops waiting for at the deadline; the thread then finishes and cleans up alone.
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
    int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &out.head);
    if (status == EAI_NONAME) {
        auto lookup = std::make_shared<Lookup>();
        hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
        std::thread([lookup, host, service, hints] {
            addrinfo* head = nullptr;
            const int result = getaddrinfo(host.c_str(), service.c_str(), &hints, &head);
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
        error = failed(systemErrorText(status));
        return false;
    }
    return true;
}

// Connects one address. Returns the socket, or INVALID_SOCKET with `error` set.
SOCKET connectOne(const addrinfo& address, Deadline deadline, NetError& error) {
    const SOCKET socket = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (socket == INVALID_SOCKET) {
        error = lastSocketError();
        return INVALID_SOCKET;
    }
    u_long nonBlocking = 1;
    if (ioctlsocket(socket, FIONBIO, &nonBlocking) != 0 ||
        (connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0 &&
         WSAGetLastError() != WSAEWOULDBLOCK)) {
        error = lastSocketError();
        closesocket(socket);
        return INVALID_SOCKET;
    }
    if (!waitFor(socket, true, deadline, error)) {
        closesocket(socket);
        return INVALID_SOCKET;
    }
    int result = 0;
    int size = sizeof result;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &size) != 0) {
        result = WSAGetLastError();
    }
    if (result != 0) {
        error = failed(systemErrorText(result));
        closesocket(socket);
        return INVALID_SOCKET;
    }
    return socket;
}

}  // namespace

std::unique_ptr<TcpStream> connectTcp(const std::string& host, std::uint16_t port,
                                      Deadline deadline, NetError& error) {
    if (!winsockStarted()) {
        error = failed("Windows Sockets could not be started");
        return nullptr;
    }
    AddressList addresses;
    if (!resolve(host, port, deadline, addresses, error)) return nullptr;
    error = failed("no address to connect to");
    for (const addrinfo* address = addresses.head; address != nullptr; address = address->ai_next) {
        const SOCKET socket = connectOne(*address, deadline, error);
        if (socket != INVALID_SOCKET) return std::make_unique<WinsockStream>(socket);
        if (error.kind == NetError::TimedOut) break;
    }
    return nullptr;
}

}  // namespace kestrane
