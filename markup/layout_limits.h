// The largest layout any job takes. A real receipt is a few kilobytes; the cap keeps a runaway
// or hostile layout (an endless stream, a file of megabytes of tags) from costing unbounded
// memory: below it a job peaks under 50 bytes of memory a layout byte.
#pragma once

#include <cstddef>

namespace kestrane {

constexpr std::size_t kMaxLayoutBytes = std::size_t{4} << 20;  // 4 MiB

}  // namespace kestrane
