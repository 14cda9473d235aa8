#include "cli/tree_command.h"

#include <iostream>

#include "cli/image_warnings.h"
#include "cli/layout_file.h"
#include "cli/options.h"
#include "cli/tree_json.h"
#include "markup/parser.h"
#include "markup/preview_text.h"
#include "markup/replacement_scan.h"
#include "output/star_text.h"
#include "render/layout_pass.h"
#include "render/job_context.h"

namespace kestrane {

namespace {

int printError(const std::string& message) {
    std::cout << "{\"error\": ";
    writeJsonString(std::cout, message);
    std::cout << "}\n";
    return 1;
}

int printSections(JobContext& job, const std::vector<std::string>& texts, Variant variant,
                  bool measure) {
    std::cout << "{\"sections\": [";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i != 0) std::cout << ", ";
        KVTGDIPRINTING_LOGIC::NodeA* root = parseMarkup(texts[i], variant);
        std::cout << '{';
        if (measure) {
            // Each section is laid out from the top, as a print job does.
            job.layoutCursor = 0;
            std::cout << "\"height\": " << measureNode(job, root, variant) << ", ";
        }
        std::cout << "\"tree\": ";
        writeTreeJson(std::cout, *root);
        std::cout << '}';
        root->destroy();
    }
    std::cout << "]}\n";
    warnUnloadedImages(job.unloadedImages);
    return 0;
}

}  // namespace

int runTreeCommand(const std::vector<std::string>& args) {
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, {{"--preview", "--measure"}, {{"--base", "--base"}}, {}}, options, error)) {
        return usageError("tree", error);
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    JobContext job;
    job.imageDirectory = options.value("--base", ".");
    const bool measure = options.flags.count("--measure") != 0;
    if (options.flags.count("--preview") != 0) {
        std::string text;
        if (!preparePreviewText(layout, text)) return printError(kPreviewNotRendered);
        return printSections(job, {text}, Variant::Previewer, measure);
    }
    StarText star = prepareStarText(layout);
    if (!star.error.empty()) return printError(star.error);
    for (std::string& section : star.sections) section = replaceLineBreaks(section);
    return printSections(job, star.sections, Variant::AddOn, measure);
}

}  // namespace kestrane
