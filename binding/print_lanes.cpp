#include "binding/print_lanes.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/seconds_text.h"

namespace kestrane {

namespace {

using Clock = std::chrono::steady_clock;

// A lane thread with nothing to do ends after this, so an idle process keeps no threads.
constexpr std::chrono::seconds kIdleThreadLife{2};

struct Waiting {
    std::uint64_t id = 0;
    std::function<void()> run;
    std::function<void(JobOutcome)> gaveUp;  // empty for a caller that waits itself
    std::chrono::milliseconds patience{0};
    Clock::time_point deadline;
};

struct Lane {
    std::deque<Waiting> jobs;
    bool running = false;    // a thread runs one of its jobs
    bool scheduled = false;  // it is in Lanes::ready
};

struct Lanes {
    std::mutex lock;
    std::map<std::string, Lane> lanes;  // printers with jobs running or waiting
    std::deque<std::string> ready;      // lanes whose next job may start, in turn
    std::condition_variable work;       // signalled when a lane becomes ready
    std::size_t threads = 0, idle = 0;
    // The deadlines of queued jobs that give up by themselves, and the thread that keeps them.
    std::multimap<Clock::time_point, std::pair<std::string, std::uint64_t>> deadlines;
    std::condition_variable deadlinesChanged;
    bool timerRunning = false;
    std::uint64_t lastId = 0;
};

// Never destroyed: a lane thread may still be finishing while the process exits.
Lanes& lanes() {
    static Lanes* all = new Lanes;
    return *all;
}

// "STAR printer 'receipt80'" for the key "STAR receipt80".
std::string describe(const std::string& printer) {
    const auto space = printer.find(' ');
    if (space == std::string::npos) return "the printer";
    return printer.substr(0, space) + " printer '" + printer.substr(space + 1) + "'";
}

JobOutcome backlogFull(const std::string& printer) {
    return jobOutcome(JobStatus::kBacklogFull, "The print job was not queued: " + std::to_string(kMaxWaitingJobs) + " jobs already wait for " +
           describe(printer));
}

JobOutcome noThread() {
    return jobOutcome(JobStatus::kJobFailed, "The print job could not start: no thread could be started for the printer's jobs");
}

JobOutcome gaveUp(const std::string& printer, std::chrono::milliseconds waited, std::size_t ahead) {
    return jobOutcome(JobStatus::kGaveUp, "The print job gave up after waiting " + secondsText(waited) + " for " + describe(printer) + " (" +
           std::to_string(ahead) + (ahead == 1 ? " job was" : " jobs were") + " ahead of it)");
}

void forgetDeadline(Lanes& all, const std::string& printer, const Waiting& job) {
    if (!job.gaveUp) return;
    const auto range = all.deadlines.equal_range(job.deadline);
    for (auto at = range.first; at != range.second; ++at) {
        if (at->second.first == printer && at->second.second == job.id) {
            all.deadlines.erase(at);
            return;
        }
    }
}

void runLanes();

// Makes `printer`'s lane ready when its next job may start, and sees that a thread will take it.
// False when no thread runs jobs and none could be started.
bool schedule(Lanes& all, const std::string& printer, Lane& lane) {
    if (lane.scheduled || lane.running || lane.jobs.empty()) return true;
    lane.scheduled = true;
    all.ready.push_back(printer);
    if (all.ready.size() > all.idle && all.threads < kMaxLaneThreads) {
        try {
            std::thread(runLanes).detach();
            ++all.threads;
        } catch (const std::system_error&) {
            // Without a new thread the ones running take the lane in turn; with none, nothing will.
            if (all.threads == 0) {
                all.ready.pop_back();
                lane.scheduled = false;
                return false;
            }
        }
    }
    all.work.notify_one();
    return true;
}

// Takes the next job of a lane to run it: the lane is running until finishRun.
Waiting takeNext(Lanes& all, const std::string& printer, Lane& lane) {
    Waiting job = std::move(lane.jobs.front());
    lane.jobs.pop_front();
    forgetDeadline(all, printer, job);
    lane.running = true;
    return job;
}

// After a job of `printer` ran: its next one is made ready, or the lane is gone. False when the
// next one is there but no thread can take it.
bool finishRun(Lanes& all, const std::string& printer) {
    const auto lane = all.lanes.find(printer);
    lane->second.running = false;
    if (lane->second.jobs.empty()) {
        all.lanes.erase(lane);
        return true;
    }
    return schedule(all, printer, lane->second);
}

// A lane thread: takes ready lanes in turn, one job at a time, so a printer with many jobs does
// not starve the others, until none has been ready for a while.
void runLanes() {
    Lanes& all = lanes();
    std::unique_lock<std::mutex> guard(all.lock);
    for (;;) {
        ++all.idle;
        const bool woken = all.work.wait_for(guard, kIdleThreadLife, [&] { return !all.ready.empty(); });
        --all.idle;
        if (!woken) {
            --all.threads;
            return;
        }
        const std::string printer = std::move(all.ready.front());
        all.ready.pop_front();
        const auto lane = all.lanes.find(printer);
        lane->second.scheduled = false;
        if (lane->second.jobs.empty()) {  // its jobs gave up meanwhile
            all.lanes.erase(lane);
            continue;
        }
        Waiting job = takeNext(all, printer, lane->second);
        guard.unlock();
        try {
            job.run();
        } catch (...) {
            // A job answers for itself; whatever escapes must not take its lane down with it.
        }
        guard.lock();
        finishRun(all, printer);
    }
}

// Keeps the deadlines: a job still waiting at its deadline leaves its lane and is told so.
void keepDeadlines() {
    Lanes& all = lanes();
    std::unique_lock<std::mutex> guard(all.lock);
    while (!all.deadlines.empty()) {
        const auto first = all.deadlines.begin();
        if (Clock::now() < first->first) {
            all.deadlinesChanged.wait_until(guard, first->first);
            continue;
        }
        const auto [printer, id] = first->second;
        all.deadlines.erase(first);
        const auto lane = all.lanes.find(printer);
        if (lane == all.lanes.end()) continue;
        auto& jobs = lane->second.jobs;
        std::size_t at = 0;
        while (at < jobs.size() && jobs[at].id != id) ++at;
        if (at == jobs.size()) continue;
        Waiting job = std::move(jobs[at]);
        jobs.erase(jobs.begin() + static_cast<std::ptrdiff_t>(at));
        const std::size_t ahead = at + (lane->second.running ? 1 : 0);
        if (jobs.empty() && !lane->second.running && !lane->second.scheduled) all.lanes.erase(lane);
        guard.unlock();
        try {
            job.gaveUp(gaveUp(printer, job.patience, ahead));
        } catch (...) {
        }
        guard.lock();
    }
    all.timerRunning = false;
}

}  // namespace

std::optional<JobOutcome> runInLane(const std::string& printer, LaneJob job) {
    Lanes& all = lanes();
    std::lock_guard<std::mutex> guard(all.lock);
    Lane& lane = all.lanes[printer];
    if (lane.jobs.size() >= kMaxWaitingJobs) return backlogFull(printer);
    Waiting waiting;
    waiting.id = ++all.lastId;
    waiting.run = std::move(job.run);
    waiting.gaveUp = std::move(job.gaveUp);
    waiting.patience = job.giveUpAfter;
    waiting.deadline = Clock::now() + job.giveUpAfter;
    lane.jobs.push_back(std::move(waiting));
    if (!schedule(all, printer, lane)) {
        lane.jobs.pop_back();
        if (lane.jobs.empty() && !lane.running) all.lanes.erase(printer);
        return noThread();
    }
    const Waiting& queued = lane.jobs.back();
    if (queued.gaveUp) {
        all.deadlines.emplace(queued.deadline, std::make_pair(printer, queued.id));
        all.deadlinesChanged.notify_one();
        if (!all.timerRunning) {
            try {
                std::thread(keepDeadlines).detach();
                all.timerRunning = true;
            } catch (const std::system_error&) {
                // Without the timer the job waits for its turn, however long: it still runs.
            }
        }
    }
    return std::nullopt;
}

std::optional<JobOutcome> runInLaneAndWait(const std::string& printer, const std::function<void()>& job,
                                            std::chrono::milliseconds giveUpAfter) {
    Lanes& all = lanes();
    std::unique_lock<std::mutex> guard(all.lock);
    const auto found = all.lanes.find(printer);
    if (found == all.lanes.end()) {
        // The lane is idle: it is this thread's until the job is done.
        all.lanes[printer].running = true;
        guard.unlock();
        try {
            job();
        } catch (...) {
            guard.lock();
            finishRun(all, printer);
            throw;
        }
        guard.lock();
        // Jobs handed in meanwhile go to a lane thread; when none can be had, this caller runs
        // them, late but run.
        while (!finishRun(all, printer)) {
            Waiting next = takeNext(all, printer, all.lanes[printer]);
            guard.unlock();
            try {
                next.run();
            } catch (...) {
            }
            guard.lock();
        }
        return std::nullopt;
    }
    Lane& lane = found->second;
    if (lane.jobs.size() >= kMaxWaitingJobs) return backlogFull(printer);
    std::condition_variable turn;
    bool done = false;
    Waiting waiting;
    waiting.id = ++all.lastId;
    const std::uint64_t id = waiting.id;
    waiting.run = [&] {
        job();
        std::lock_guard<std::mutex> doneGuard(all.lock);
        done = true;
        turn.notify_one();
    };
    lane.jobs.push_back(std::move(waiting));
    if (!schedule(all, printer, lane)) {
        lane.jobs.pop_back();
        return noThread();
    }
    if (turn.wait_until(guard, Clock::now() + giveUpAfter, [&] { return done; })) return std::nullopt;
    // Still waiting: it leaves the lane, unless a lane thread has just taken it.
    auto& jobs = all.lanes[printer].jobs;
    for (std::size_t at = 0; at < jobs.size(); ++at) {
        if (jobs[at].id != id) continue;
        jobs.erase(jobs.begin() + static_cast<std::ptrdiff_t>(at));
        const Lane& left = all.lanes[printer];
        const std::size_t ahead = at + (left.running ? 1 : 0);
        if (left.jobs.empty() && !left.running && !left.scheduled) all.lanes.erase(printer);
        return gaveUp(printer, giveUpAfter, ahead);
    }
    turn.wait(guard, [&] { return done; });
    return std::nullopt;
}

std::vector<LaneBacklog> laneBacklog() {
    Lanes& all = lanes();
    std::lock_guard<std::mutex> guard(all.lock);
    std::vector<LaneBacklog> backlog;
    for (const auto& [printer, lane] : all.lanes) backlog.push_back({printer, lane.running, lane.jobs.size()});
    return backlog;
}

}  // namespace kestrane
