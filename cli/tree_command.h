#pragma once

#include <string>
#include <vector>

namespace kestrane {

// `kestrane tree LAYOUT [--preview] [--measure] [--base BASEDIR]`: prints the parsed sections of
// a layout as one JSON document; --measure adds each section's height, the row boxes and the
// wrapped texts. Returns 0 for "sections", 1 for "error", 2 for a usage or file error.
int runTreeCommand(const std::vector<std::string>& args);

}  // namespace kestrane
