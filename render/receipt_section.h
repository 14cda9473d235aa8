// The cycle of one receipt section: parse, lay out, draw. The print job, the previewer and the
// command line all run a section through this one function.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "markup/variant.h"
#include "platform/canvas.h"
#include "render/job_context.h"

namespace kestrane {

constexpr int32_t kReceiptWidth = 570;
// About 125 m of paper. A taller section is refused rather than given gigabytes of canvas.
constexpr int32_t kMaxSectionHeight = 1000000;

enum class SectionFailure { kNone, kParse, kHeight, kTooTall, kNoMarkup, kTooLarge };

struct SectionImage {
    SectionFailure failure = SectionFailure::kNone;
    int32_t height = 0;             // the measured height h; the canvas is h + 21 rows
    std::optional<Canvas> canvas;  // set when failure is kNone
};

// Parses `text` (a section with its line breaks already turned into line feeds), lays it out
// from the top (the job's layoutCursor at 0), refuses a height of 0 or less (or above
// kMaxSectionHeight), and draws it onto a white canvas 570 x (h + 21) with the closing rule at
// h + 19. The tree is released on every path. A section that fails leaves the job's context as
// it found it, so it cannot change what a later section gives.
SectionImage renderSection(JobContext& job, const std::string& text, Variant variant);

// The previewer's job: the whole layout as one section of the previewer's variant. Fails with
// kTooLarge for a layout over kMaxLayoutBytes and kNoMarkup for one without a table root; the
// previewer shows its placeholder for any failure.
SectionImage renderPreview(JobContext& job, const std::string& layout);

}  // namespace kestrane
