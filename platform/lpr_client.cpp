#include "platform/lpr_client.h"

#include <algorithm>
#include <atomic>
#include <random>

#include "platform/host_name.h"
#include "platform/printer_address.h"
#include "platform/seconds_text.h"
#include "platform/tcp_stream.h"

namespace kestrane {

namespace {

using Clock = std::chrono::steady_clock;

const char kUser[] = "kestrane";

// Host and file names go into control lines and file names that servers parse by position, so
// only letters, digits, ".", "-" and "_" survive, and the host at most 31 bytes as RFC 1179
// allows.
std::string safeName(const std::string& text, std::size_t limit, const char* fallback) {
    std::string safe;
    for (char c : text) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (keep && safe.size() < limit) safe += c;
    }
    return safe.empty() ? std::string(fallback) : safe;
}

// A three-digit job number, different for consecutive jobs of this process.
std::string jobNumber() {
    static std::atomic<unsigned> next{std::random_device{}() % 1000u};
    const unsigned number = next.fetch_add(1) % 1000u;
    std::string text = std::to_string(number);
    return std::string(3 - text.size(), '0') + text;
}

// One conversation with the server. Each step either succeeds or leaves `error` set.
class LprSession {
  public:
    LprSession(const PrinterAddress& address, const RawLimits& limits)
        : where_(describePrinterAddress(address)),
          limits_(limits),
          jobDeadline_(Clock::now() + limits.job) {}

    bool connect(const PrinterAddress& address) {
        const Deadline deadline = std::min(Clock::now() + limits_.connect, jobDeadline_);
        NetError error;
        stream_ = connectTcp(address.host, address.port, deadline, error);
        if (stream_) return true;
        if (error.kind != NetError::TimedOut) {
            error_ = "Could not connect to the printer at " + where_ + ": " + error.reason;
        } else if (deadline == jobDeadline_) {
            error_ = jobTimeOut();
        } else {
            error_ = "The printer at " + where_ + " did not accept a connection within " +
                     secondsText(limits_.connect);
        }
        return false;
    }

    // Sends `bytes`, then reads the one-byte acknowledgement, which must be zero. Bytes that
    // arrived before the step was sent cannot acknowledge it: they are a protocol error.
    bool step(const std::string& bytes, const std::string& what) {
        if (outOfTurn("before " + what)) return false;
        const Deadline deadline = std::min(Clock::now() + limits_.reply, jobDeadline_);
        NetError error;
        unsigned char ack = 0;
        const bool sent = stream_->sendAll(bytes, deadline, error);
        if (sent && stream_->receiveByte(ack, deadline, error)) {
            if (ack == 0) return true;
            error_ = "The printer at " + where_ + " refused the print job (negative " +
                     "acknowledgement " + std::to_string(ack) + " to " + what + ")";
            return false;
        }
        if (error.kind == NetError::TimedOut) {
            // A printer that stops taking bytes is not one that stops answering: say which.
            error_ = deadline == jobDeadline_ ? jobTimeOut()
                     : sent ? "The printer at " + where_ + " did not answer within " +
                                  secondsText(limits_.reply) + " (waiting for the acknowledgement of " +
                                  what + ")"
                            : "The printer at " + where_ + " stopped taking data: " + what +
                                  " could not be sent within " + secondsText(limits_.reply);
        } else if (error.kind == NetError::Closed) {
            error_ =
                "The printer at " + where_ + " closed the connection before acknowledging " + what;
        } else {
            error_ = "The connection to the printer at " + where_ + " failed during " + what +
                     ": " + error.reason;
        }
        return false;
    }

    // Whether the server has sent bytes nobody asked for yet; sets the error if so.
    bool outOfTurn(const std::string& when) {
        const std::size_t surplus = stream_->unreadBytes();
        if (surplus == 0) return false;
        error_ = "The printer at " + where_ + " sent " + std::to_string(surplus) +
                 (surplus == 1 ? " byte" : " bytes") + " out of turn " + when +
                 " (a protocol error)";
        return true;
    }

    const std::string& error() const { return error_; }

  private:
    std::string jobTimeOut() const {
        return "The print job to the printer at " + where_ + " did not complete within " +
               secondsText(limits_.job);
    }

    std::string where_;
    RawLimits limits_;
    Deadline jobDeadline_;
    std::unique_ptr<TcpStream> stream_;
    std::string error_;
};

}  // namespace

std::string lpdControlFile(const std::string& host, const std::string& user,
                           const std::string& jobName, const std::string& dataFileName) {
    return "H" + host + "\nP" + user + "\nJ" + jobName + "\nl" + dataFileName + "\nN" + jobName +
           "\n";
}

RawResult sendRawJob(const std::string& address, const RawJob& job, const RawLimits& limits) {
    RawResult result;
    PrinterAddress printer;
    if (!parsePrinterAddress(address, printer, result.error)) return result;

    const std::string host = safeName(localHostName(), 31, "kestrane");
    const std::string number = jobNumber();
    const std::string dataFile = "dfA" + number + host;
    const std::string controlFile = "cfA" + number + host;
    const std::string control =
        lpdControlFile(host, kUser, safeName(job.name, 99, "receipt"), dataFile);
    const std::string queue = safeName(job.queue, 99, "RAW");

    LprSession session(printer, limits);
    const bool sent =
        session.connect(printer) &&
        session.step("\x02" + queue + "\n", "the receive-job command for queue " + queue) &&
        session.step("\x02" + std::to_string(control.size()) + " " + controlFile + "\n",
                     "the control file announcement") &&
        session.step(control + std::string(1, '\0'), "the control file") &&
        session.step("\x03" + std::to_string(job.bytes.size()) + " " + dataFile + "\n",
                     "the data file announcement") &&
        session.step(job.bytes + std::string(1, '\0'), "the data file") &&
        !session.outOfTurn("after acknowledging the data file");
    result.delivered = sent;
    if (!sent) result.error = session.error();
    return result;
}

}  // namespace kestrane
