#include "cli/options.h"

#include <iostream>

#include "cli/usage.h"

namespace kestrane {

std::string ParsedOptions::value(const std::string& name, const std::string& fallback) const {
    const auto found = values.find(name);
    return found == values.end() ? fallback : found->second;
}

bool parseOptions(const std::vector<std::string>& args, const OptionTable& table,
                  ParsedOptions& parsed, std::string& error) {
    bool haveLayout = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto valueOption = table.values.find(arg);
        if (table.flags.count(arg) != 0) {
            parsed.flags.insert(arg);
        } else if (valueOption != table.values.end()) {
            if (i + 1 == args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            parsed.values[valueOption->second] = args[++i];
        } else if (arg != "-" && arg.rfind("-", 0) == 0) {
            error = "unknown option \"" + arg + "\"";
            return false;
        } else if (haveLayout) {
            error = "one " + table.positional + " only, but \"" + arg + "\" follows \"" +
                    parsed.layout + "\"";
            return false;
        } else {
            parsed.layout = arg;
            haveLayout = true;
        }
    }
    if (!haveLayout) {
        error = "no " + table.positional + " given" +
                (table.positional == "LAYOUT" ? " (a file, or - for standard input)" : "");
        return false;
    }
    for (const std::string& name : table.required) {
        if (parsed.values.count(name) == 0) {
            error = "option " + name + " is required";
            return false;
        }
    }
    return true;
}

int usageError(const std::string& command, const std::string& reason) {
    std::cerr << "kestrane " << command << ": " << reason << "\n";
    printCommandUsage(std::cerr, command, false);
    return 2;
}

bool dotsOption(const ParsedOptions& parsed, int32_t& dots, std::string& error) {
    dots = 576;
    if (parsed.values.count("--dots") == 0) return true;
    const std::string value = parsed.value("--dots");
    if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos ||
        (dots = std::stoi(value)) < 1 || dots > 4096) {
        error = "--dots takes a printer width from 1 to 4096 dots (576 at 80 mm, 384 at 58 mm)";
        return false;
    }
    return true;
}

}  // namespace kestrane
