#include "cli/render_command.h"

#include <filesystem>
#include <iostream>

#include "cli/layout_file.h"
#include "cli/options.h"
#include "markup/preview_text.h"
#include "markup/replacement_scan.h"
#include "output/star_text.h"
#include "platform/png_file.h"
#include "render/receipt_image.h"
#include "render/receipt_section.h"

namespace kestrane {

namespace {

const char kUsage[] = "usage: kestrane render LAYOUT --out DIR [--base BASEDIR] [--preview]\n";

// Writes the canvas and reports it; false (with the reason on standard error) when it cannot.
bool writeSection(const SectionImage& image, const std::string& path) {
    std::string error;
    if (!writePngFile(*image.canvas, path, error)) {
        std::cerr << "kestrane: " << error << "\n";
        return false;
    }
    std::cout << path << " " << image.canvas->height << "\n";
    return true;
}

}  // namespace

int runRenderCommand(const std::vector<std::string>& args) {
    ParsedOptions options;
    if (!parseOptions(args, {"--preview"}, {"--out", "--base"}, options) ||
        options.values.count("--out") == 0) {
        std::cerr << kUsage;
        return 2;
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const std::string out = options.values["--out"];
    std::error_code made;
    std::filesystem::create_directories(out, made);
    if (made) {
        std::cerr << "kestrane: " << out << ": " << made.message() << "\n";
        return 2;
    }
    imageDirectory = options.values.count("--base") ? options.values["--base"] : ".";

    if (options.flags.count("--preview") != 0) {
        std::string text;
        if (!preparePreviewText(layout, text)) {
            std::cout << kPreviewNotRendered << "\n";
            return 1;
        }
        const SectionImage image = renderSection(text, Variant::Previewer);
        if (image.failure != SectionFailure::kNone) {
            std::cout << kPreviewNotRendered << "\n";
            return 1;
        }
        return writeSection(image, out + "/preview.png") ? 0 : 2;
    }

    const StarText star = prepareStarText(layout);
    if (!star.error.empty()) {
        std::cout << star.error << "\n";
        return 1;
    }
    for (std::size_t i = 0; i < star.sections.size(); ++i) {
        const SectionImage image = renderSection(replaceLineBreaks(star.sections[i]), Variant::AddOn);
        if (image.failure != SectionFailure::kNone) {
            std::cout << sectionFailureMessage(image.failure) << "\n";
            return 1;
        }
        if (!writeSection(image, out + "/section-" + std::to_string(i + 1) + ".png")) return 2;
    }
    return 0;
}

}  // namespace kestrane
