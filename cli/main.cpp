// kestrane: the engine's command-line front end.
#include <iostream>
#include <string>
#include <vector>

#include "cli/tree_command.h"

namespace {

const char kUsage[] =
    "usage: kestrane COMMAND ...\n"
    "  tree LAYOUT [--preview]   print the parsed sections of LAYOUT (a file, or - for stdin)\n";

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "tree") return kestrane::runTreeCommand(args);
    std::cerr << kUsage;
    return 2;
}
