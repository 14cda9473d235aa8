#pragma once

#include <string>
#include <vector>

namespace kestrane {

// `kestrane render LAYOUT --out DIR [--base BASEDIR] [--preview]`: draws each section of the
// layout into DIR/section-N.png (or the preview into DIR/preview.png) and prints one line per
// file with its height. On a failure prints the job's message and returns 1; sections before
// the failing one are still written. Returns 2 for a usage or file error.
int runRenderCommand(const std::vector<std::string>& args);

}  // namespace kestrane
