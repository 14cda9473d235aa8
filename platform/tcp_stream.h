// A TCP connection, or a printer's device file, whose every operation ends by a deadline, so
// that a dead or silent peer gives an error instead of a hang.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrane {

using Deadline = std::chrono::steady_clock::time_point;

struct NetError {
    enum Kind { None, TimedOut, Closed, Failed } kind = None;
    std::string reason;  // the system's text for Failed
};

class TcpStream {
  public:
    virtual ~TcpStream() = default;
    // Sends every byte of `bytes` before `deadline`. Returns false with `error` set otherwise.
    virtual bool sendAll(const std::string& bytes, Deadline deadline, NetError& error) = 0;
    // Receives one byte before `deadline`. Returns false with `error` set otherwise (Closed when
    // the peer ended the connection first).
    virtual bool receiveByte(unsigned char& byte, Deadline deadline, NetError& error) = 0;
    // How many bytes the peer has sent that were not read yet, without waiting.
    virtual std::size_t unreadBytes() = 0;
};

// Resolves `host` and connects to `port`, trying each address the resolver gives, all before
// `deadline`. Returns null with `error` set when no address accepted the connection.
std::unique_ptr<TcpStream> connectTcp(const std::string& host, std::uint16_t port,
                                      Deadline deadline, NetError& error);

// Opens the character device at `path` (a USB or serial printer) as a stream: read and write
// when it allows, else write only (then nothing is ever received). Null with `error` set for a
// path that cannot be opened or is not a character device.
std::unique_ptr<TcpStream> openDevice(const std::string& path, NetError& error);

}  // namespace kestrane
