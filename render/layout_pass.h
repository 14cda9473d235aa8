// The layout pass: gives every row its top (and text rows their bottom), wraps every cell text
// into lines for its column, and returns the height of the section.
#pragma once

#include <cstdint>

#include "markup/node.h"
#include "markup/variant.h"
#include "render/job_context.h"

namespace kestrane {

// Lays out `node` and everything below it from the job's layoutCursor on, and returns the cursor
// after it. Rewrites cell texts (line breaks, a single blank for an empty cell) and row boxes; the
// render pass relies on both. Walks the tree without recursion.
int32_t measureNode(JobContext& job, KVTGDIPRINTING_LOGIC::NodeA* node, Variant variant);

}  // namespace kestrane
