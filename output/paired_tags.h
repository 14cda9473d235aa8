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

// splitReceiptRows for a layout whose tags pair up; false (and no rows) for any other layout.
bool splitPairedRows(const std::string& layout, std::vector<std::string>& rows);

enum class PairedRow {
    kRewritten,  // `out` is the row rewritten
    kPlain,      // an image or barcode field row: `out` is the row as rewritePlainRow takes it
    kNotPaired,  // only the stepwise passes can say
};

// rewriteReceiptRow for the rows it can take in one walk: tags that pair up, and no line feed,
// CR or tab inside.
PairedRow rewritePairedRow(const std::string& input, std::string& out);

// The layout's rows, cut and rewritten (rewriteReceiptRow of each of splitReceiptRows), in one
// walk over the layout: the rows that walk cannot take are cut out and rewritten on their own.
// False (and no rows) for a layout whose tags do not pair up or hold a caret.
bool rewritePairedLayout(const std::string& layout, std::vector<std::string>& rows);

}  // namespace kestrane
