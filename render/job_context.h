// What the passes of one receipt job share. A job owns its context and hands it down; two jobs
// never share one, so they can run on two threads and give the receipts they give one after the
// other.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrane {

struct JobContext {
    explicit JobContext(std::string baseDirectory = std::string())
        : imageDirectory(std::move(baseDirectory)) {}

    // The base directory images are looked up under (the job's imageDirectory argument).
    std::string imageDirectory;
    // The y at which the layout pass places the next row; every section starts at 0.
    int32_t layoutCursor = 0;
    // Whether the layout pass, or the render pass, has reached the row loop of a table in this
    // job. Until then a pass descends through nodes that are not tables; once set, a later
    // section's rows print even when they are not inside a table of their own.
    bool measureEnteredTable = false;
    bool renderEnteredTable = false;
    // Image files of this job that could not be loaded, each named once, in the order met.
    std::vector<std::string> unloadedImages;
};

}  // namespace kestrane
