#include "previewer/previewer_options.h"

#include <cctype>
#include <iterator>

#include "previewer/previewer_texts.h"

namespace kestrane::previewer {

namespace {

bool sameIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

// The sample names as the usage and the errors list them: "Kestrane, Vexo, Invoice".
std::string sampleNames() {
    std::string names;
    for (std::size_t i = 1; i < std::size(kSampleEntries); ++i)
        names += (i > 1 ? ", " : "") + std::string(kSampleEntries[i]);
    return names;
}

}  // namespace

int sampleEntry(const std::string& name) {
    for (std::size_t i = 1; i < std::size(kSampleEntries); ++i) {
        if (sameIgnoringCase(name, kSampleEntries[i])) return static_cast<int>(i);
    }
    return 0;
}

CommandLine parsePreviewerArguments(const std::vector<std::string>& arguments,
                                    const std::string& programPath, bool screenshots,
                                    PreviewerOptions& options, std::string& error) {
    options = PreviewerOptions();
    bool baseGiven = false, optionsEnded = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help") return CommandLine::kHelp;
        if (argument == "-v" || argument == "--version") return CommandLine::kVersion;
        if (argument == "--exact") {
            options.mode = PreviewMode::kStarJob;
            continue;
        }
        // The options with a value take it as the next argument or after "=".
        const std::string::size_type equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name != "--base" && name != "--sample" && (name != "--screenshot" || !screenshots)) {
            error = "unknown option " + name;
            return CommandLine::kRefused;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = name + " needs a value";
            return CommandLine::kRefused;
        }
        if (value.empty()) {
            error = name + " needs a value";
            return CommandLine::kRefused;
        }
        if (name == "--base") {
            options.imageDirectory = value;
            baseGiven = true;
        } else if (name == "--sample") {
            options.sample = sampleEntry(value);
            if (options.sample == 0) {
                error = "no sample named " + value + " (" + sampleNames() + ")";
                return CommandLine::kRefused;
            }
        } else {
            options.screenshot = value;
        }
    }
    if (files.size() > 1) {
        error = "one layout file at most";
        return CommandLine::kRefused;
    }
    if (!files.empty()) options.layoutFile = files.front();
    if (!baseGiven) options.imageDirectory = previewImageDirectory(programPath);
    return CommandLine::kRun;
}

std::string previewerUsage(bool screenshots) {
    std::string usage = std::string("Usage: ") + kProgramName +
                        " [--exact] [--base DIR] [--sample NAME]" +
                        (screenshots ? " [--screenshot FILE]" : "") +
                        " [LAYOUT]\n"
                        "Shows how a receipt layout renders, and prints it.\n"
                        "\n"
                        "  LAYOUT             a layout file to show and follow as it changes\n"
                        "  --exact            preview with the STAR print job's engine: its table\n"
                        "                     sections, column widths and QR sizes\n"
                        "  --base DIR         look up the layouts' images below DIR (by default two\n"
                        "                     levels above the program's folder)\n"
                        "  --sample NAME      show the built-in sample NAME (" +
                        sampleNames() + ")\n";
    if (screenshots) {
        usage +=
            "  --screenshot FILE  write the window as it shows on screen to FILE (PNG) and quit\n";
    }
    usage +=
        "  -h, --help         show this text\n"
        "  -v, --version      show the version\n";
    return usage;
}

std::string previewerVersion() {
    return std::string(kProgramName) + " " + KESTRANE_VERSION;
}

}  // namespace kestrane::previewer
