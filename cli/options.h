// Command-line options of the kestrane commands: one positional LAYOUT, flags, and options that
// take a value, some of them with a short spelling.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kestrane {

struct OptionTable {
    std::set<std::string> flags;                // e.g. "--preview"
    std::map<std::string, std::string> values;  // spelling -> name it is kept under ("-o" -> "--out")
    std::vector<std::string> required;          // value options the command cannot work without
    std::string positional = "LAYOUT";          // what the one positional argument is called
};

struct ParsedOptions {
    std::string layout;                         // the one positional argument ("-" allowed)
    std::set<std::string> flags;
    std::map<std::string, std::string> values;  // by the name each option is kept under

    // The value of `name`, or `fallback` when it was not given.
    std::string value(const std::string& name, const std::string& fallback = "") const;
};

// Parses `args` against `table`. Returns false with the reason in `error` for an unknown option
// (anything else starting with "-", but "-" alone), an option without its value, a second
// positional argument or none, or a required option left out.
bool parseOptions(const std::vector<std::string>& args, const OptionTable& table,
                  ParsedOptions& parsed, std::string& error);

// The printer width of --dots (from 1 to 4096; 576, 80 mm, when it is not given). False with
// the reason in `error` for any other value.
bool dotsOption(const ParsedOptions& parsed, int32_t& dots, std::string& error);

// Tells of a command line `command` cannot work with: "kestrane COMMAND: REASON" and the
// command's usage on standard error. Returns 2, the exit status of usage errors.
int usageError(const std::string& command, const std::string& reason);

}  // namespace kestrane
