#include "cli/tree_command.h"

#include <iostream>

#include "cli/job_report.h"
#include "cli/layout_file.h"
#include "cli/options.h"
#include "jobs/layout_tree.h"

namespace kestrane {

int runTreeCommand(const std::vector<std::string>& args) {
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, {{"--preview", "--measure"}, {{"--base", "--base"}}, {}}, options, error)) {
        return usageError("tree", error);
    }
    std::string layout;
    if (!loadLayout(options.layout, layout)) return 2;
    const JobOutcome outcome =
        writeLayoutTree(std::cout, options.value("--base", "."), layout,
                        options.flags.count("--preview") != 0, options.flags.count("--measure") != 0);
    reportOutcome(outcome);
    return outcome.succeeded() ? 0 : 1;
}

}  // namespace kestrane
