// The previewer's command line, the same for every front end:
//
//   ReceiptPreviewer [--exact] [--base DIR] [--sample NAME] [--screenshot FILE.png] [LAYOUT]
//
// --screenshot belongs to front ends that can draw their window into a file (Qt).
#pragma once

#include <string>
#include <vector>

#include "previewer/preview_render.h"

namespace kestrane::previewer {

struct PreviewerOptions {
    // Where the layouts' images are looked up: --base, or two levels above the program.
    std::string imageDirectory;
    PreviewMode mode = PreviewMode::kPreviewer;  // kStarJob with --exact
    int sample = 0;           // --sample: its entry in the sample list; 0 for none
    std::string layoutFile;   // the file to show and follow; empty for none
    std::string screenshot;   // --screenshot: the PNG file to write; empty for none
};

enum class CommandLine {
    kRun,      // the options are set
    kHelp,     // show previewerUsage() and stop
    kVersion,  // show previewerVersion() and stop
    kRefused,  // show the error (and the usage) and stop with status 2
};

// Reads `arguments` (without the program's own name) into `options`. `programPath` gives the
// default image directory; `screenshots` says whether --screenshot is taken. `error` says what
// was refused.
CommandLine parsePreviewerArguments(const std::vector<std::string>& arguments,
                                    const std::string& programPath, bool screenshots,
                                    PreviewerOptions& options, std::string& error);

// The sample list entry named `name` (case ignored), or 0.
int sampleEntry(const std::string& name);

std::string previewerUsage(bool screenshots);
std::string previewerVersion();

}  // namespace kestrane::previewer
