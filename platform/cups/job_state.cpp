#include "platform/cups/job_state.h"

#include <chrono>
#include <string>
#include <thread>

#include "platform/cups/cups_library.h"

namespace kestrane {

namespace {

struct JobAttributes {
    int state = 0;  // IPP job-state: 3 pending ... 9 completed; 0 when unknown
    std::string reasons;
    std::string message;
};

std::string joined(ipp_attribute_t* attribute) {
    std::string text;
    for (int i = 0; attribute != nullptr && i < ippGetCount(attribute); ++i) {
        if (!text.empty()) text += ", ";
        const char* value = ippGetString(attribute, i, nullptr);
        text += value != nullptr ? value : "";
    }
    return text;
}

bool askJob(http_t* http, cups_dest_t* dest, int job, JobAttributes& attributes) {
    const char* uri = cupsGetOption("printer-uri-supported", dest->num_options, dest->options);
    const std::string printerUri = uri != nullptr ? uri : std::string("ipp://localhost/printers/") + dest->name;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri.c_str());
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    static const char* const wanted[] = {"job-state", "job-state-reasons", "job-printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    if (response == nullptr) return false;
    ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
    attributes.state = state != nullptr ? ippGetInteger(state, 0) : 0;
    attributes.reasons = joined(ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD));
    attributes.message = joined(ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT));
    ippDelete(response);
    return attributes.state != 0;
}

const char* stateName(int state) {
    switch (state) {
        case IPP_JSTATE_PENDING: return "pending";
        case IPP_JSTATE_HELD: return "held";
        case IPP_JSTATE_PROCESSING: return "processing";
        case IPP_JSTATE_STOPPED: return "stopped";
        case IPP_JSTATE_CANCELED: return "cancelled";
        case IPP_JSTATE_ABORTED: return "aborted";
        case IPP_JSTATE_COMPLETED: return "completed";
        default: return "unknown";
    }
}

std::string describe(cups_dest_t* dest, int job, const JobAttributes& attributes) {
    std::string text = std::string("job ") + std::to_string(job) + " on printer '" + dest->name + "' is " +
                       stateName(attributes.state);
    if (!attributes.reasons.empty()) text += " (" + attributes.reasons + ")";
    if (!attributes.message.empty()) text += ": " + attributes.message;
    return text;
}

}  // namespace

JobEnd waitForCupsJob(http_t* http, cups_dest_t* dest, int job, int limitMilliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMilliseconds);
    JobAttributes attributes;
    for (;;) {
        if (!askJob(http, dest, job, attributes)) {
            return {JobEnd::State::kUnconfirmed,
                    std::string("the spooler did not say how job ") + std::to_string(job) + " ended (" +
                        cupsLastErrorString() + ")"};
        }
        if (attributes.state == IPP_JSTATE_COMPLETED) return {JobEnd::State::kPrinted, std::string()};
        if (attributes.state >= IPP_JSTATE_STOPPED) {
            return {JobEnd::State::kFailed, describe(dest, job, attributes)};
        }
        if (std::chrono::steady_clock::now() >= end) {
            return {JobEnd::State::kUnconfirmed,
                    describe(dest, job, attributes) + " after " + std::to_string(limitMilliseconds / 1000) +
                        " seconds"};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

}  // namespace kestrane
