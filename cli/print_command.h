#pragma once

#include <string>
#include <vector>

namespace kestrane {

// `kestrane print --type STAR --printer NAME --base BASEDIR LAYOUT` and
// `kestrane print --type EPSON --address ADDR --base BASEDIR LAYOUT`: runs the print job of the
// type and prints its message. Returns 0 for the type's success message, 1 for an "Error - "
// message, 2 for a usage or file error.
int runPrintCommand(const std::vector<std::string>& args);

}  // namespace kestrane
