// Command-line options of the kestrane commands: one positional LAYOUT, flags, and options
// that take a value.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kestrane {

struct ParsedOptions {
    std::string layout;                         // the one positional argument ("-" allowed)
    std::set<std::string> flags;                // e.g. "--preview"
    std::map<std::string, std::string> values;  // e.g. "--out" -> "DIR"
};

// Parses `args` against the flags and value options a command knows. Returns false for an
// unknown option (anything else starting with "-", but "-" alone), a missing value, a second
// positional argument or none.
bool parseOptions(const std::vector<std::string>& args, const std::set<std::string>& flags,
                  const std::set<std::string>& valueOptions, ParsedOptions& parsed);

}  // namespace kestrane
