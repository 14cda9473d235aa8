#include "cli/print_command.h"

#include <iostream>

#include "cli/layout_file.h"
#include "cli/options.h"
#include "markup/text_ops.h"
#include "output/messages.h"
#include "output/raw_receipt.h"
#include "output/star_print.h"

namespace kestrane {

int runPrintCommand(const std::vector<std::string>& args) {
    const OptionSpec spec{{},
                          {{"--type", "--type"},
                           {"--address", "--address"},
                           {"--printer", "--printer"},
                           {"--base", "--base"}},
                          {"--type", "--base"}};
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, spec, options, error)) return usageError("print", error);
    // The add-on compares the type upper-cased, so "epson" is EPSON too.
    const std::string type = toUpper(options.value("--type"));
    const char* needed = type == "STAR" ? "--printer" : type == "EPSON" ? "--address" : nullptr;
    if (needed == nullptr) {
        return usageError("print", "printer type \"" + options.value("--type") +
                                       "\" is not one of STAR and EPSON");
    }
    if (options.values.count(needed) == 0) {
        return usageError("print", std::string("option ") + needed + " is required for " + type);
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const std::string base = options.value("--base");
    const std::string message =
        type == "STAR" ? printStarReceipt(base, options.value("--printer"), layout)
                       : printRawReceipt(base, options.value("--address"), layout);
    std::cout << message << "\n";
    return message == (type == "STAR" ? kStarSuccess : kRawSuccess) ? 0 : 1;
}

}  // namespace kestrane
