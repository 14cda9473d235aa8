#include "previewer/preview_bitmap.h"

#include <utility>

#include "jobs/job_messages.h"
#include "platform/font.h"
#include "previewer/previewer_texts.h"

namespace kestrane::previewer {

namespace {

constexpr int32_t kPlaceholderWidth = 600;
constexpr int32_t kPlaceholderHeight = 400;

// The look of a screen's default device-context font: a bold sans of a 16-pixel cell.
const Font* placeholderFont() {
    static const Font* const font = createFont(16, 700, "Arial");
    return font;
}

}  // namespace

std::optional<PreviewBitmap> startPicture(std::string bmpBytes) {
    PreviewBitmap bitmap;
    if (!decodeBitmap(std::move(bmpBytes), bitmap.picture)) return std::nullopt;
    bitmap.kind = PreviewKind::kStartPicture;
    bitmap.canvas = Canvas(bitmap.picture.width, bitmap.picture.height);
    stretchImage(bitmap.canvas, bitmap.picture,
                 {0, 0, bitmap.picture.width, bitmap.picture.height});
    return bitmap;
}

PreviewBitmap placeholderBitmap(const std::string& reason) {
    PreviewBitmap bitmap;
    bitmap.kind = PreviewKind::kPlaceholder;
    bitmap.canvas = Canvas(kPlaceholderWidth, kPlaceholderHeight);
    selectFont(bitmap.canvas, placeholderFont());
    textOut(bitmap.canvas, 100, 100, kPreviewNotRendered);
    if (!reason.empty()) {
        drawText(bitmap.canvas, reason, {100, 132, kPlaceholderWidth - 20, kPlaceholderHeight - 20},
                 kAlignLeft | kWordBreak);
    }
    return bitmap;
}

}  // namespace kestrane::previewer
