// What `kestrane --help` and `kestrane COMMAND --help` print, and the usage a command's error
// ends with: one text per command, kept together so they cannot drift apart.
#pragma once

#include <ostream>
#include <string>

namespace kestrane {

// "usage: kestrane COMMAND ..." and, with `details`, what the command does and its options
// (otherwise a pointer to them).
void printCommandUsage(std::ostream& out, const std::string& command, bool details);

// Every command's synopsis and one line on what it does.
void printOverview(std::ostream& out);

}  // namespace kestrane
