#include "cli/render_command.h"

#include <iostream>

#include "cli/image_warnings.h"
#include "cli/layout_file.h"
#include "cli/options.h"
#include "cli/output_directory.h"
#include "markup/preview_text.h"
#include "output/messages.h"
#include "output/star_job.h"
#include "platform/png_file.h"
#include "render/receipt_section.h"

namespace kestrane {

namespace {

// Writes the canvas and reports it; false (with the reason on standard error) when it cannot.
bool writeSection(const Canvas& canvas, const std::string& path) {
    std::string error;
    if (!writePngFile(canvas, path, error)) {
        std::cerr << "kestrane: " << error << "\n";
        return false;
    }
    std::cout << path << " " << canvas.height << "\n";
    return true;
}

int renderPreview(const std::string& layout, const std::string& base, const std::string& out) {
    JobContext job(base);
    const SectionImage image = renderPreview(job, layout);
    warnUnloadedImages(job.unloadedImages);
    if (!image.canvas) {
        std::cout << kPreviewNotRendered << "\n";
        return 1;
    }
    return writeSection(*image.canvas, out + "/preview.png") ? 0 : 2;
}

}  // namespace

int runRenderCommand(const std::vector<std::string>& args) {
    const OptionSpec spec{{"--preview"},
                          {{"--out", "--out"}, {"-o", "--out"}, {"--base", "--base"}},
                          {"--out"}};
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, spec, options, error)) return usageError("render", error);
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const std::string out = options.value("--out");
    if (!makeOutputDirectory(out)) return 2;
    const std::string base = options.value("--base", ".");
    if (options.flags.count("--preview") != 0) return renderPreview(layout, base, out);

    bool written = true;
    const StarJobOutcome outcome =
        runStarJob(base, layout, [&](const Canvas& canvas, std::size_t index) {
            written = writeSection(canvas, out + "/section-" + std::to_string(index + 1) + ".png");
            return written ? std::string() : std::string("Error - cannot write the section");
        });
    warnUnloadedImages(outcome.unloadedImages);
    if (!written) return 2;
    if (outcome.message == kStarSuccess) return 0;
    std::cout << outcome.message << "\n";
    return 1;
}

}  // namespace kestrane
