#include "markup/layout_state.h"

namespace kestrane {

int32_t layoutCursor = 0;

void resetLayoutState() { layoutCursor = 0; }

}  // namespace kestrane
