#include "binding/print_lanes.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace kestrane {

namespace {

struct Lanes {
    std::mutex lock;
    std::map<std::string, std::deque<std::function<void()>>> waiting;  // a printer with a thread
};

// Never destroyed: a lane's thread may still be finishing while the process exits.
Lanes& lanes() {
    static Lanes* all = new Lanes;
    return *all;
}

// The thread of one printer: runs its jobs until none is left, then ends.
void drain(const std::string& printer) {
    Lanes& all = lanes();
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard<std::mutex> guard(all.lock);
            auto lane = all.waiting.find(printer);
            if (lane->second.empty()) {
                all.waiting.erase(lane);
                return;
            }
            job = std::move(lane->second.front());
            lane->second.pop_front();
        }
        job();
    }
}

}  // namespace

void runInLaneAndWait(const std::string& printer, const std::function<void()>& job) {
    Lanes& all = lanes();
    {
        std::unique_lock<std::mutex> guard(all.lock);
        const auto lane = all.waiting.find(printer);
        if (lane != all.waiting.end()) {
            // The lane is busy: wait for the turn of this job.
            std::condition_variable turn;
            bool done = false;
            lane->second.push_back([&] {
                job();
                std::lock_guard<std::mutex> doneGuard(all.lock);
                done = true;
                turn.notify_one();
            });
            turn.wait(guard, [&] { return done; });
            return;
        }
        all.waiting[printer];  // the lane is this thread's until the job is done
    }
    job();
    std::unique_lock<std::mutex> guard(all.lock);
    const auto lane = all.waiting.find(printer);
    if (lane->second.empty()) {
        all.waiting.erase(lane);
        return;
    }
    try {
        std::thread(drain, printer).detach();  // jobs handed in meanwhile
    } catch (const std::system_error&) {
        // No thread to be had (a process at its limit): this caller runs them, late but run.
        guard.unlock();
        drain(printer);
    }
}

std::optional<std::string> runInLane(const std::string& printer, std::function<void()> job) {
    Lanes& all = lanes();
    std::lock_guard<std::mutex> guard(all.lock);
    const auto lane = all.waiting.find(printer);
    if (lane != all.waiting.end()) {
        lane->second.push_back(std::move(job));
        return std::nullopt;
    }
    all.waiting[printer].push_back(std::move(job));
    try {
        std::thread(drain, printer).detach();
    } catch (const std::system_error& error) {
        all.waiting.erase(printer);
        return std::string("no thread could be started for the printer's jobs (") + error.what() + ")";
    }
    return std::nullopt;
}

}  // namespace kestrane
