// The printers' lanes under many threads: order per printer, one job at a time a printer, a
// bounded number of threads, and jobs that give up running never. Built with ThreadSanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "binding/print_lanes.h"

namespace kestrane {
namespace {

using std::chrono::milliseconds;

// Waits until `done` holds, at most a few seconds.
template <typename Done>
bool eventually(Done done) {
    for (int i = 0; i < 500 && !done(); ++i) std::this_thread::sleep_for(milliseconds(10));
    return done();
}

TEST(PrintLanesTest, EachPrinterRunsItsJobsInOrderOneAtATimeOnFewThreads) {
    constexpr int kPrinters = 40, kJobsEach = 25;
    std::mutex lock;
    std::map<int, std::vector<int>> ran;  // printer: its jobs, as they started
    std::map<int, int> runningOf;
    int running = 0, mostRunning = 0, overlaps = 0;
    std::atomic<int> finished{0};
    // Each printer's jobs are handed in by one thread, the printers by several at once.
    std::vector<std::thread> handing;
    for (int part = 0; part < 4; ++part) {
        handing.emplace_back([&, part] {
            for (int job = 0; job < kJobsEach; ++job) {
                for (int printer = part; printer < kPrinters; printer += 4) {
                    LaneJob lane;
                    lane.run = [&, printer, job] {
                        {
                            std::lock_guard<std::mutex> guard(lock);
                            ran[printer].push_back(job);
                            overlaps += runningOf[printer]++ != 0;
                            mostRunning = std::max(mostRunning, ++running);
                        }
                        std::this_thread::sleep_for(milliseconds(1));
                        std::lock_guard<std::mutex> guard(lock);
                        --runningOf[printer];
                        --running;
                        ++finished;
                    };
                    EXPECT_FALSE(runInLane("STAR p" + std::to_string(printer), std::move(lane)));
                }
            }
        });
    }
    for (auto& thread : handing) thread.join();
    ASSERT_TRUE(eventually([&] { return finished == kPrinters * kJobsEach; }));
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(overlaps, 0);
    EXPECT_LE(mostRunning, static_cast<int>(kMaxLaneThreads));
    EXPECT_GT(mostRunning, 1);
    for (const auto& [printer, jobs] : ran) {
        std::vector<int> inOrder(kJobsEach);
        for (int job = 0; job < kJobsEach; ++job) inOrder[job] = job;
        EXPECT_EQ(jobs, inOrder) << printer;
    }
    EXPECT_TRUE(eventually([] { return laneBacklog().empty(); }));
}

TEST(PrintLanesTest, JobsBehindABlockedPrinterGiveUpOnceAndNeverRun) {
    std::mutex lock;
    std::condition_variable opened;
    bool open = false;
    std::atomic<int> runs{0}, gaveUp{0};
    LaneJob blocking;
    blocking.run = [&] {
        std::unique_lock<std::mutex> guard(lock);
        opened.wait(guard, [&] { return open; });
        ++runs;
    };
    ASSERT_FALSE(runInLane("EPSON dead:515", std::move(blocking)));
    std::vector<std::string> reasons(10);
    for (int i = 0; i < 10; ++i) {
        LaneJob waiting;
        waiting.run = [&] { ++runs; };
        waiting.gaveUp = [&, i](JobOutcome outcome) {
            EXPECT_EQ(outcome.status, JobStatus::kGaveUp);
            reasons[i] = outcome.detail;
            ++gaveUp;
        };
        waiting.giveUpAfter = milliseconds(i < 5 ? 50 : 60000);
        ASSERT_FALSE(runInLane("EPSON dead:515", std::move(waiting)));
    }
    // A caller waiting itself gives up too; other printers are not held up meanwhile.
    const auto notRun = runInLaneAndWait("EPSON dead:515", [&] { ++runs; }, milliseconds(100));
    ASSERT_TRUE(notRun);
    EXPECT_EQ(notRun->status, JobStatus::kGaveUp);
    EXPECT_EQ(notRun->detail,
              "The print job gave up after waiting 0.1 seconds for EPSON printer 'dead:515' (6 jobs were ahead of it)");
    bool other = false;
    EXPECT_FALSE(runInLaneAndWait("STAR other", [&] { other = true; }));
    EXPECT_TRUE(other);
    ASSERT_TRUE(eventually([&] { return gaveUp == 5; }));
    EXPECT_EQ(reasons[0], "The print job gave up after waiting 0.05 seconds for EPSON printer 'dead:515' (1 job was ahead of it)");
    const std::vector<LaneBacklog> backlog = laneBacklog();
    ASSERT_EQ(backlog.size(), 1u);
    EXPECT_TRUE(backlog[0].running);
    EXPECT_EQ(backlog[0].waiting, 5u);
    {
        std::lock_guard<std::mutex> guard(lock);
        open = true;
    }
    opened.notify_all();
    ASSERT_TRUE(eventually([&] { return runs == 6 && laneBacklog().empty(); }));
    EXPECT_EQ(gaveUp, 5);
}

}  // namespace
}  // namespace kestrane
