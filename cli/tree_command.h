#pragma once

#include <string>
#include <vector>

namespace kestrane {

// `kestrane tree LAYOUT [--preview]`: prints the parsed sections of a layout as one JSON
// document. Returns 0 for "sections", 1 for "error", 2 for a usage or file error.
int runTreeCommand(const std::vector<std::string>& args);

}  // namespace kestrane
