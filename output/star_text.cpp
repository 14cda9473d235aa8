#include "output/star_text.h"

#include "markup/layout_limits.h"
#include "markup/normalise.h"

namespace kestrane {

StarText prepareStarText(const std::string& receiptText) {
    StarText result;
    if (receiptText.size() < 5) {
        result.failure = JobStatus::kTextTooShort;
        return result;
    }
    if (receiptText.size() > kMaxLayoutBytes) {
        result.failure = JobStatus::kLayoutTooLarge;
        return result;
    }
    const std::string rooted = wrapTableRoot(receiptText, Variant::AddOn);
    if (rooted.size() <= 5) {
        result.failure = JobStatus::kUnsupportedLayout;
        return result;
    }
    result.sections = splitTableSections(rewriteMarkup(rooted));
    return result;
}

JobStatus sectionFailureStatus(SectionFailure failure) {
    switch (failure) {
        case SectionFailure::kParse: return JobStatus::kTemplateNotParsed;
        case SectionFailure::kHeight: return JobStatus::kLayoutNotSupported;
        case SectionFailure::kTooTall: return JobStatus::kSectionTooTall;
        case SectionFailure::kTooLarge: return JobStatus::kLayoutTooLarge;
        case SectionFailure::kNoMarkup:
        case SectionFailure::kNone: break;
    }
    return JobStatus::kUnsupportedLayout;
}

}  // namespace kestrane
