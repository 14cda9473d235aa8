// A part of the canvas as a GDI device context, for what GDI draws: text and stretched images.
// The part is copied into a one-bit top-down DIB section (palette entry 0 black, 1 white, so its
// bits mean what the canvas's do), drawn on, and copied back.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/canvas.h"

namespace kestrane {

// Runs `draw` on a memory device context whose coordinates are the canvas's and whose pixels
// within `area` (clipped to the canvas) are the canvas's; they are copied back afterwards.
// Nothing is drawn when the area is empty or GDI cannot make the bitmap. A device context and
// bitmap are kept per thread and grown as needed; `draw` must leave the objects it selected
// deselected.
void drawOnCanvasArea(Canvas& canvas, Rect area, const std::function<void(HDC)>& draw);

}  // namespace kestrane
