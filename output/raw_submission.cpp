#include "output/raw_submission.h"

#include <cstdio>

#include "platform/file_path.h"
#include "platform/raw_delivery.h"
#include "platform/system_error.h"
#include "platform/text_file.h"
#include "platform/uuid.h"

namespace kestrane {

namespace {

const char kRawQueue[] = "RAW";

}  // namespace

std::string rawJobDirectory(const std::string& imageDirectory) {
    return imageDirectory + "\\node_modules\\printer\\build\\";
}

std::optional<std::string> uniqueName() {
    std::string hex = newUuidHex();
    if (hex.empty()) return std::nullopt;
    return hex;
}

std::string streamFilePath(const std::string& jobDirectory, const std::optional<std::string>& name) {
    return jobDirectory + name.value_or("empty") + "_receipt.ps";
}

OpenedFile openStreamFile(const std::string& path) {
    const std::string native = nativePath(path);
    // The creation's own error: a folder that refuses the file says "Permission denied", not the
    // "No such file" of opening what was never made.
    if (const FileResult created = createEmptyFile(native); !created) return {-1, created.error};
    return openTextFile(native);
}

JobOutcome submitRawJob(const std::string& jobDirectory, const std::string& ipAddress,
                         const std::string& streamFilePath, const RawLimits& limits) {
    const RawResult sent = deliverRawFile(jobDirectory, ipAddress, kRawQueue, streamFilePath, limits);
    std::remove(nativePath(streamFilePath).c_str());
    return sent.delivered ? jobOutcome(JobStatus::kEpsonDelivered)
                          : jobOutcome(JobStatus::kNotDelivered, sent.error);
}

}  // namespace kestrane
