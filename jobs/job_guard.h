// A job that fails inside the engine (no memory for a page a broken driver describes as
// 2,000,000 dpi wide, a thread the system will not give) ends as an outcome of its own, never as
// an exception that takes the till's process down.
#pragma once

#include <exception>
#include <new>
#include <string>

#include "jobs/job_outcome.h"

namespace kestrane {

template <typename Job>
JobOutcome guardedJob(const Job& job) {
    try {
        return job();
    } catch (const std::bad_alloc&) {
        return jobOutcome(JobStatus::kJobFailed, "The print job ran out of memory");
    } catch (const std::exception& error) {
        return jobOutcome(JobStatus::kJobFailed, std::string("The print job failed: ") + error.what());
    } catch (...) {
        return jobOutcome(JobStatus::kJobFailed, "The print job failed");
    }
}

}  // namespace kestrane
