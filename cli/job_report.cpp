#include "cli/job_report.h"

#include <iostream>

#include "jobs/job_messages.h"

namespace kestrane {

void reportOutcome(const JobOutcome& outcome) {
    for (const std::string& warning : outcome.warnings) std::cerr << "kestrane: warning: " << warning << "\n";
    const std::string detail = jobDetail(outcome);
    if (!outcome.succeeded() && !detail.empty()) std::cerr << "kestrane: " << detail << "\n";
}

}  // namespace kestrane
