// What a job has to tell a person besides its one message, on standard error: the detail of a
// failure (the spooler's or the system's words, the step) and warnings, such as an image that
// could not be loaded, so a designer who gets a receipt without its logo learns why.
#pragma once

#include "jobs/job_outcome.h"

namespace kestrane {

// "kestrane: warning: ..." a warning, then "kestrane: ..." for the detail of a failure that its
// message does not carry already.
void reportOutcome(const JobOutcome& outcome);

}  // namespace kestrane
