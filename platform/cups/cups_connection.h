// The calling thread's connection to the CUPS scheduler, with time limits. libcups' default
// connection waits as long as the scheduler keeps its socket open: a scheduler that stops
// answering in the middle of a job (stopped, swapped out, wedged) would hold the job, and the
// printer's lane behind it, for ever.
#pragma once

#include <cups/cups.h>

#include <string>

namespace kestrane {

// How long connecting may take, and how long any one wait for the scheduler (an answer, room to
// send) may last before the request fails.
constexpr int kSchedulerConnectMilliseconds = 5000;
constexpr double kSchedulerWaitSeconds = 15.0;

// The scheduler as messages name it: its socket's path, or host:port.
std::string schedulerName();

// A new connection to the scheduler `server` (host or socket path) at `port`, within
// `connectMilliseconds`, each later wait on it limited to `waitSeconds`; null when it cannot be
// reached in time.
http_t* connectScheduler(const std::string& server, int port, int connectMilliseconds, double waitSeconds);

// The calling thread's connection to the scheduler the CUPS client configuration names
// (CUPS_SERVER, client.conf), made on first use and kept; null, with `error` saying why, when
// the scheduler cannot be reached now (the next call tries again).
http_t* schedulerConnection(std::string& error);

// Closes the calling thread's connection, for one left in the middle of a request that failed:
// the next call makes a new one.
void dropSchedulerConnection();

}  // namespace kestrane
