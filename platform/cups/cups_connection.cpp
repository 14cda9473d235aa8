#include "platform/cups/cups_connection.h"


#include "platform/cups/cups_library.h"

namespace kestrane {

namespace {

// Called when a wait has lasted kSchedulerWaitSeconds: give up, so the request fails.
int stopWaiting(http_t*, void*) { return 0; }

struct Connection {
    http_t* http = nullptr;
    ~Connection() {
        if (http != nullptr) httpClose(http);
    }
};

}  // namespace

std::string schedulerName() {
    const std::string server = cupsServer();
    return server.empty() || server[0] == '/' ? server : server + ":" + std::to_string(ippPort());
}

namespace {

Connection& threadConnection() {
    thread_local Connection connection;
    return connection;
}

}  // namespace

void dropSchedulerConnection() {
    Connection& connection = threadConnection();
    if (connection.http != nullptr) httpClose(connection.http);
    connection.http = nullptr;
}

http_t* schedulerConnection(std::string& error) {
    Connection& connection = threadConnection();
    if (connection.http != nullptr) return connection.http;
    const char* server = cupsServer();
    int cancel = 0;
    connection.http = httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                   kSchedulerConnectMilliseconds, &cancel);
    if (connection.http == nullptr) {
        error = "the CUPS scheduler at " + schedulerName() + " cannot be reached (" +
                cupsLastErrorString() + ")";
        return nullptr;
    }
    httpSetTimeout(connection.http, kSchedulerWaitSeconds, stopWaiting, nullptr);
    return connection.http;
}

}  // namespace kestrane
