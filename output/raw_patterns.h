// The regular expressions of the EPSON conversion, as hand-written matchers. Each gives exactly
// what the standard library's ECMAScript regex gives for its pattern (the tests compare them),
// but in linear time and constant stack: libstdc++'s regex recurses once per character matched
// and overflows the stack on rows of a few hundred kilobytes.
#pragma once

#include <string>

namespace kestrane {

// regex_replace(text, " {2,}", " "): every run of two or more blanks becomes one blank.
std::string collapseBlankRuns(const std::string& text);

// regex_replace(text, "<[^>]*>", ""): removes every tag, attributes included.
std::string removeTags(const std::string& text);

// regex_search(text, "<img.+?src=\"(.+?)\".+?/?>"): true when a match exists, with its first group
// (the image source) in `source`. As in ECMAScript, "." matches any byte but CR and LF.
bool findImageSource(const std::string& text, std::string& source);

// regex_replace(text, literal, ""), for a pattern without special characters: removes every
// non-overlapping occurrence, left to right, without looking again at text the removal joins.
std::string eraseEach(const std::string& text, const std::string& literal);

// regex_search(text, pattern) for a pattern whose only special character is ".", which matches
// any byte but CR and LF.
bool containsDotPattern(const std::string& text, const std::string& pattern);

}  // namespace kestrane
