// Print jobs run one at a time for each printer, in the order they were handed in: a printer
// that is slow or dead (an EPSON printer waiting out its 30-second limit) holds up only its own
// jobs. Jobs of different printers run at the same time, which their job contexts make safe, on
// a bounded set of threads. The backlog is bounded too: a job that has waited too long for its
// turn gives up, and a printer with too many waiting jobs takes no more.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/job_outcome.h"

namespace kestrane {

// The most threads running jobs at once; the jobs of further printers wait for one of them.
constexpr std::size_t kMaxLaneThreads = 16;
// The most jobs waiting for one printer; one more is refused at once.
constexpr std::size_t kMaxWaitingJobs = 1000;
// How long a job waits for its turn unless its caller says otherwise.
constexpr std::chrono::milliseconds kDefaultGiveUp{300000};

struct LaneJob {
    std::function<void()> run;
    // Called instead of `run` (on another thread, with a kGaveUp outcome saying how long it
    // waited behind how many jobs) when the job is still waiting for its turn `giveUpAfter`
    // after it was handed in.
    std::function<void(JobOutcome)> gaveUp;
    std::chrono::milliseconds giveUpAfter = kDefaultGiveUp;
};

// Queues `job` on the lane of `printer` after every job handed in for it before. Returns at
// once: nothing, or the outcome of a job that will never run (kBacklogFull: the printer has
// kMaxWaitingJobs waiting; kJobFailed: no thread could be started).
std::optional<JobOutcome> runInLane(const std::string& printer, LaneJob job);

// Runs `job` in the lane of `printer` and returns when it is done: on the calling thread when
// the lane is idle, else after the jobs handed in before, on a lane thread. Returns the outcome
// of a job that did not run: kGaveUp after `giveUpAfter`, or refused as runInLane refuses.
std::optional<JobOutcome> runInLaneAndWait(const std::string& printer, const std::function<void()>& job,
                                            std::chrono::milliseconds giveUpAfter = kDefaultGiveUp);

// The printers with jobs in their lanes now.
struct LaneBacklog {
    std::string printer;
    bool running = false;      // one of its jobs is running
    std::size_t waiting = 0;   // jobs waiting for their turn
};
std::vector<LaneBacklog> laneBacklog();

}  // namespace kestrane
