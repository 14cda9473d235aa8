#include "output/star_job.h"

#include "markup/replacement_scan.h"
#include "output/star_text.h"
#include "platform/file_path.h"
#include "render/job_context.h"
#include "render/receipt_section.h"

namespace kestrane {

JobOutcome runStarJob(const std::string& imageDirectory, const std::string& receiptText,
                      const SectionSink& sink) {
    JobOutcome outcome;
    JobContext job(imageDirectory);
    StarText star = prepareStarText(receiptText);
    if (star.failure) outcome.status = *star.failure;
    // A layout without one complete table would "print" nothing and be reported printed.
    if (!star.failure && star.sections.empty()) outcome.status = JobStatus::kNothingToPrint;
    for (std::size_t i = 0; i < star.sections.size() && outcome.succeeded(); ++i) {
        const std::string text = replaceLineBreaks(star.sections[i]);
        std::string().swap(star.sections[i]);  // a section's text is not needed twice
        const SectionImage image = renderSection(job, text, Variant::AddOn);
        outcome = image.failure == SectionFailure::kNone
                      ? sink(*image.canvas, i)
                      : jobOutcome(sectionFailureStatus(image.failure));
    }
    if (outcome.succeeded()) outcome.status = JobStatus::kDrawn;
    outcome.warnings = imageWarnings(job.unloadedImages);
    return outcome;
}

std::vector<std::string> imageWarnings(const std::vector<std::string>& unloadedImages) {
    std::vector<std::string> warnings;
    for (const std::string& path : unloadedImages) {
        warnings.push_back(path.empty() ? "an <img> names no file (src=\"...\")"
                                        : nativePath(path) +
                                              ": image cannot be loaded (not a readable BMP "
                                              "file, or too large)");
    }
    return warnings;
}

}  // namespace kestrane
