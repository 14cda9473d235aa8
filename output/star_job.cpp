#include "output/star_job.h"

#include "markup/replacement_scan.h"
#include "output/messages.h"
#include "output/star_text.h"
#include "render/job_context.h"
#include "render/receipt_section.h"

namespace kestrane {

StarJobOutcome runStarJob(const std::string& imageDirectory, const std::string& receiptText,
                          const SectionSink& sink) {
    StarJobOutcome outcome;
    JobContext job(imageDirectory);
    StarText star = prepareStarText(receiptText);
    outcome.message = star.error;
    for (std::size_t i = 0; i < star.sections.size() && outcome.message.empty(); ++i) {
        const std::string text = replaceLineBreaks(star.sections[i]);
        std::string().swap(star.sections[i]);  // a section's text is not needed twice
        const SectionImage image = renderSection(job, text, Variant::AddOn);
        outcome.message = image.failure == SectionFailure::kNone
                              ? sink(*image.canvas, i)
                              : sectionFailureMessage(image.failure);
    }
    if (outcome.message.empty()) outcome.message = kStarSuccess;
    outcome.unloadedImages = std::move(job.unloadedImages);
    return outcome;
}

}  // namespace kestrane
