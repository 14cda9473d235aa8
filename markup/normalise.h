// Rewrites free layout text into the narrow markup the parser reads: cut to its tags, one table
// root, HTML rules, spaces and image names rewritten, and cut into table sections.
#pragma once

#include <string>
#include <vector>

#include "markup/variant.h"

namespace kestrane {

// The text from the first "<" through the last ">" (a ">" at index 0 does not count); empty when
// either is missing. When the last ">" lies before the first "<", the text from the "<" on, or
// empty when the ">" stands right before it.
std::string extractMarkup(const std::string& text);

// extractMarkup, then a table root: kept when the first tag is "table", renamed from "tbody",
// wrapped in "<table>...</table>" otherwise. Empty when the text holds no markup. The previewer
// first lower-cases the five bytes after the first "<".
std::string wrapTableRoot(const std::string& text, Variant variant);

// Overwrites "tbody" with "table" after every "<" and "</" that has at least six bytes after
// it, in place (the previewer matches the name in any case).
void renameTbodyTags(std::string& text, Variant variant);

// ".png", ".gif", ".jpg" to ".bmp", everywhere in the text, in place.
void replaceImageExtensions(std::string& text);

// Cuts everything after the last ">", in place; a text without one is left as it is.
void trimAfterLastTag(std::string& text);

// Rewrites rules, non-breaking spaces and image extensions and cuts the text after its last tag.
std::string rewriteMarkup(const std::string& text);

// Cuts the text after every "</table" that has six bytes after its "</"; text after the last
// cut belongs to no section.
std::vector<std::string> splitTableSections(const std::string& text);

}  // namespace kestrane
