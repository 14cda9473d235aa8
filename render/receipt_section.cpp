#include "render/receipt_section.h"

#include <memory>

#include "markup/layout_limits.h"
#include "markup/parser.h"
#include "markup/preview_text.h"
#include "render/layout_pass.h"
#include "render/render_pass.h"

namespace kestrane {

using KVTGDIPRINTING_LOGIC::NodeA;

namespace {

struct Destroy {
    void operator()(NodeA* node) const { node->destroy(); }
};

}  // namespace

SectionImage renderSection(JobContext& job, const std::string& text, Variant variant) {
    SectionImage result;
    const bool measureEntered = job.measureEnteredTable;
    job.layoutCursor = 0;
    const ParseResult parsed = parseMarkup(text, variant);
    std::unique_ptr<NodeA, Destroy> root(parsed.root);
    if (parsed.rejected) {
        result.failure = SectionFailure::kParse;
        return result;
    }
    result.height = measureNode(job, root.get(), variant);
    if (result.height <= 0 || result.height > kMaxSectionHeight) {
        result.failure = result.height <= 0 ? SectionFailure::kHeight : SectionFailure::kTooTall;
        job.measureEnteredTable = measureEntered;
        return result;
    }
    Canvas& canvas = result.canvas.emplace(kReceiptWidth, result.height + 21, Canvas::WhitenAsDrawn{});
    renderNode(job, canvas, root.get(), variant);
    moveTo(canvas, 10, result.height + 19);
    lineTo(canvas, 550, result.height + 19);
    whitenRows(canvas, canvas.height);
    return result;
}

SectionImage renderPreview(JobContext& job, const std::string& layout) {
    SectionImage result;
    std::string text;
    if (layout.size() > kMaxLayoutBytes) {
        result.failure = SectionFailure::kTooLarge;
    } else if (!preparePreviewText(layout, text)) {
        result.failure = SectionFailure::kNoMarkup;
    } else {
        result = renderSection(job, text, Variant::Previewer);
    }
    return result;
}

}  // namespace kestrane
