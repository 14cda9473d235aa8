#include "jobs/receipt_jobs.h"

#include "jobs/job_guard.h"
#include "markup/layout_limits.h"
#include "output/raw_conversion.h"
#include "output/raw_receipt.h"
#include "output/star_job.h"
#include "output/star_print.h"
#include "render/job_context.h"
#include "render/receipt_section.h"

namespace kestrane {

const std::size_t kLayoutCap = kMaxLayoutBytes;

JobOutcome printStarJob(const std::string& base, const std::string& printer, const std::string& layout) {
    return guardedJob([&] { return printStarReceipt(base, printer, layout); });
}

JobOutcome printEpsonJob(const std::string& base, const std::string& address, const std::string& layout,
                         const RawLimits& limits) {
    return guardedJob([&] { return printRawReceipt(base, address, layout, limits); });
}

JobOutcome printImageJob(const std::string& printer, const Canvas& image) {
    return guardedJob([&] { return printCanvas(printer, image); });
}

JobOutcome drawReceipt(const std::string& base, const std::string& layout, const DrawnSection& take) {
    return guardedJob([&] { return runStarJob(base, layout, take); });
}

namespace {

// The STAR job's sections stacked in print order: each is one document on the printer.
JobOutcome stackedSections(const std::string& base, const std::string& layout, std::optional<Canvas>& image) {
    std::vector<Canvas> sections;
    int64_t height = 0;
    JobOutcome outcome = runStarJob(base, layout, [&](const Canvas& canvas, std::size_t) {
        if (height + canvas.height > kMaxSectionHeight) return jobOutcome(JobStatus::kSectionTooTall);
        height += canvas.height;
        sections.push_back(canvas);
        return jobOutcome(JobStatus::kDrawn);
    });
    if (!outcome.succeeded()) return outcome;
    Canvas& stacked = image.emplace(kReceiptWidth, static_cast<int32_t>(height));
    int32_t top = 0;
    for (const Canvas& section : sections) {
        copyCanvas(stacked, section, 0, top);
        top += section.height;
    }
    return outcome;
}

// The whole layout as one image, in the previewer's variant.
JobOutcome previewImage(const std::string& base, const std::string& layout, std::optional<Canvas>& image) {
    JobContext job(base);
    SectionImage drawn = renderPreview(job, layout);
    JobOutcome outcome = jobOutcome(drawn.failure == SectionFailure::kNone       ? JobStatus::kDrawn
                                    : drawn.failure == SectionFailure::kTooLarge ? JobStatus::kLayoutTooLarge
                                                                                 : JobStatus::kPreviewNotRendered);
    if (drawn.canvas) image = std::move(*drawn.canvas);
    outcome.warnings = imageWarnings(job.unloadedImages);
    return outcome;
}

}  // namespace

JobOutcome drawPreview(const std::string& base, const std::string& layout, bool starJob,
                       std::optional<Canvas>& image) {
    image.reset();
    if (starJob) return guardedJob([&] { return stackedSections(base, layout, image); });
    return guardedJob([&] { return previewImage(base, layout, image); });
}

std::vector<Canvas> devicePages(const Canvas& section, const DeviceSize& device) {
    std::vector<Canvas> pages;
    for (const PageSlice& slice : pageSlices(section.height, device, section.width)) {
        pages.push_back(devicePage(section, slice, device.width));
    }
    return pages;
}

JobOutcome escposStream(const std::string& layout, std::string& stream, bool nativeQr) {
    if (layout.size() > kMaxLayoutBytes) return jobOutcome(JobStatus::kLayoutTooLarge);
    return guardedJob([&] {
        stream = rawReceiptBytes(layout, nativeQr);
        return jobOutcome(JobStatus::kDrawn);
    });
}

JobOutcome escposRasterReceipt(const std::string& base, const std::string& layout, int32_t dots, std::string& stream) {
    return guardedJob([&] { return escposRasterStream(base, layout, dots, stream); });
}

bool readEscposPages(const std::string& stream, std::vector<Canvas>& pages, std::string& error) {
    return decodeEscposRaster(stream, pages, error);
}

}  // namespace kestrane
