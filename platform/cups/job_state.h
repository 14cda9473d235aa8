// Where a CUPS job stands: asked of the scheduler until it has finished or the caller's limit has
// passed, so "printed" can mean the printer took the whole job, not only that CUPS queued it.
#pragma once

#include <cups/cups.h>

#include "platform/spooler.h"

namespace kestrane {

// Asks every 200 ms for job `job` of `dest` over `http` until it is completed, stopped, aborted or
// cancelled, or `limitMilliseconds` have passed.
JobEnd waitForCupsJob(http_t* http, cups_dest_t* dest, int job, int limitMilliseconds);

}  // namespace kestrane
