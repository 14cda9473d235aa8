// A scriptable line printer daemon on a loopback port, for tests of the client's behaviour on
// faults no real server shows on demand: a negative acknowledgement or a closed connection at a
// chosen step, a server that never answers, slow answers. It serves one connection and records
// what the client sent.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace kestrane::testing {

class LpdTestServer {
  public:
    // Steps in the order the client sends them.
    enum Step { ReceiveJob = 0, ControlAnnounce, ControlFile, DataAnnounce, DataFile, Done };
    enum class Behaviour {
        Acknowledge,  // answers 0 to every step
        Refuse,       // answers 1 at `step`
        Close,        // closes the connection at `step` without answering
        Silent,       // stops answering at `step`, keeping the connection open
        Flood,        // answers `step` with five zero bytes at once, then reads nothing more
        StopReading,  // at `step` (a file), reads none of it, keeping the connection open
    };

    struct Received {
        std::string queue, controlAnnounce, control, dataAnnounce, data;
        int stepsAnswered = 0;
    };

    explicit LpdTestServer(Behaviour behaviour = Behaviour::Acknowledge, Step step = Done,
                           std::chrono::milliseconds delay = std::chrono::milliseconds(0))
        : behaviour_(behaviour), step_(step), delay_(delay) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        socklen_t size = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~LpdTestServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }

    LpdTestServer(const LpdTestServer&) = delete;
    LpdTestServer& operator=(const LpdTestServer&) = delete;

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

    // Whether a client connected at all.
    bool accepted() const { return accepted_; }

    // What the client sent, once the conversation is over (or the server gave up on it).
    Received received() {
        for (int i = 0; i < 500 && !finished_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

  private:
    // Waits for readability until stopped. False when stopped.
    bool waitReadable(int fd) {
        while (!stop_) {
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 20) > 0) return true;
        }
        return false;
    }

    bool readByte(int fd, char& c) { return waitReadable(fd) && ::recv(fd, &c, 1, 0) == 1; }

    bool readLine(int fd, std::string& line) {
        line.clear();
        for (char c; readByte(fd, c);) {
            line += c;
            if (c == '\n') return true;
        }
        return false;
    }

    bool readCount(int fd, std::size_t count, std::string& bytes) {
        bytes.clear();
        for (char c; bytes.size() < count && readByte(fd, c);) bytes += c;
        return bytes.size() == count;
    }

    // Answers `step` as scripted. False when the conversation ends here.
    bool answer(int fd, Step step) {
        if (step == step_ && behaviour_ == Behaviour::Silent) {
            while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return false;
        }
        if (step == step_ && behaviour_ == Behaviour::Close) return false;
        if (step == step_ && behaviour_ == Behaviour::Flood) {
            ::send(fd, std::string(5, '\0').data(), 5, MSG_NOSIGNAL);
            while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return false;
        }
        std::this_thread::sleep_for(delay_);
        const char ack = step == step_ && behaviour_ == Behaviour::Refuse ? 1 : 0;
        ::send(fd, &ack, 1, MSG_NOSIGNAL);
        std::lock_guard<std::mutex> lock(mutex_);
        ++received_.stepsAnswered;
        return ack == 0;
    }

    void record(std::string Received::*field, const std::string& value) {
        std::lock_guard<std::mutex> lock(mutex_);
        received_.*field = value;
    }

    // Reads "\x02<count> cfA..." or "\x03<count> dfA..." and the file that follows.
    bool receiveFile(int fd, std::string& announce) {
        if (!readLine(fd, announce)) return false;
        const bool control = announce[0] == '\x02';
        record(control ? &Received::controlAnnounce : &Received::dataAnnounce, announce);
        if (!answer(fd, control ? ControlAnnounce : DataAnnounce)) return false;
        if (behaviour_ == Behaviour::StopReading && step_ == (control ? ControlFile : DataFile)) {
            while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return false;
        }
        std::string bytes;
        const std::size_t count = std::stoul(announce.substr(1));
        if (!readCount(fd, count + 1, bytes)) return false;
        record(control ? &Received::control : &Received::data, bytes.substr(0, count));
        return answer(fd, control ? ControlFile : DataFile);
    }

    void serve() {
        if (waitReadable(listener_)) {
            const int fd = ::accept(listener_, nullptr, nullptr);
            accepted_ = true;
            std::string line;
            if (readLine(fd, line)) {
                record(&Received::queue, line);
                if (answer(fd, ReceiveJob)) {
                    std::string announce;
                    if (receiveFile(fd, announce)) receiveFile(fd, announce);
                }
            }
            ::close(fd);
        }
        finished_ = true;
    }

    Behaviour behaviour_;
    Step step_;
    std::chrono::milliseconds delay_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> accepted_{false};
    std::mutex mutex_;
    Received received_;
    std::thread thread_;
};

// A loopback port with nothing listening on it (free when this returns).
inline std::uint16_t unusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

}  // namespace kestrane::testing
