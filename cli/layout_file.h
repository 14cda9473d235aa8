#pragma once

#include <string>

#include "jobs/layout_file.h"

namespace kestrane {

// readLayoutFile for a command: the reason for a failure goes to standard error.
bool loadLayout(const std::string& path, std::string& bytes);

}  // namespace kestrane
