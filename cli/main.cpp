// kestrane: the engine's command-line front end.
#include <iostream>
#include <string>
#include <vector>

#include "cli/escpos_command.h"
#include "cli/print_command.h"
#include "cli/render_command.h"
#include "cli/tree_command.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
    const char* usage;
};

const Command kCommands[] = {
    {"tree", kestrane::runTreeCommand,
     "tree LAYOUT [--preview] [--measure] [--base BASEDIR]\n"
     "      print how LAYOUT (a file, or - for standard input) was parsed, as JSON"},
    {"render", kestrane::runRenderCommand,
     "render LAYOUT --out DIR [--base BASEDIR] [--preview]\n"
     "      draw each section of LAYOUT into DIR/section-N.png (DIR/preview.png)"},
    {"escpos", kestrane::runEscposCommand,
     "escpos LAYOUT [-o FILE]\n"
     "      write the EPSON ESC/POS stream of LAYOUT to FILE or standard output"},
    {"print", kestrane::runPrintCommand,
     "print --type EPSON --address ADDR --base BASEDIR LAYOUT\n"
     "      print LAYOUT on the EPSON printer at ADDR (host[:port])"},
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
