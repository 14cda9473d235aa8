#include "cli/options.h"

namespace kestrane {

bool parseOptions(const std::vector<std::string>& args, const std::set<std::string>& flags,
                  const std::set<std::string>& valueOptions, ParsedOptions& parsed) {
    bool haveLayout = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (flags.count(arg) != 0) {
            parsed.flags.insert(arg);
        } else if (valueOptions.count(arg) != 0) {
            if (i + 1 == args.size()) return false;
            parsed.values[arg] = args[++i];
        } else if ((arg != "-" && arg.rfind("-", 0) == 0) || haveLayout) {
            return false;
        } else {
            parsed.layout = arg;
            haveLayout = true;
        }
    }
    return haveLayout;
}

}  // namespace kestrane
