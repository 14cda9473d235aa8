// The name of the machine the engine runs on, as print servers are told it.
#pragma once

#include <string>

namespace kestrane {

// This machine's host name; empty when the system does not give one.
std::string localHostName();

}  // namespace kestrane
