// Turning a layout into the preview bitmap: the previewer's own variant of the engine (the whole
// layout as one section), or, for designers who want to see what a printer will get, the STAR
// print job's sections one below the other.
#pragma once

#include <optional>
#include <string>

#include "previewer/preview_bitmap.h"

namespace kestrane::previewer {

enum class PreviewMode {
    kPreviewer,  // one section, the previewer's field rules and column widths
    kStarJob,    // the STAR job's table sections, column widths and QR sizes
};

// The image directory of a previewer whose program file is `programPath`: two levels above the
// program's folder ("/opt/kestrane/bin/ReceiptPreviewer" gives "/opt/kestrane/bin/../../").
std::string previewImageDirectory(const std::string& programPath);

// Renders `layout` with images below `imageDirectory`. None when it cannot be rendered; then
// `reason`, when asked for, says why in the STAR job mode (the job's "Error - " message) and is
// empty in the previewer mode, which reports nothing.
std::optional<PreviewBitmap> renderLayoutPreview(const std::string& imageDirectory,
                                                 const std::string& layout, PreviewMode mode,
                                                 std::string* reason = nullptr);

// The layout text of the file at `path`: its bytes up to the first zero byte, unconverted. None
// for a file that cannot be read or is larger than a layout may be; then `reason`, when asked
// for, says which, naming the file (and the cap for one too large). A file named "-" is that
// file: the window has no standard input to read a layout from.
std::optional<std::string> readLayoutText(const std::string& path, std::string* reason = nullptr);

// What "&Open" shows for the file at `path`: its rendering, or the placeholder when the file is
// empty or unreadable or its layout does not render. The placeholder carries the reason when
// there is one (the file's, or the job's in the STAR job mode), and so does `reason`.
PreviewBitmap openLayoutPreview(const std::string& path, const std::string& imageDirectory,
                                PreviewMode mode, std::string* reason = nullptr);

}  // namespace kestrane::previewer
