#include "markup/layout_state.h"

namespace kestrane {

int32_t layoutCursor = 0;
bool measureEnteredTable = false;
bool renderEnteredTable = false;

void resetLayoutState() {
    layoutCursor = 0;
    measureEnteredTable = false;
    renderEnteredTable = false;
}

}  // namespace kestrane
