#include "previewer/preview_render.h"

#include <vector>

#include "output/layout_file.h"
#include "output/messages.h"
#include "output/star_job.h"
#include "render/job_context.h"
#include "render/receipt_section.h"

namespace kestrane::previewer {

namespace {

PreviewBitmap receiptBitmap(Canvas canvas) {
    PreviewBitmap bitmap;
    bitmap.kind = PreviewKind::kReceipt;
    bitmap.canvas = std::move(canvas);
    return bitmap;
}

// The STAR job's sections stacked in print order: each is one document on the printer.
std::optional<PreviewBitmap> renderStarSections(const std::string& imageDirectory,
                                                const std::string& layout, std::string& reason) {
    std::vector<Canvas> sections;
    int64_t height = 0;
    const StarJobOutcome outcome =
        runStarJob(imageDirectory, layout, [&](const Canvas& canvas, std::size_t) {
            if (height + canvas.height > kMaxSectionHeight) return std::string(kSectionTooTall);
            height += canvas.height;
            sections.push_back(canvas);
            return std::string();
        });
    if (outcome.message != kStarSuccess) {
        reason = outcome.message;
        return std::nullopt;
    }
    Canvas stacked(kReceiptWidth, static_cast<int32_t>(height));
    int32_t top = 0;
    for (const Canvas& section : sections) {
        copyCanvas(stacked, section, 0, top);
        top += section.height;
    }
    return receiptBitmap(std::move(stacked));
}

}  // namespace

std::string previewImageDirectory(const std::string& programPath) {
    const auto slash = programPath.find_last_of("/\\");
    if (slash == std::string::npos) return "./../../";
    // Two levels up, written with the separator the program's path uses.
    return programPath[slash] == '\\' ? programPath.substr(0, slash + 1) + "..\\..\\"
                                      : programPath.substr(0, slash + 1) + "../../";
}

std::optional<PreviewBitmap> renderLayoutPreview(const std::string& imageDirectory,
                                                 const std::string& layout, PreviewMode mode,
                                                 std::string* reason) {
    std::string why;
    std::optional<PreviewBitmap> bitmap;
    if (mode == PreviewMode::kStarJob) {
        bitmap = renderStarSections(imageDirectory, layout, why);
    } else {
        JobContext job(imageDirectory);
        SectionImage image = renderPreview(job, layout);
        if (image.canvas) bitmap = receiptBitmap(std::move(*image.canvas));
    }
    if (reason != nullptr) *reason = why;
    return bitmap;
}

std::optional<std::string> readLayoutText(const std::string& path) {
    std::string bytes, error;
    if (!readLayoutFile(path, bytes, error)) return std::nullopt;
    const auto zero = bytes.find('\0');
    if (zero != std::string::npos) bytes.resize(zero);
    return bytes;
}

PreviewBitmap openLayoutPreview(const std::string& path, const std::string& imageDirectory,
                                PreviewMode mode) {
    std::string reason;
    std::optional<PreviewBitmap> bitmap;
    if (const std::optional<std::string> layout = readLayoutText(path);
        layout && !layout->empty()) {
        bitmap = renderLayoutPreview(imageDirectory, *layout, mode, &reason);
    }
    return bitmap ? std::move(*bitmap) : placeholderBitmap(reason);
}

}  // namespace kestrane::previewer
