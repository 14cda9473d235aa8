// The pattern-list rewrites that turn HTML forms of breaks, rules, spaces and image names into
// what the parser and the passes understand.
#pragma once

#include <string>
#include <vector>

namespace kestrane {

// The rule marker that stands where an <hr> was; the render pass draws a rule for it.
extern const char kRuleMarker[];

// Rewrites `text` with one replacement for a list of patterns. Each step takes the first pattern
// of the list that occurs anywhere in the unread text (not the leftmost occurrence of any), so a
// later pattern is replaced only once no earlier one is left. Linear in the text for a fixed list.
std::string replaceScan(const std::string& text, const std::vector<std::string>& patterns,
                        const std::string& replacement);

// "<br>", "<br/>", "<br />" to a line feed.
std::string replaceLineBreaks(const std::string& text);
// "<hr>", "<hr/>", "<hr />" to the rule marker.
std::string replaceHorizontalRules(const std::string& text);
// Deletes "&nbsp;".
std::string removeNonBreakingSpaces(const std::string& text);
// Replaces every occurrence of `extension` by ".bmp".
std::string replaceExtension(const std::string& text, const std::string& extension);

}  // namespace kestrane
