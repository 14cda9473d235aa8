// Handing a finished stream file to the printer's print server. Where the engine runs its own
// LPD client (POSIX), the file's bytes go out through it; on Windows the till's LPR client
// lpr.exe, installed in the job directory, takes the file.
#pragma once

#include <string>

#include "platform/lpr_client.h"

namespace kestrane {

// Delivers the closed file at `streamFilePath` (which lies in `jobDirectory`) to the queue
// `queue` of the print server at `address`, within `limits`. The file is left where it is.
RawResult deliverRawFile(const std::string& jobDirectory, const std::string& address,
                         const std::string& queue, const std::string& streamFilePath,
                         const RawLimits& limits);

// Sends `bytes` as they are, with no stream file, to the queue `queue` of the print server at
// `address`, within `limits`. (The Windows build has no such client yet and says so.)
RawResult deliverRawBytes(const std::string& address, const std::string& queue, const std::string& name,
                          const std::string& bytes, const RawLimits& limits);

}  // namespace kestrane
