// Module-wide state of the layout and render passes. It is declared here, below the passes,
// because starting a new job (rewriting its layout text) is what resets it.
#pragma once

#include <cstdint>

namespace kestrane {

// The y at which the layout pass places the next row.
extern int32_t layoutCursor;

// Zeroes the layout cursor at the start of a job.
void resetLayoutState();

}  // namespace kestrane
