#include "previewer/preview_render.h"

#include <vector>

#include "jobs/job_messages.h"
#include "jobs/layout_file.h"
#include "jobs/receipt_jobs.h"

namespace kestrane::previewer {

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
    std::optional<Canvas> image;
    const bool starJob = mode == PreviewMode::kStarJob;
    const JobOutcome outcome = drawPreview(imageDirectory, layout, starJob, image);
    // The previewer's own variant never said why; the STAR job's mode shows the job's message.
    if (reason != nullptr) *reason = starJob && !outcome.succeeded() ? jobMessage(outcome) : std::string();
    if (!image) return std::nullopt;
    PreviewBitmap bitmap;
    bitmap.kind = PreviewKind::kReceipt;
    bitmap.canvas = std::move(*image);
    return bitmap;
}

std::optional<std::string> readLayoutText(const std::string& path, std::string* reason) {
    std::string bytes, error;
    if (!readLayoutFile(path == "-" ? "./-" : path, bytes, error)) {
        if (reason != nullptr) *reason = error;
        return std::nullopt;
    }
    const auto zero = bytes.find('\0');
    if (zero != std::string::npos) bytes.resize(zero);
    return bytes;
}

PreviewBitmap openLayoutPreview(const std::string& path, const std::string& imageDirectory,
                                PreviewMode mode, std::string* reason) {
    std::string why;
    std::optional<PreviewBitmap> bitmap;
    if (const std::optional<std::string> layout = readLayoutText(path, &why);
        layout && !layout->empty()) {
        bitmap = renderLayoutPreview(imageDirectory, *layout, mode, &why);
    }
    if (reason != nullptr) *reason = bitmap ? std::string() : why;
    return bitmap ? std::move(*bitmap) : placeholderBitmap(why);
}

}  // namespace kestrane::previewer
