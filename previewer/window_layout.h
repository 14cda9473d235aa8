// Where everything sits in the previewer's window, in pixels, and what "&Open" offers. Both front
// ends place their controls from here, so the two windows stay alike (the test of each checks
// these places) and scripts that click at a position find the same control in either.
#pragma once

#include <cstdint>

#include "previewer/previewer_texts.h"

namespace kestrane::previewer {

// A rectangle in its parent's client coordinates.
struct WindowBox {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The main window: a fixed outer size, centred horizontally, 50 pixels below the screen's top.
inline constexpr int32_t kWindowWidth = 600;
inline constexpr int32_t kWindowHeight = 500;
inline constexpr int32_t kWindowTop = 50;
inline constexpr int32_t windowLeft(int32_t screenWidth) { return screenWidth / 2 - kWindowWidth / 2; }

// In the main window's client area.
inline constexpr WindowBox kPaneBox{0, 0, 584, 415};
inline constexpr WindowBox kControlBarBox{0, 415, 600, 30};
// In the control bar.
inline constexpr WindowBox kPrinterListBox{0, 1, 250, 20};
inline constexpr WindowBox kSampleListBox{300, 1, 120, 23};
inline constexpr WindowBox kPrintButtonBox{480, 0, 100, 24};
// Where a list's window holds its drop-down too (Win32), the height it is created with.
inline constexpr int32_t kListDropHeight = 200;
// A standard vertical scroll bar's width, which the Qt pane draws at its right edge.
inline constexpr int32_t kScrollBarWidth = 17;

struct WindowColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};
inline constexpr WindowColour kControlBarColour{0, 200, 0};

// The controls' font: a normal-weight Arial with a 14-pixel cell.
inline constexpr char kControlFontFace[] = "Arial";
inline constexpr int32_t kControlFontPixels = 14;
inline constexpr int32_t kControlFontWeight = 400;

// What "&Open" offers, in this order; the first is chosen when the dialog opens.
struct FileFilter {
    const char* name;
    const char* pattern;
};
inline constexpr FileFilter kOpenFilters[] = {{kHtmlFilterName, kHtmlFilterPattern},
                                              {kTextFilterName, kTextFilterPattern}};

// How often a front end asks the session whether the followed file changed, where nothing tells
// it sooner (and, where a watcher does, as a net under it).
inline constexpr int32_t kFollowIntervalMs = 1000;

}  // namespace kestrane::previewer
