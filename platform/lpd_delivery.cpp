#include <fstream>
#include <sstream>

#include "platform/file_path.h"
#include "platform/raw_delivery.h"
#include "platform/system_error.h"

namespace kestrane {

namespace {

bool readStoredBytes(const std::string& path, std::string& bytes) {
    std::ifstream in(nativePath(path), std::ios::binary);
    if (!in) return false;
    std::ostringstream stored;
    stored << in.rdbuf();
    bytes = stored.str();
    return !in.bad();
}

// The last component of a file name written with "\" or "/".
std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The in-process client needs no program from the job directory.
RawResult deliverRawFile(const std::string&, const std::string& address, const std::string& queue,
                         const std::string& streamFilePath, const RawLimits& limits) {
    std::string bytes;
    setLastSystemError(0);
    if (!readStoredBytes(streamFilePath, bytes)) {
        return {false, "Could not read the receipt stream file: " + systemErrorText(lastSystemError()), {}};
    }
    return sendRawJob(address, {queue, baseName(streamFilePath), bytes}, limits);
}

RawResult deliverRawBytes(const std::string& address, const std::string& queue, const std::string& name,
                          const std::string& bytes, const RawLimits& limits) {
    return sendRawJob(address, {queue, name, bytes}, limits);
}

}  // namespace kestrane
