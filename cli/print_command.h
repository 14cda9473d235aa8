#pragma once

#include <string>
#include <vector>

namespace kestrane {

// `kestrane print --type EPSON --address ADDR --base BASEDIR LAYOUT`: runs the EPSON print job
// and prints its message. Returns 0 for "Receipt printed sucessfully", 1 for any other message,
// 2 for a usage or file error or a printer type this command does not support.
int runPrintCommand(const std::vector<std::string>& args);

}  // namespace kestrane
