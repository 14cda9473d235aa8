// The STAR job without its printer: layout text in, finished receipt sections out. The print
// job, the command line, the benchmark and the add-on all run receipts through this function;
// only where the sections go differs.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "jobs/job_outcome.h"
#include "platform/canvas.h"

namespace kestrane {

// Takes one finished section (570 pixels wide, its closing rule drawn; `index` counts from 0).
// A succeeded() outcome takes the section; any other ends the job there with that outcome.
using SectionSink = std::function<JobOutcome(const Canvas& canvas, std::size_t index)>;

// Prepares the layout text (size checks, table root, rewriting, table sections) and, for each
// section in order, parses, lays out and draws it with one job context and hands the canvas to
// `sink`. Stops at the first failure; sections before it have been handed over. kDrawn when
// every section was taken, kNothingToPrint for a layout without one complete table; the warnings
// name the images that could not be loaded, each once.
JobOutcome runStarJob(const std::string& imageDirectory, const std::string& receiptText,
                      const SectionSink& sink);

// One warning an image that could not be loaded (its path, or "" for an <img> naming no file).
std::vector<std::string> imageWarnings(const std::vector<std::string>& unloadedImages);

}  // namespace kestrane
