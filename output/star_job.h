// The STAR job without its printer: layout text in, finished receipt sections out. The print
// job, the command line, the benchmark and the add-on all run receipts through this function;
// only where the sections go differs.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace kestrane {

// Takes one finished section (570 pixels wide, its closing rule drawn; `index` counts from 0).
// Returns an empty string when the section was taken, or the "Error - " message that ends the
// job there.
using SectionSink = std::function<std::string(const Canvas& canvas, std::size_t index)>;

struct StarJobOutcome {
    std::string message;                      // kStarSuccess or the first failure's message
    std::vector<std::string> unloadedImages;  // image files that could not be loaded, each once
};

// Prepares the layout text (size checks, table root, rewriting, table sections) and, for each
// section in order, parses, lays out and draws it with one job context and hands the canvas to
// `sink`. Stops at the first failure; sections before it have been handed over.
StarJobOutcome runStarJob(const std::string& imageDirectory, const std::string& receiptText,
                          const SectionSink& sink);

}  // namespace kestrane
