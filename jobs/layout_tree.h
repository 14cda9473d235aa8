// How a layout was understood, as one JSON document for people and scripts: the node tree of
// each section the job would draw, and with `measure` the layout pass's boxes and heights.
#pragma once

#include <ostream>
#include <string>

#include "jobs/job_outcome.h"

namespace kestrane {

// Writes {"sections": [{"tree": NODE}, ...]} for `layout` (the previewer's single section with
// `preview`), or {"error": MESSAGE} with the message the job would answer; `measure` adds each
// section's "height" and the boxes and line breaks of the layout pass (images below `base`).
// kDrawn, or the failure written; the warnings name images that could not be loaded.
JobOutcome writeLayoutTree(std::ostream& out, const std::string& base, const std::string& layout,
                           bool preview, bool measure);

}  // namespace kestrane
