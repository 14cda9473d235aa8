// PRINT: the preview bitmap, whatever it shows, scaled to the printer's width and cut into its
// pages, as one spooler document.
#pragma once

#include <string>

#include "previewer/preview_bitmap.h"

namespace kestrane::previewer {

// What a message box tells the user.
struct PreviewMessage {
    std::string text;
    std::string caption;  // kSuccessCaption or kErrorCaption
};

// Prints `bitmap` (null when no layout rendered: refused) on `printerName` and says how it
// went: kPrintedToSpooler once the spooler took every page, otherwise the failure.
PreviewMessage printPreview(const PreviewBitmap* bitmap, const std::string& printerName);

}  // namespace kestrane::previewer
