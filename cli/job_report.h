#pragma once

#include <string>
#include <vector>

namespace kestrane {

// Tells on standard error of each image a job could not load, so a designer who gets a receipt
// without its logo learns why. The receipt itself is drawn as the job draws it.
void warnUnloadedImages(const std::vector<std::string>& paths);

}  // namespace kestrane
