#include "output/raw_submission.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "output/messages.h"
#include "platform/file_path.h"
#include "platform/system_error.h"
#include "platform/text_file.h"
#include "platform/uuid.h"

namespace kestrane {

namespace {

const char kRawQueue[] = "RAW";

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

std::string rawJobDirectory(const std::string& baseDirectory) {
    return baseDirectory + "\\node_modules\\printer\\build\\";
}

std::string uuidText() {
    const std::string hex = newUuidHex();
    return hex.empty() ? "empty" : hex;
}

std::string streamFilePath(const std::string& jobDirectory, const std::string& uniqueName) {
    return jobDirectory + uniqueName + "_receipt.ps";
}

int openStreamFile(const std::string& path) {
    const std::string native = nativePath(path);
    { std::ofstream create(native, std::ios::out | std::ios::trunc); }
    return openTextFile(native);
}

std::string submitRawJob(const std::string& jobDirectory, const std::string& ipAddress,
                         const std::string& streamFilePath, const RawLimits& limits) {
    (void)jobDirectory;  // the in-process client needs no program from the job directory
    std::string bytes;
    setLastSystemError(0);
    const bool read = readStoredBytes(streamFilePath, bytes);
    const int readError = lastSystemError();
    std::string message;
    if (!read) {
        message =
            errorText("Could not read the receipt stream file: " + systemErrorText(readError));
    } else {
        const RawResult sent =
            sendRawJob(ipAddress, {kRawQueue, baseName(streamFilePath), bytes}, limits);
        message = sent.delivered ? std::string(kRawSuccess) : errorText(sent.error);
    }
    std::remove(nativePath(streamFilePath).c_str());
    return message;
}

}  // namespace kestrane
