// The texts a job answers with. Callers (tills, scripts, layout designers) match on them, so their
// wording, misspellings and embedded line feeds included, is part of the interface; they are
// made here and nowhere else.
#pragma once

#include <string>

#include "jobs/job_outcome.h"

namespace kestrane {

// The message for `outcome`: a success text, or "Error - " and the failure. Statuses whose
// message is the reason itself (an argument or address refused, the stream file, a delivery)
// take it from the detail. Empty for kDrawn, which answers with what it drew.
std::string jobMessage(const JobOutcome& outcome);

// What a person needs beyond jobMessage: the detail, unless the message is made of it already.
std::string jobDetail(const JobOutcome& outcome);

// The previewer's text for a layout it cannot show.
extern const char kPreviewNotRendered[];

}  // namespace kestrane
