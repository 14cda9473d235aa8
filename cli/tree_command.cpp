#include "cli/tree_command.h"

#include <iostream>

#include "cli/layout_file.h"
#include "cli/tree_json.h"
#include "markup/parser.h"
#include "markup/preview_text.h"
#include "markup/replacement_scan.h"
#include "output/star_text.h"

namespace kestrane {

namespace {

const char kPreviewNotRendered[] = "Template Could not Render";

int printError(const std::string& message) {
    std::cout << "{\"error\": ";
    writeJsonString(std::cout, message);
    std::cout << "}\n";
    return 1;
}

int printSections(const std::vector<std::string>& texts, Variant variant) {
    std::cout << "{\"sections\": [";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i != 0) std::cout << ", ";
        KVTGDIPRINTING_LOGIC::NodeA* root = parseMarkup(texts[i], variant);
        std::cout << "{\"tree\": ";
        writeTreeJson(std::cout, *root);
        std::cout << '}';
        root->destroy();
    }
    std::cout << "]}\n";
    return 0;
}

}  // namespace

int runTreeCommand(const std::vector<std::string>& args) {
    std::string path;
    bool preview = false;
    for (const std::string& arg : args) {
        if (arg == "--preview") {
            preview = true;
        } else if (path.empty() && (arg == "-" || arg.rfind("--", 0) != 0)) {
            path = arg;
        } else {
            std::cerr << "usage: kestrane tree LAYOUT [--preview]\n";
            return 2;
        }
    }
    if (path.empty()) {
        std::cerr << "usage: kestrane tree LAYOUT [--preview]\n";
        return 2;
    }
    std::string layout, error;
    if (!readLayoutFile(path, layout, error)) {
        std::cerr << "kestrane: " << error << "\n";
        return 2;
    }
    if (preview) {
        std::string text;
        if (!preparePreviewText(layout, text)) return printError(kPreviewNotRendered);
        return printSections({text}, Variant::Previewer);
    }
    StarText star = prepareStarText(layout);
    if (!star.error.empty()) return printError(star.error);
    for (std::string& section : star.sections) section = replaceLineBreaks(section);
    return printSections(star.sections, Variant::AddOn);
}

}  // namespace kestrane
