#include "cli/print_command.h"

#include <cctype>
#include <iostream>

#include "cli/job_report.h"
#include "cli/layout_file.h"
#include "cli/options.h"
#include "jobs/job_messages.h"
#include "jobs/print_request.h"

namespace kestrane {

int runPrintCommand(const std::vector<std::string>& args) {
    const OptionTable table{{"--raster", "--native-qr"},
                          {{"--type", "--type"},
                           {"--address", "--address"},
                           {"--printer", "--printer"},
                           {"--base", "--base"},
                           {"--confirm", "--confirm"},
                           {"--dots", "--dots"}},
                          {"--type", "--base"}};
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, table, options, error)) return usageError("print", error);
    // The add-on compares the type upper-cased, so "epson" is EPSON too.
    std::string type = options.value("--type");
    for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const char* needed = type == "STAR" ? "--printer" : type == "EPSON" ? "--address" : nullptr;
    if (needed == nullptr) {
        return usageError("print", "printer type \"" + options.value("--type") +
                                       "\" is not one of STAR and EPSON");
    }
    if (options.values.count(needed) == 0) {
        return usageError("print", std::string("option ") + needed + " is required for " + type);
    }
    int confirmSeconds = 0;
    if (options.values.count("--confirm") != 0) {
        const std::string value = options.value("--confirm");
        if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos ||
            (confirmSeconds = std::stoi(value)) < 1) {
            return usageError("print", "--confirm takes a number of seconds from 1 to 9999");
        }
    }
    int32_t dots = 0;
    if (!dotsOption(options, dots, error)) return usageError("print", error);
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    // The add-on's request, so the command answers as the add-on does (its checks included).
    PrintRequest request;
    request.printerName = type == "STAR" ? options.value("--printer") : "-";
    request.printerType = type;
    request.ipAddress = type == "EPSON" ? options.value("--address") : "-";
    request.imageDirectory = options.value("--base");
    request.receiptText = layout;
    request.confirmMilliseconds = confirmSeconds * 1000;
    request.raster = options.flags.count("--raster") != 0;
    request.nativeQr = options.flags.count("--native-qr") != 0;
    request.dots = dots;
    const JobOutcome outcome = runPrintRequest(request);
    std::cout << jobMessage(outcome) << "\n";
    reportOutcome(outcome);
    return outcome.succeeded() ? 0 : 1;
}

}  // namespace kestrane
