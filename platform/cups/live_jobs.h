// CUPS jobs whose document is on its way. A till that exits in the middle of one (process.exit
// while a page is being sent) would leave the job in the scheduler, pending without its
// document, for ever: the jobs listed here are cancelled when the process exits.
#pragma once

namespace kestrane {

// Lists job `job` of the calling thread's scheduler while it lives, unless released.
class LiveCupsJob {
  public:
    explicit LiveCupsJob(int job);
    ~LiveCupsJob();
    LiveCupsJob(const LiveCupsJob&) = delete;
    LiveCupsJob& operator=(const LiveCupsJob&) = delete;

  private:
    int job_;
};

}  // namespace kestrane
