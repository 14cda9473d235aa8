// Time limits as messages give them.
#pragma once

#include <chrono>
#include <string>

namespace kestrane {

// "15 seconds", "1 second", "0.2 seconds".
std::string secondsText(std::chrono::milliseconds limit);

}  // namespace kestrane
