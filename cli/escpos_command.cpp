#include "cli/escpos_command.h"

#include <cstdio>
#include <fstream>
#include <iostream>

#include "cli/job_report.h"
#include "cli/layout_file.h"
#include "cli/options.h"
#include "jobs/job_messages.h"
#include "jobs/receipt_jobs.h"

namespace kestrane {

int runEscposCommand(const std::vector<std::string>& args) {
    ParsedOptions options;
    std::string error;
    int32_t dots = 0;
    if (!parseOptions(args, {{"--raster", "--native-qr"}, {{"--out", "--out"}, {"-o", "--out"}, {"--dots", "--dots"}, {"--base", "--base"}}, {}},
                      options, error) ||
        !dotsOption(options, dots, error)) {
        return usageError("escpos", error);
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const std::string outPath = options.value("--out");
    std::string stored;
    if (options.flags.count("--raster") != 0) {
        const JobOutcome outcome = escposRasterReceipt(options.value("--base", "."), layout, dots, stored);
        if (!outcome.succeeded()) {
            std::cout << jobMessage(outcome) << "\n";
            reportOutcome(outcome);
            return 1;
        }
        reportOutcome(outcome);
    } else {
        escposStream(layout, stored, options.flags.count("--native-qr") != 0);  // read within the cap
    }
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
