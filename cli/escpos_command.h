#pragma once

#include <string>
#include <vector>

namespace kestrane {

// `kestrane escpos LAYOUT [-o FILE]`: writes the bytes an EPSON job's stream file would hold for
// the layout (line feeds stored as CR LF) to FILE or standard output. Returns 0, or 2 for a
// usage or file error.
int runEscposCommand(const std::vector<std::string>& args);

}  // namespace kestrane
