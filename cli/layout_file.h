#pragma once

#include <string>

namespace kestrane {

// Reads every byte of `path` ("-" for standard input) into `bytes`. On failure returns false
// with a reason in `error`.
bool readLayoutFile(const std::string& path, std::string& bytes, std::string& error);

}  // namespace kestrane
