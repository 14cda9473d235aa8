// kestrane: the engine's command-line front end.
#include <iostream>
#include <string>
#include <vector>

#include "cli/escpos_command.h"
#include "cli/print_command.h"
#include "cli/tree_command.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
    const char* usage;
};

const Command kCommands[] = {
    {"tree", kestrane::runTreeCommand,
     "tree LAYOUT [--preview]   print the parsed sections of LAYOUT (a file, or - for stdin)"},
    {"escpos", kestrane::runEscposCommand,
     "escpos LAYOUT [-o FILE]   write the EPSON ESC/POS stream of LAYOUT to FILE or stdout"},
    {"print", kestrane::runPrintCommand,
     "print --type EPSON --address ADDR --base BASEDIR LAYOUT\n"
     "                          print LAYOUT on the EPSON printer at ADDR (host[:port])"},
};

int usage() {
    std::cerr << "usage: kestrane COMMAND ...\n";
    for (const Command& command : kCommands) std::cerr << "  " << command.usage << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2) return usage();
    const std::string name = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (name == command.name) return command.run(args);
    }
    return usage();
}
