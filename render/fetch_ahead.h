// The passes walk a tree whose rows, on a long receipt, have left the caches by the time the walk
// reaches them: the node it reaches next is asked for while the current one is handled.
#pragma once

#include "markup/node.h"

namespace kestrane {

inline void fetchAhead(const KVTGDIPRINTING_LOGIC::NodeA* node) {
    const auto* bytes = reinterpret_cast<const char*>(node);
    for (std::size_t line = 0; line < sizeof *node; line += 64) __builtin_prefetch(bytes + line);
}

}  // namespace kestrane
