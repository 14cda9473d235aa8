#include "platform/win32/gdi_area.h"

#include <algorithm>

#include "platform/raster/packed_bits.h"
#include "platform/win32/dib_pixels.h"

namespace kestrane {

namespace {

// A memory device context with a top-down one-bit DIB section selected, kept per thread and
// grown as needed. Palette entry 0 is black and 1 white, so its bits mean what the canvas's do.
class Scratch {
  public:
    ~Scratch() { release(); }

    // A DIB of at least `width` x `height`; false when GDI cannot make one.
    bool reserve(int32_t width, int32_t height) {
        if (bitmap_ != nullptr && width <= width_ && height <= height_) return true;
        release();
        MonochromeDibInfo info = monochromeDibInfo(std::max(width, width_), std::max(height, height_));
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = dc_ != nullptr ? CreateDIBSection(dc_, info.info(), DIB_RGB_COLORS, &bits, nullptr, 0)
                                 : nullptr;
        if (bitmap_ == nullptr) {
            release();
            return false;
        }
        SelectObject(dc_, bitmap_);
        width_ = info.header.biWidth;
        height_ = -info.header.biHeight;
        stride_ = (width_ + 31) / 32 * 4;
        bits_ = static_cast<uint8_t*>(bits);
        return true;
    }

    HDC dc() const { return dc_; }
    uint8_t* row(int32_t y) const { return bits_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    int32_t stride() const { return stride_; }

  private:
    void release() {
        if (dc_ != nullptr) DeleteDC(dc_);
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
        dc_ = nullptr;
        bitmap_ = nullptr;
    }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    uint8_t* bits_ = nullptr;
    int32_t width_ = 0, height_ = 0, stride_ = 0;
};

}  // namespace

void drawOnCanvasArea(Canvas& canvas, Rect rect, const std::function<void(HDC)>& draw) {
    const Rect area{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, canvas.width),
                    std::min(rect.bottom, canvas.height)};
    const int32_t width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    thread_local Scratch scratch;
    if (!scratch.reserve(width, height)) return;
    whitenRows(canvas, area.bottom);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = &canvas.bits[static_cast<std::size_t>(area.top + y) * canvas.stride];
        packed::copyBits(scratch.row(y), from, canvas.stride, -area.left, 0, width);
    }
    const HDC dc = scratch.dc();
    SetViewportOrgEx(dc, -area.left, -area.top, nullptr);
    draw(dc);
    GdiFlush();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* to = &canvas.bits[static_cast<std::size_t>(area.top + y) * canvas.stride];
        packed::copyBits(to, scratch.row(y), scratch.stride(), area.left, area.left, area.right);
    }
}

}  // namespace kestrane
