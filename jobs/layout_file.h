// Reading a layout file for a job, bounded by the largest layout a job takes.
#pragma once

#include <string>

namespace kestrane {

// Reads every byte of `path` ("-" for standard input) into `bytes`. On failure returns false
// with a reason in `error`: a file that cannot be read, or one of more than kMaxLayoutBytes
// (refused once that many bytes have been read, so an endless stream ends too).
bool readLayoutFile(const std::string& path, std::string& bytes, std::string& error);

}  // namespace kestrane
