#include "platform/cups/live_jobs.h"

#include <cups/cups.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/cups/cups_connection.h"
#include "platform/cups/cups_library.h"

namespace kestrane {

namespace {

// At exit, how long to try to reach the scheduler: a till must not hang on its way out.
constexpr int kExitConnectMilliseconds = 1000;
constexpr double kExitWaitSeconds = 2.0;

using Scheduler = std::pair<std::string, int>;  // the server (host or socket path) and port

struct Registry {
    std::mutex lock;
    std::multimap<Scheduler, int> jobs;
};

// A new connection for each scheduler: the threads' own ones may be in the middle of a request.
void cancelAll(const std::multimap<Scheduler, int>& jobs) {
    for (auto at = jobs.begin(); at != jobs.end();) {
        const auto last = jobs.upper_bound(at->first);
        http_t* http = connectScheduler(at->first.first, at->first.second, kExitConnectMilliseconds, kExitWaitSeconds);
        for (; http != nullptr && at != last; ++at) {
            ipp_t* request = ippNewRequest(IPP_OP_CANCEL_JOB);
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/");
            ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", at->second);
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
            ippDelete(cupsDoRequest(http, request, "/jobs/"));
        }
        if (http != nullptr) httpClose(http);
        at = last;
    }
}

// Never destroyed: a job's thread may still be sending while the process exits.
Registry& registry() {
    static Registry* const all = [] {
        auto* created = new Registry;
        std::atexit([] {
            std::multimap<Scheduler, int> jobs;
            {
                std::lock_guard<std::mutex> guard(registry().lock);
                jobs.swap(registry().jobs);
            }
            cancelAll(jobs);
        });
        return created;
    }();
    return *all;
}

Scheduler callersScheduler() { return {cupsServer(), ippPort()}; }

}  // namespace

LiveCupsJob::LiveCupsJob(int job) : job_(job) {
    Registry& all = registry();
    std::lock_guard<std::mutex> guard(all.lock);
    all.jobs.emplace(callersScheduler(), job_);
}

LiveCupsJob::~LiveCupsJob() {
    Registry& all = registry();
    const Scheduler scheduler = callersScheduler();
    std::lock_guard<std::mutex> guard(all.lock);
    const auto range = all.jobs.equal_range(scheduler);
    for (auto at = range.first; at != range.second; ++at) {
        if (at->second == job_) {
            all.jobs.erase(at);
            return;
        }
    }
}

}  // namespace kestrane
