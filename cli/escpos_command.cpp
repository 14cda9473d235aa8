#include "cli/escpos_command.h"

#include <cstdio>
#include <fstream>
#include <iostream>

#include "cli/layout_file.h"
#include "cli/options.h"
#include "jobs/receipt_jobs.h"

namespace kestrane {

int runEscposCommand(const std::vector<std::string>& args) {
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, {{}, {{"--out", "--out"}, {"-o", "--out"}}, {}}, options, error)) {
        return usageError("escpos", error);
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const std::string outPath = options.value("--out");
    std::string stored;
    escposStream(layout, stored);  // the layout was read within the cap
    if (outPath.empty()) {
        std::cout.write(stored.data(), static_cast<std::streamsize>(stored.size()));
        std::cout.flush();
        return std::cout ? 0 : 2;
    }
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    out.write(stored.data(), static_cast<std::streamsize>(stored.size()));
    out.close();
    if (!out) {
        std::cerr << "kestrane: " << outPath << ": cannot write\n";
        return 2;
    }
    return 0;
}

}  // namespace kestrane
