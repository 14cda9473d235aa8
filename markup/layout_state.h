// Module-wide state of the layout and render passes. It is declared here, below the passes,
// because starting a new job (rewriting its layout text) is what resets it.
#pragma once

#include <cstdint>

namespace kestrane {

// The y at which the layout pass places the next row.
extern int32_t layoutCursor;
// Whether the layout pass, or the render pass, has reached the row loop of a table. Until then
// a pass descends through nodes that are not tables.
extern bool measureEnteredTable;
extern bool renderEnteredTable;

// Zeroes the cursor and clears both flags, so a job never depends on the jobs before it.
void resetLayoutState();

}  // namespace kestrane
