#include "cli/render_command.h"

#include <iostream>
#include <optional>

#include "cli/job_report.h"
#include "cli/layout_file.h"
#include "cli/options.h"
#include "cli/output_directory.h"
#include "jobs/job_messages.h"
#include "jobs/receipt_jobs.h"
#include "platform/png_file.h"

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
    std::optional<Canvas> image;
    JobOutcome outcome = drawPreview(base, layout, false, image);
    if (!outcome.succeeded()) {
        // The previewer shows its placeholder for every failure; the cause goes under it.
        std::cout << kPreviewNotRendered << "\n";
        if (outcome.status != JobStatus::kPreviewNotRendered) outcome.detail = jobMessage(outcome);
    }
    reportOutcome(outcome);
    if (!image) return 1;
    return writeSection(*image, out + "/preview.png") ? 0 : 2;
}

// "WIDTHxHEIGHT" in device pixels, each 1 to 100,000.
bool parseDeviceSize(const std::string& text, DeviceSize& size) {
    const std::size_t x = text.find('x');
    const auto number = [](const std::string& digits, int32_t& value) {
        if (digits.empty() || digits.size() > 6 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        value = std::stoi(digits);
        return value >= 1 && value <= 100000;
    };
    return x != std::string::npos && number(text.substr(0, x), size.width) &&
           number(text.substr(x + 1), size.height);
}

// The pages a printer of `device` would get for a section, as the STAR job stretches them.
bool writeDevicePages(const Canvas& canvas, const DeviceSize& device, const std::string& prefix) {
    const std::vector<Canvas> pages = devicePages(canvas, device);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (!writeSection(pages[i], prefix + "-page-" + std::to_string(i + 1) + ".png")) return false;
    }
    return true;
}

}  // namespace

int runRenderCommand(const std::vector<std::string>& args) {
    const OptionTable table{{"--preview"},
                          {{"--out", "--out"},
                           {"-o", "--out"},
                           {"--base", "--base"},
                           {"--device", "--device"}},
                          {"--out"}};
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, table, options, error)) return usageError("render", error);
    DeviceSize device;
    const bool pages = options.values.count("--device") != 0;
    if (pages && options.flags.count("--preview") != 0) {
        return usageError("render", "--preview and --device cannot be used together");
    }
    if (pages && !parseDeviceSize(options.value("--device"), device)) {
        return usageError("render", "--device takes WIDTHxHEIGHT in device pixels");
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const std::string out = options.value("--out");
    if (!makeOutputDirectory(out)) return 2;
    const std::string base = options.value("--base", ".");
    if (options.flags.count("--preview") != 0) return renderPreview(layout, base, out);

    const JobOutcome outcome = drawReceipt(base, layout, [&](const Canvas& canvas, std::size_t index) {
        if (pages && devicePages(canvas, device).empty()) return jobOutcome(JobStatus::kPageTooShort);
        const std::string name = out + "/section-" + std::to_string(index + 1);
        const bool written = pages ? writeDevicePages(canvas, device, name) : writeSection(canvas, name + ".png");
        return jobOutcome(written ? JobStatus::kDrawn : JobStatus::kOutputFailed);
    });
    reportOutcome(outcome);  // a PNG that could not be written has said why already
    if (outcome.status == JobStatus::kOutputFailed) return 2;
    if (!outcome.succeeded()) std::cout << jobMessage(outcome) << "\n";
    return outcome.succeeded() ? 0 : 1;
}

}  // namespace kestrane
