#include "cli/layout_file.h"

#include <iostream>

namespace kestrane {

bool loadLayout(const std::string& path, std::string& bytes) {
    std::string error;
    if (readLayoutFile(path, bytes, error)) return true;
    std::cerr << "kestrane: " << error << "\n";
    return false;
}

}  // namespace kestrane
