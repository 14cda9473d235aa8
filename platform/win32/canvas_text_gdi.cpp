// Text on the canvas through GDI: DrawTextA and TextOutA, black on an opaque white background
// (the device context's defaults), drawn on the canvas through a GDI copy of the affected part.
#include <windows.h>

#include "platform/canvas.h"
#include "platform/win32/font_gdi.h"
#include "platform/win32/gdi_area.h"

namespace kestrane {

void drawText(Canvas& canvas, std::string_view text, Rect rect, unsigned format) {
    if (canvas.font == nullptr) return;
    drawOnCanvasArea(canvas, rect, [&](HDC dc) {
        const HGDIOBJ previous = SelectObject(dc, fontHandle(canvas.font));
        RECT box{rect.left, rect.top, rect.right, rect.bottom};
        DrawTextA(dc, text.data(), static_cast<int>(text.size()), &box, format);
        SelectObject(dc, previous);
    });
}

void textOut(Canvas& canvas, int32_t x, int32_t y, std::string_view text) {
    if (canvas.font == nullptr) return;
    const int32_t width = textWidth(canvas.font, text);
    drawOnCanvasArea(canvas, {x, y, x + width, y + cellHeight(canvas.font)}, [&](HDC dc) {
        const HGDIOBJ previous = SelectObject(dc, fontHandle(canvas.font));
        TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
        SelectObject(dc, previous);
    });
}

}  // namespace kestrane
