// The text stages of a STAR job, before anything is drawn or printed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jobs/job_outcome.h"
#include "render/receipt_section.h"

namespace kestrane {

struct StarText {
    std::optional<JobStatus> failure;   // why the layout is refused, if it is
    std::vector<std::string> sections;  // table sections in print order; may be empty
};

// Checks the minimum size and the cap (kMaxLayoutBytes), gives the layout a table root (refusing one of 5 bytes or fewer),
// rewrites it and splits it into table sections.
StarText prepareStarText(const std::string& receiptText);

// The job's status for a section that could not be drawn (not for SectionFailure::kNone).
JobStatus sectionFailureStatus(SectionFailure failure);

}  // namespace kestrane
