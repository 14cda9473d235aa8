// Print jobs run one at a time for each printer, in the order they were handed in, each printer
// on a thread of its own: a printer that is slow or dead (an EPSON printer waiting out its
// 30-second limit) holds up only its own jobs. Jobs of different printers run at the same time,
// which their job contexts make safe.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kestrane {

// Runs `job` on the lane of `printer` after every job handed in for it before. Returns at once:
// nothing, or why the job cannot run (no thread could be started), in which case it never will.
std::optional<std::string> runInLane(const std::string& printer, std::function<void()> job);

// Runs `job` in the lane of `printer` and returns when it is done: on the calling thread when
// the lane is idle, else after the jobs handed in before, on the lane's thread.
void runInLaneAndWait(const std::string& printer, const std::function<void()>& job);

}  // namespace kestrane
