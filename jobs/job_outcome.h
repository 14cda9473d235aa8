// What a job gave: a status, the detail a person needs to act on a failure, and warnings about
// what printed without being right. The texts callers match on are made from the status alone,
// at the edge (jobMessage); code decides by the status, never by a text.
#pragma once

#include <string>
#include <vector>

namespace kestrane {

enum class JobStatus {
    // Done.
    kStarPrinted,     // the spooler took every section
    kEpsonDelivered,  // the printer's server acknowledged the whole stream
    kDrawn,           // drawn or converted, nothing sent
    // printReceipt's argument checks, in their order.
    kTooFewArguments,
    kArgumentRefused,  // an argument that cannot become text; the detail names it and why
    kPrinterNameBlank,
    kPrinterTypeBlank,
    kAddressBlank,
    kReceiptTextBlank,
    kPrinterNotSupported,
    // The layout.
    kTextTooShort,
    kUnsupportedLayout,
    kTemplateNotParsed,
    kLayoutNotSupported,
    kSectionTooTall,
    kLayoutTooLarge,
    kPreviewNotRendered,
    kNothingToPrint,  // no complete table: not one section to print
    // The spooler.
    kPrinterOffline,
    kPrinterOfflineNetwork,  // the same for a name with a "\": a printer shared by another machine
    kPrinterNameTooShort,
    kCouldNotConnect,
    kNoDrivers,
    kCouldNotWrite,
    kPageTooShort,  // the printer's page cannot hold one row of the receipt
    // The EPSON path: the detail is the whole reason, and the message is "Error - " and it.
    kAddressRefused,
    kStreamFileFailed,
    kNotDelivered,
    // Where a front end put the result (a PNG file the command line could not write).
    kOutputFailed,
    // The engine failed inside (out of memory, no thread): the detail says how.
    kJobFailed,
    // The printer's lane: the job waited for its turn longer than its caller allows, or too many
    // jobs already wait for the printer. The detail says which and how long.
    kGaveUp,
    kBacklogFull,
    // Asked to wait for it, the spooler did not report the job printed: the detail says how it
    // ended (stopped, aborted, cancelled) or that no end came within the limit.
    kNotPrinted,
};

struct JobOutcome {
    JobStatus status = JobStatus::kDrawn;
    // The spooler's or the system's own words, with the step and the file where they help; empty
    // when the status says it all.
    std::string detail;
    // Things a person should know although the job went on: images that could not be loaded.
    std::vector<std::string> warnings;

    bool succeeded() const {
        return status == JobStatus::kStarPrinted || status == JobStatus::kEpsonDelivered ||
               status == JobStatus::kDrawn;
    }
};

inline JobOutcome jobOutcome(JobStatus status, std::string detail = std::string()) {
    JobOutcome outcome;
    outcome.status = status;
    outcome.detail = std::move(detail);
    return outcome;
}

}  // namespace kestrane
