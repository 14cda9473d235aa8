#include "cli/print_command.h"

#include <iostream>

#include "cli/layout_file.h"
#include "cli/options.h"
#include "markup/text_ops.h"
#include "output/messages.h"
#include "output/raw_receipt.h"

namespace kestrane {

int runPrintCommand(const std::vector<std::string>& args) {
    const OptionSpec spec{
        {},
        {{"--type", "--type"}, {"--address", "--address"}, {"--base", "--base"}},
        {"--type", "--address", "--base"}};
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, spec, options, error)) return usageError("print", error);
    // The add-on compares the type upper-cased, so "epson" is EPSON too.
    const std::string type = options.value("--type");
    if (toUpper(type) != "EPSON") {
        return usageError("print", "printer type \"" + type + "\" is not supported here; use EPSON");
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const std::string message =
        printRawReceipt(options.value("--base"), options.value("--address"), layout);
    std::cout << message << "\n";
    return message == kRawSuccess ? 0 : 1;
}

}  // namespace kestrane
