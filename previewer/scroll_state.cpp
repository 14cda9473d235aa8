#include "previewer/scroll_state.h"

#include <algorithm>

namespace kestrane::previewer {

void fitScroll(ScrollState& state, int32_t bitmapHeight, int32_t paneHeight) {
    state.bitmapHeight = std::max(0, bitmapHeight);
    state.paneHeight = std::max(0, paneHeight);
    state.maximum = std::max(0, state.bitmapHeight - state.paneHeight);
    state.position = std::min(state.position, state.maximum);
}

int32_t applyScroll(ScrollState& state, ScrollRequest request, int32_t thumb) {
    // In 64 bits: a thumb position from a front end may be anything.
    int64_t target = state.position;
    switch (request) {
        case ScrollRequest::kLineUp:
            target -= kLineRows;
            break;
        case ScrollRequest::kLineDown:
            target += kLineRows;
            break;
        case ScrollRequest::kPageUp:
            target -= kPageRows;
            break;
        case ScrollRequest::kPageDown:
            target += kPageRows;
            break;
        case ScrollRequest::kThumbPosition:
            target = thumb;
            break;
        case ScrollRequest::kThumbTrack:
        case ScrollRequest::kOther:
            break;
    }
    const auto clamped = static_cast<int32_t>(std::clamp<int64_t>(target, 0, state.maximum));
    const int32_t moved = state.position - clamped;
    state.position = clamped;
    return moved;
}

}  // namespace kestrane::previewer
