// Byte-string operations shared by the whole engine. Layout text is never decoded: every
// operation here works on bytes, and letter case means the ASCII letters A to Z only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

// Removes leading and trailing bytes of the set " \n\r\t".
std::string trim(const std::string& text);

// The first position of `part` in `text` at or after `pos`, or npos: string::find, quicker on
// markup, where the first byte of a tag occurs every few bytes.
std::size_t findText(std::string_view text, std::string_view part, std::size_t pos = 0);

// Replaces every occurrence of `from` by `to`, scanning left to right. After each replacement the
// scan resumes where the replaced occurrence began, so an occurrence that the replacement forms
// with the text after it is replaced too. Linear in the text. An empty `from` changes nothing; a
// `to` that contains `from` is replaced once per occurrence in the input (resuming inside it would
// never end).
std::string replaceAll(const std::string& text, std::string_view from, std::string_view to);
// replaceAll in place: `text` is left untouched (no copy made) when `from` does not occur.
void replaceAllIn(std::string& text, std::string_view from, std::string_view to);

// Splits at every byte of `separators`, dropping empty pieces (the C library's strtok semantics,
// without its hidden state).
std::vector<std::string> splitTokens(const std::string& text, const std::string& separators);

// Concatenates the pieces with `separator` between them.
std::string joinTokens(const std::vector<std::string>& pieces, const std::string& separator);

// Byte-wise case conversion of the ASCII letters, as tolower/toupper do in the "C" locale.
std::string toLower(std::string text);
std::string toUpper(std::string text);
char lowerAscii(char c);

}  // namespace kestrane
