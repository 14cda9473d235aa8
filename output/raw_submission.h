// The stream file of an EPSON job and its submission to the printer: the file gets a unique name
// in the job directory below the base directory, is sent to the printer's "RAW" queue, and is
// removed again.
#pragma once

#include <optional>
#include <string>

#include "jobs/job_outcome.h"
#include "platform/lpr_client.h"
#include "platform/text_file.h"

namespace kestrane {

// `imageDirectory` followed directly by "\node_modules\printer\build\": no separator is added or
// removed, so the image directory (the application's base directory) comes without a trailing one.
std::string rawJobDirectory(const std::string& imageDirectory);

// A new unique name: 32 lower-case hexadecimal digits; none when the system cannot make one.
std::optional<std::string> uniqueName();

// The job directory, the unique name, then "_receipt.ps". Without a name the file is
// "empty_receipt.ps", as the till's own jobs name it then.
std::string streamFilePath(const std::string& jobDirectory, const std::optional<std::string>& name);

// Creates or truncates the file at `path`, then opens it write-only in text mode (each LF written
// is stored as CR LF): the descriptor for writeTextFile/closeTextFile, or -1 and the system's
// error code; a file this call created stays on that path.
OpenedFile openStreamFile(const std::string& path);

// Sends the closed stream file to the queue "RAW" of the print server at `ipAddress` and removes
// the file on every path. kEpsonDelivered only when the server acknowledged the whole job;
// otherwise kNotDelivered with the reason. `jobDirectory` is where the file lies.
JobOutcome submitRawJob(const std::string& jobDirectory, const std::string& ipAddress,
                         const std::string& streamFilePath, const RawLimits& limits = RawLimits());

}  // namespace kestrane
