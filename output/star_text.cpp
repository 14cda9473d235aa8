#include "output/star_text.h"

#include "markup/layout_limits.h"
#include "markup/normalise.h"
#include "output/messages.h"

namespace kestrane {

StarText prepareStarText(const std::string& receiptText) {
    StarText result;
    if (receiptText.size() < 5) {
        result.error = kTextTooShort;
        return result;
    }
    if (receiptText.size() > kMaxLayoutBytes) {
        result.error = kLayoutTooLarge;
        return result;
    }
    const std::string rooted = wrapTableRoot(receiptText, Variant::AddOn);
    if (rooted.size() <= 5) {
        result.error = kUnsupportedLayout;
        return result;
    }
    result.sections = splitTableSections(rewriteMarkup(rooted));
    return result;
}

std::string sectionFailureMessage(SectionFailure failure) {
    switch (failure) {
        case SectionFailure::kParse: return kTemplateNotParsed;
        case SectionFailure::kHeight: return kLayoutNotSupported;
        case SectionFailure::kTooTall: return kSectionTooTall;
        case SectionFailure::kNoMarkup: return kUnsupportedLayout;
        case SectionFailure::kTooLarge: return kLayoutTooLarge;
        case SectionFailure::kNone: break;
    }
    return std::string();
}

}  // namespace kestrane
