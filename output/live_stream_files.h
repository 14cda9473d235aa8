// The stream files of EPSON jobs under way. A till that exits in the middle of a job (process.exit
// while a printer is slow to answer) would leave the file behind in its job directory, where no
// later job removes it: the files listed here are removed when the process exits.
#pragma once

#include <string>

namespace kestrane {

// Lists `path` (an OS path) for as long as it lives.
class LiveStreamFile {
  public:
    explicit LiveStreamFile(std::string path);
    ~LiveStreamFile();
    LiveStreamFile(const LiveStreamFile&) = delete;
    LiveStreamFile& operator=(const LiveStreamFile&) = delete;

  private:
    std::string path_;
};

}  // namespace kestrane
