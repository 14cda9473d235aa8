#include "jobs/layout_tree.h"

#include <vector>

#include "jobs/job_messages.h"
#include "jobs/tree_json.h"
#include "markup/parser.h"
#include "markup/preview_text.h"
#include "markup/replacement_scan.h"
#include "output/star_job.h"
#include "output/star_text.h"
#include "render/job_context.h"
#include "render/layout_pass.h"

namespace kestrane {

namespace {

JobOutcome writeError(std::ostream& out, JobStatus status) {
    const JobOutcome outcome = jobOutcome(status);
    out << "{\"error\": ";
    writeJsonString(out, jobMessage(outcome));
    out << "}\n";
    return outcome;
}

JobOutcome writeSections(std::ostream& out, JobContext& job, const std::vector<std::string>& texts,
                         Variant variant, bool measure) {
    out << "{\"sections\": [";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i != 0) out << ", ";
        KVTGDIPRINTING_LOGIC::NodeA* root = parseMarkup(texts[i], variant).root;
        out << '{';
        if (measure) {
            // Each section is laid out from the top, as a print job does.
            job.layoutCursor = 0;
            out << "\"height\": " << measureNode(job, root, variant) << ", ";
        }
        out << "\"tree\": ";
        writeTreeJson(out, *root);
        out << '}';
        root->destroy();
    }
    out << "]}\n";
    JobOutcome outcome = jobOutcome(JobStatus::kDrawn);
    outcome.warnings = imageWarnings(job.unloadedImages);
    return outcome;
}

}  // namespace

JobOutcome writeLayoutTree(std::ostream& out, const std::string& base, const std::string& layout,
                           bool preview, bool measure) {
    JobContext job(base);
    if (preview) {
        std::string text;
        if (!preparePreviewText(layout, text)) return writeError(out, JobStatus::kPreviewNotRendered);
        return writeSections(out, job, {text}, Variant::Previewer, measure);
    }
    StarText star = prepareStarText(layout);
    if (star.failure) return writeError(out, *star.failure);
    for (std::string& section : star.sections) section = replaceLineBreaks(section);
    return writeSections(out, job, star.sections, Variant::AddOn, measure);
}

}  // namespace kestrane
