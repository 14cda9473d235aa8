// The text passes of the EPSON conversion: the layout cut into rows, each row rewritten from
// markup to plain text with line markers, and the width that labels are padded to.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

// Line markers: put into a row in place of markup, turned into printer commands when written.
namespace marker {
extern const char kCentre[];   // " center## " for <center>
extern const char kStrong[];   // " strong## " for <strong>
extern const char kNormal[];   // " normal## " for </strong>
extern const char kRule[];     // " hrule### " for <hr>, <hr/>, <hr />
extern const char kLogo[];     // " receiptLogo - " and the image source, for an image row
extern const char kBarcode[];  // " barcodedata " and the value, for a barcode field row
}  // namespace marker

// The markers that hold '#', each kMarkerLength bytes long.
enum class MarkerKind { kCentre, kStrong, kNormal, kRule };
struct FoundMarker {
    std::size_t start = 0;
    MarkerKind kind = MarkerKind::kCentre;
};
constexpr std::size_t kMarkerLength = 10;

// The marker that holds text[hash] (a '#') and starts at or after `from`; false if there is none.
bool markerAtHash(std::string_view text, std::size_t hash, std::size_t from, FoundMarker& marker);

// Calls found(marker) for the markers of `text` in order, found from their '#'s. When every '#'
// lies in a marker and markers do not overlap, no marker can be formed anew or hidden by another
// while the rules replace or erase them kind by kind, so doing it marker by marker gives the same
// bytes. False, after calls for the markers before it, at a '#' for which that does not hold:
// only the stepwise rules then say what the text holds.
template <typename Found>
bool forEachMarker(std::string_view text, Found&& found) {
    std::size_t from = 0;
    for (std::size_t hash = text.find('#'); hash != std::string_view::npos; hash = text.find('#', from)) {
        FoundMarker marker;
        if (!markerAtHash(text, hash, from, marker)) return false;
        found(marker);
        from = marker.start + kMarkerLength;
    }
    return true;
}

// Labels longer than this take no part in the alignment of labels: padding every other row to
// an absurdly long label would multiply the stream's size by the number of rows.
constexpr std::size_t kMaxAlignedLabel = 256;

// The layout without its document and table tags, cut at every "</tr>" (and every "^", which
// the row separator is made of). Tags with attributes stay for the row pass.
std::vector<std::string> splitReceiptRows(const std::string& layout);

// One row as plain text: blanks collapsed, line feeds and tabs removed, an image row reduced to
// its logo marker, emphasis, centring and rules as markers, a barcode field reduced to its
// barcode marker and value, <br> as LF, every other tag removed, and LF at the end unless the row
// is empty.
std::string rewriteReceiptRow(const std::string& row);

// The same passes applied one after another, as the rules read: what the two functions above
// fall back on for text whose tags do not pair up, and what tests check their one-pass forms
// against.
std::vector<std::string> splitReceiptRowsStepwise(const std::string& layout);
std::string rewriteReceiptRowStepwise(const std::string& row);
// The second half of those passes, from the row trimmed, without cell tags, blank runs collapsed,
// line feeds and tabs removed, and trimmed again: images, markers, barcode fields, breaks, tags.
std::string rewritePlainRow(std::string row);

// The length of a label without the centre, emphasis-on and emphasis-off markers it holds.
std::size_t labelLength(std::string_view label);

// The row's label: its first piece when it has two or more, pieces being the non-empty runs
// between colons. False for a row with fewer.
bool findLabel(std::string_view row, std::string_view& label);

// The longest label (text before the first ":" of a row that has one) of the rows, ignoring
// labels longer than kMaxAlignedLabel; 0 when there is none.
std::size_t maxLabelWidth(const std::vector<std::string>& rows);

}  // namespace kestrane
