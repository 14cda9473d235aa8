#pragma once

#include <string>

namespace kestrane {

// Creates the directory a command writes into, with its parents. False, with the reason on
// standard error, when it cannot.
bool makeOutputDirectory(const std::string& path);

}  // namespace kestrane
