// kestrane: the engine's command-line front end.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/escpos_command.h"
#include "cli/pages_command.h"
#include "cli/print_command.h"
#include "cli/printers_command.h"
#include "cli/render_command.h"
#include "cli/tree_command.h"
#include "cli/usage.h"
#include "platform/font.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"tree", kestrane::runTreeCommand},
    {"render", kestrane::runRenderCommand},
    {"escpos", kestrane::runEscposCommand},
    {"print", kestrane::runPrintCommand},
    {"printers", kestrane::runPrintersCommand},
    {"pages", kestrane::runPagesCommand},
};

bool asksForHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& arg) { return arg == "--help" || arg == "-h"; });
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (args.empty()) {
        kestrane::printOverview(std::cerr);
        return 2;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h") {
        kestrane::printOverview(std::cout);
        return 0;
    }
    if (name == "--version") {
        std::cout << "kestrane " KESTRANE_VERSION "\n";
        return 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const Command& command : kCommands) {
        if (name != command.name) continue;
        if (asksForHelp(rest)) {
            kestrane::printCommandUsage(std::cout, name, true);
            return 0;
        }
        const int status = command.run(rest);
        // The next run takes the glyphs this one rendered rather than rendering them again.
        kestrane::keepRenderedGlyphs();
        return status;
    }
    std::cerr << "kestrane: unknown command \"" << name << "\"\n";
    kestrane::printOverview(std::cerr);
    return 2;
}
