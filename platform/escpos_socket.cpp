#include "platform/escpos_socket.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "platform/seconds_text.h"
#include "platform/tcp_stream.h"

namespace kestrane {

namespace {

using Clock = std::chrono::steady_clock;

// A four-character identity for the printed answer, different for consecutive jobs.
std::string processId() {
    static std::atomic<unsigned> next{0};
    const std::string number = std::to_string(next.fetch_add(1) % 1000u);
    return "K" + std::string(3 - number.size(), '0') + number;
}

// How long a device file is given to answer a status request before it counts as one that
// does not read back (many USB and serial printers do not).
constexpr std::chrono::milliseconds kDeviceStatusWait{2000};

class SocketSession {
  public:
    SocketSession(std::string where, const RawLimits& limits) : where_(std::move(where)), limits_(limits) {}

    bool open(const std::string& path) {
        NetError error;
        stream_ = openDevice(path, error);
        if (stream_) return true;
        error_ = "Could not open the printer at " + where_ + ": " + error.reason;
        return false;
    }

    bool connect(const PrinterAddress& address) {
        NetError error;
        stream_ = connectTcp(address.host, address.port, Clock::now() + limits_.connect, error);
        if (stream_) return true;
        error_ = error.kind == NetError::TimedOut
                     ? "The printer at " + where_ + " did not accept a connection within " + secondsText(limits_.connect)
                     : "Could not connect to the printer at " + where_ + ": " + error.reason;
        return false;
    }

    // DLE EOT n: one status byte, within `limit`.
    bool status(unsigned char n, unsigned char& answer, std::chrono::milliseconds limit) {
        return send(std::string("\x10\x04", 2) + static_cast<char>(n), "the status request") &&
               receive(answer, limit, "its status");
    }

    bool timedOut() const { return timedOut_; }

    bool send(const std::string& bytes, const std::string& what) {
        NetError error;
        if (stream_->sendAll(bytes, Clock::now() + limits_.reply + bytesTime(bytes.size()), error)) return true;
        error_ = error.kind == NetError::TimedOut
                     ? "The printer at " + where_ + " stopped taking data: " + what + " could not be sent within " +
                           secondsText(limits_.reply)
                     : failed(error, what);
        return false;
    }

    // One byte within `limit` of now, or of `since` when given.
    bool receive(unsigned char& byte, std::chrono::milliseconds limit, const std::string& what,
                 Clock::time_point since = Clock::now()) {
        NetError error;
        if (stream_->receiveByte(byte, since + limit, error)) return true;
        timedOut_ = error.kind == NetError::TimedOut;
        error_ = timedOut_ ? "The printer at " + where_ + " did not report " + what + " within " + secondsText(limit)
                           : failed(error, "waiting for " + what);
        return false;
    }

    // Waits for the printer's answer to GS ( H with `id`: 0x37 0x22, the id, NUL. Other bytes it
    // sends meanwhile (automatic status) are passed over.
    bool printed(const std::string& id) {
        const std::string wanted = std::string("\x37\x22", 2) + id + std::string(1, '\0');
        const Clock::time_point sent = Clock::now();
        std::string heard;
        while (heard.size() < wanted.size() || heard.compare(heard.size() - wanted.size(), wanted.size(), wanted) != 0) {
            unsigned char byte = 0;
            if (!receive(byte, limits_.printed, "that it printed the receipt", sent)) {
                // It may have printed: what is missing is its word.
                if (timedOut_) error_ = "No confirmation that the receipt printed: t" + error_.substr(1);
                return false;
            }
            heard += static_cast<char>(byte);
            if (heard.size() > 4096) heard.erase(0, 2048);
        }
        return true;
    }

    const std::string& where() const { return where_; }
    const RawLimits& limits() const { return limits_; }
    const std::string& error() const { return error_; }

  private:
    // Sending a long raster takes time at a printer's own pace (some take 100 kB/s or less).
    std::chrono::milliseconds bytesTime(std::size_t bytes) const { return std::chrono::milliseconds(bytes / 50); }

    std::string failed(const NetError& error, const std::string& what) const {
        return error.kind == NetError::Closed
                   ? "The printer at " + where_ + " closed the connection during " + what
                   : "The connection to the printer at " + where_ + " failed during " + what + ": " + error.reason;
    }

    std::string where_;
    RawLimits limits_;
    std::unique_ptr<TcpStream> stream_;
    bool timedOut_ = false;
    std::string error_;
};

}  // namespace

std::string escposStatusProblem(unsigned char printer, unsigned char offlineCause, unsigned char paper) {
    if (offlineCause & 0x04) return "The printer's cover is open";
    if ((offlineCause & 0x20) || (paper & 0x60)) return "The printer is out of paper";
    if (offlineCause & 0x40) return "The printer reports an error and needs attention";
    if (printer & 0x08) return "The printer is offline";
    return "";
}

namespace {

// The job on an open session: status, the receipt, the printed answer. A printer that may not
// read back (a device file) gets `firstAnswer` to answer the first status request; one that lets
// it pass without a word is given the bytes alone, with a warning that it cannot say it printed.
RawResult print(SocketSession& session, const std::string& bytes, std::chrono::milliseconds firstAnswer,
                bool mayNotReadBack) {
    unsigned char printer = 0, offlineCause = 0, paper = 0;
    RawResult result;
    if (!session.status(1, printer, firstAnswer)) {
        if (!(mayNotReadBack && session.timedOut())) {
            result.error = session.error();
        } else if ((result.delivered = session.send(bytes, "the receipt"))) {
            result.warning = "the printer at " + session.where() + " does not report its status: no word that it printed";
        } else {
            result.error = session.error();
        }
        return result;
    }
    if (!session.status(2, offlineCause, session.limits().reply) || !session.status(4, paper, session.limits().reply)) {
        result.error = session.error();
        return result;
    }
    const std::string problem = escposStatusProblem(printer, offlineCause, paper);
    if (!problem.empty()) {
        result.error = problem + " (the printer at " + session.where() + " was sent nothing)";
        return result;
    }
    const std::string id = processId();
    const std::string askPrinted = std::string("\x1D\x28\x48\x06\x00\x30\x30", 7) + id;
    result.delivered = session.send(bytes, "the receipt") && session.send(askPrinted, "the request to report printing") &&
                       session.printed(id);
    if (!result.delivered) result.error = session.error();
    return result;
}

}  // namespace

RawResult printOnSocket(const PrinterAddress& address, const std::string& bytes, const RawLimits& limits) {
    SocketSession session("socket://" + describePrinterAddress(address), limits);
    if (!session.connect(address)) return {false, session.error(), {}};
    return print(session, bytes, limits.reply, false);
}

RawResult printOnDevice(const std::string& path, const std::string& bytes, const RawLimits& limits) {
    SocketSession session(path, limits);
    if (!session.open(path)) return {false, session.error(), {}};
    return print(session, bytes, std::min(limits.reply, kDeviceStatusWait), true);
}

}  // namespace kestrane
