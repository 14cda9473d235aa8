#include "platform/cups/cups_connection.h"

#include "platform/cups/cups_library.h"

namespace kestrane {

namespace {

// Called when a wait has lasted its limit: give up, so the request fails.
int stopWaiting(http_t*, void*) { return 0; }

struct Connection {
    http_t* http = nullptr;
    ~Connection() {
        if (http != nullptr) httpClose(http);
    }
};

Connection& threadConnection() {
    thread_local Connection connection;
    return connection;
}

}  // namespace

std::string schedulerName() {
    const std::string server = cupsServer();
    return server.empty() || server[0] == '/' ? server : server + ":" + std::to_string(ippPort());
}

http_t* connectScheduler(const std::string& server, int port, int connectMilliseconds, double waitSeconds) {
    int cancel = 0;
    http_t* http = httpConnect2(server.c_str(), port, nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                connectMilliseconds, &cancel);
    if (http != nullptr) httpSetTimeout(http, waitSeconds, stopWaiting, nullptr);
    return http;
}

void dropSchedulerConnection() {
    Connection& connection = threadConnection();
    if (connection.http != nullptr) httpClose(connection.http);
    connection.http = nullptr;
}

http_t* schedulerConnection(std::string& error) {
    Connection& connection = threadConnection();
    if (connection.http != nullptr) return connection.http;
    connection.http = connectScheduler(cupsServer(), ippPort(), kSchedulerConnectMilliseconds, kSchedulerWaitSeconds);
    if (connection.http == nullptr) {
        error = "the CUPS scheduler at " + schedulerName() + " cannot be reached (" +
                cupsLastErrorString() + ")";
    }
    return connection.http;
}

}  // namespace kestrane
