#include "previewer/preview_print.h"

#include "jobs/job_messages.h"
#include "jobs/receipt_jobs.h"
#include "previewer/previewer_texts.h"

namespace kestrane::previewer {

namespace {

PreviewMessage failure(const std::string& text, const std::string& detail = std::string()) {
    return {text, kErrorCaption, detail};
}

}  // namespace

PreviewMessage printPreview(const PreviewBitmap* bitmap, const std::string& printerName) {
    if (bitmap == nullptr || bitmap->width() <= 0 || bitmap->height() <= 0) {
        return failure(kNothingToPrint);
    }
    const JobOutcome outcome = printImageJob(printerName, bitmap->canvas);
    if (outcome.succeeded()) return {kPrintedToSpooler, kSuccessCaption, std::string()};
    // The previewer's own words for a printer it cannot open; the job's for the rest.
    const std::string text =
        outcome.status == JobStatus::kCouldNotConnect ? kCouldNotConnectToPrinter : jobMessage(outcome);
    return failure(text, jobDetail(outcome));
}

std::string messageBoxText(const PreviewMessage& message) {
    return message.detail.empty() ? message.text : message.text + "\n\n" + message.detail;
}

}  // namespace kestrane::previewer
