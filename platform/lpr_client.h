// Raw print jobs over the line printer daemon protocol (RFC 1179), the transport of the EPSON
// path: the job's bytes go to a named queue of the print server at the printer's address,
// unchanged, and every step of the protocol must be acknowledged.
#pragma once

#include <chrono>
#include <string>

namespace kestrane {

// Time limits of one job. Defaults suit a receipt printer on a local network.
struct RawLimits {
    std::chrono::milliseconds connect{5000};  // to open the connection
    std::chrono::milliseconds reply{15000};   // for each acknowledgement (and each send)
    std::chrono::milliseconds job{30000};     // for the whole job, connection included
    // A raw TCP printer's word that it printed the job, after the last byte was sent.
    std::chrono::milliseconds printed{60000};
};

struct RawJob {
    std::string queue;  // the server's queue name
    std::string name;   // the document's name, for the server's job list
    std::string bytes;  // what the printer gets
};

struct RawResult {
    bool delivered = false;  // the server acknowledged every step of the job
    std::string error;       // a sentence saying what went wrong, when not delivered
    std::string warning;     // what a person should know of a delivered job
};

// Sends `job` to the print server at `address` ("host", "host:port", "[IPv6]:port"; port 515 by
// default). Returns delivered only when the server acknowledged the receive-job command, the
// control file and the data file; otherwise the reason (refused connection, negative
// acknowledgement, closed connection, time-out), never after the limits have passed.
RawResult sendRawJob(const std::string& address, const RawJob& job,
                     const RawLimits& limits = RawLimits());

// The control file of a job: host (H), user (P), job name (J), print the data file literally (l),
// source file name (N).
std::string lpdControlFile(const std::string& host, const std::string& user,
                           const std::string& jobName, const std::string& dataFileName);

}  // namespace kestrane
