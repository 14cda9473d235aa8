// One-pass forms of the row passes for text whose tags pair up: each '<' is closed by a '>'
// before the next '<', and no '>' stands outside a tag. In such text every occurrence of a tag
// pattern ("<...>" with no bracket inside) is a whole tag, and taking tags out or putting
// bracket-free text in their place makes no new ones, so the rules that the passes apply one
// after another act tag by tag: one walk over the tags gives the same bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

bool tagsPairUp(std::string_view text);

// splitReceiptRows for a layout whose tags pair up; false (and no rows) for any other layout.
bool splitPairedRows(const std::string& layout, std::vector<std::string>& rows);

// rewriteReceiptRow for the rows it can take in one walk: tags that pair up, no line feed, CR
// or tab inside, no image tag and no barcode field. False for any other row.
bool rewritePairedRow(const std::string& input, std::string& out);

}  // namespace kestrane
