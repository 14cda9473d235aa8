// The text stages of a STAR job, before anything is drawn or printed.
#pragma once

#include <string>
#include <vector>

#include "render/receipt_section.h"

namespace kestrane {

struct StarText {
    std::string error;                  // an "Error - " message, or empty
    std::vector<std::string> sections;  // table sections in print order; may be empty
};

// Checks the minimum size and the cap (kMaxLayoutBytes), gives the layout a table root (refusing one of 5 bytes or fewer),
// rewrites it and splits it into table sections.
StarText prepareStarText(const std::string& receiptText);

// The job's message for a section that could not be drawn; empty for SectionFailure::kNone.
std::string sectionFailureMessage(SectionFailure failure);

}  // namespace kestrane
