#include "cli/print_command.h"

#include <iostream>
#include <map>

#include "cli/layout_file.h"
#include "markup/text_ops.h"
#include "output/messages.h"
#include "output/raw_receipt.h"

namespace kestrane {

namespace {

int usage() {
    std::cerr << "usage: kestrane print --type EPSON --address ADDR --base BASEDIR LAYOUT\n";
    return 2;
}

}  // namespace

int runPrintCommand(const std::vector<std::string>& args) {
    std::map<std::string, std::string> options = {
        {"--type", ""}, {"--address", ""}, {"--base", ""}};
    std::string layoutPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto option = options.find(args[i]);
        if (option != options.end() && i + 1 < args.size() && option->second.empty()) {
            option->second = args[++i];
        } else if (layoutPath.empty() && (args[i] == "-" || args[i].rfind("-", 0) != 0)) {
            layoutPath = args[i];
        } else {
            return usage();
        }
    }
    if (layoutPath.empty() || options["--type"].empty()) return usage();
    // The add-on compares the type upper-cased, so "epson" is EPSON too.
    if (toUpper(options["--type"]) != "EPSON") {
        std::cerr << "kestrane: printer type \"" << options["--type"]
                  << "\" is not supported here; use EPSON\n";
        return 2;
    }
    std::string layout, error;
    if (!readLayoutFile(layoutPath, layout, error)) {
        std::cerr << "kestrane: " << error << "\n";
        return 2;
    }
    const std::string message = printRawReceipt(options["--base"], options["--address"], layout);
    std::cout << message << "\n";
    return message == kRawSuccess ? 0 : 1;
}

}  // namespace kestrane
