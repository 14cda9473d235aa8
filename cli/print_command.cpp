#include "cli/print_command.h"

#include <iostream>

#include "cli/layout_file.h"
#include "cli/options.h"
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
    ParsedOptions options;
    if (!parseOptions(args, {}, {"--type", "--address", "--base"}, options) ||
        options.values["--type"].empty()) {
        return usage();
    }
    // The add-on compares the type upper-cased, so "epson" is EPSON too.
    if (toUpper(options.values["--type"]) != "EPSON") {
        std::cerr << "kestrane: printer type \"" << options.values["--type"]
                  << "\" is not supported here; use EPSON\n";
        return 2;
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const std::string message =
        printRawReceipt(options.values["--base"], options.values["--address"], layout);
    std::cout << message << "\n";
    return message == kRawSuccess ? 0 : 1;
}

}  // namespace kestrane
