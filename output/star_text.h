// The text stages of a STAR job, before anything is drawn or printed.
#pragma once

#include <string>
#include <vector>

namespace kestrane {

struct StarText {
    std::string error;                  // an "Error - " message, or empty
    std::vector<std::string> sections;  // table sections in print order; may be empty
};

// Checks the minimum size, gives the layout a table root (refusing one of 5 bytes or fewer),
// rewrites it and splits it into table sections.
StarText prepareStarText(const std::string& receiptText);

}  // namespace kestrane
