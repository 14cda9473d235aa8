#pragma once

#include <string>
#include <vector>

namespace kestrane {

// `kestrane printers`: one line a printer the spooler knows: name, state, whether it accepts
// jobs, and its printable area in device pixels. Returns 0, or 1 when the spooler cannot be
// asked, 2 for a usage error.
int runPrintersCommand(const std::vector<std::string>& args);

}  // namespace kestrane
