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
    std::string detail;   // the spooler's words and the step, shown below the text; may be empty
};

// Prints `bitmap` (null when no layout rendered: refused) on `printerName` and says how it
// went: kPrintedToSpooler once the spooler took every page, otherwise the failure and its detail.
PreviewMessage printPreview(const PreviewBitmap* bitmap, const std::string& printerName);

// What the message box shows: the text, and below it, after a blank line, the detail.
std::string messageBoxText(const PreviewMessage& message);

}  // namespace kestrane::previewer
