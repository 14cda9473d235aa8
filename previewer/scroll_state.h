// Vertical scrolling of the preview pane. The view shows bitmap rows from `position` P down;
// P stays within 0 and M = max(0, H - C) for a bitmap H rows tall in a pane C rows tall. The
// scroll bar runs from 0 to H with a page of C.
#pragma once

#include <cstdint>

namespace kestrane::previewer {

struct ScrollState {
    int32_t position = 0;      // P
    int32_t maximum = 0;       // M
    int32_t bitmapHeight = 0;  // H: the scroll bar's range
    int32_t paneHeight = 0;    // C: the scroll bar's page
};

enum class ScrollRequest {
    kLineUp,  // 5 rows
    kLineDown,
    kPageUp,  // 50 rows
    kPageDown,
    kThumbPosition,  // the scroll box was released at a position
    kThumbTrack,     // the scroll box is being dragged: the view waits for the release
    kOther,          // top, bottom, end of scrolling: nothing moves
};

inline constexpr int32_t kLineRows = 5;
inline constexpr int32_t kPageRows = 50;

// A new bitmap or a new pane height: M follows, and P keeps its place unless it is now past M.
void fitScroll(ScrollState& state, int32_t bitmapHeight, int32_t paneHeight);

// Moves P as `request` asks (`thumb` is where a released scroll box stands), clamped to 0 and M.
// Returns how far the view's content moves: old P minus new P, 0 when P stays.
int32_t applyScroll(ScrollState& state, ScrollRequest request, int32_t thumb = 0);

}  // namespace kestrane::previewer
