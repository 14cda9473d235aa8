#include "cli/printers_command.h"

#include <iostream>

#include "cli/options.h"
#include "platform/spooler.h"

namespace kestrane {

int runPrintersCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("printers", "no arguments are taken, but \"" + args[0] + "\" was given");
    std::string error;
    const std::vector<PrinterInfo> printers = listPrinters(error);
    if (!error.empty()) {
        std::cerr << "kestrane printers: " << error << "\n";
        return 1;
    }
    for (const PrinterInfo& printer : printers) {
        std::cout << printer.name << "\t"
                  << stateName(printer) << "\t"
                  << (printer.accepting ? "accepting" : "not-accepting") << "\t";
        if (printer.sizeKnown) {
            std::cout << printer.size.width << "x" << printer.size.height << " px at "
                      << printer.size.xdpi << "x" << printer.size.ydpi << " dpi";
        } else {
            std::cout << "size unknown";
        }
        std::cout << "\n";
    }
    return 0;
}

}  // namespace kestrane
