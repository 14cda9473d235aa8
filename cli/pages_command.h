#pragma once

#include <string>
#include <vector>

namespace kestrane {

// `kestrane pages JOBFILE -o|--out DIR`: writes each page of a raster job a printer received as
// DIR/page-N.png and prints one line a page (file, size, resolution). Returns 0, 1 for a file
// that is not a whole raster document (the pages before the fault are written), 2 for a usage
// or file error.
int runPagesCommand(const std::vector<std::string>& args);

}  // namespace kestrane
