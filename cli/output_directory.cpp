#include "cli/output_directory.h"

#include <filesystem>
#include <iostream>

namespace kestrane {

bool makeOutputDirectory(const std::string& path) {
    std::error_code made;
    std::filesystem::create_directories(path, made);
    if (!made) return true;
    std::cerr << "kestrane: " << path << ": " << made.message() << "\n";
    return false;
}

}  // namespace kestrane
