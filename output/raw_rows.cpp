#include "output/raw_rows.h"

#include <cstring>

#include "markup/text_ops.h"
#include "output/paired_tags.h"
#include "output/raw_patterns.h"

namespace kestrane {

namespace marker {
const char kCentre[] = " center## ";
const char kStrong[] = " strong## ";
const char kNormal[] = " normal## ";
const char kRule[] = " hrule### ";
const char kLogo[] = " receiptLogo - ";
const char kBarcode[] = " barcodedata ";
}  // namespace marker

namespace {

// "</tr>" becomes this, and the tokenizer then cuts at each of its carets.
const char kRowSeparator[] = "^^^^^^^^^^^^^";

// The number of characters of "value=" that precede a barcode value in its word.
constexpr std::size_t kValuePrefix = 6;

std::string withoutBytes(const std::string& text, const std::string& bytes) {
    std::string out;
    for (char c : text) {
        if (bytes.find(c) == std::string::npos) out += c;
    }
    return out;
}

// A row with a barcode field becomes its marker and value. The value is the first word holding
// "value", from its seventh byte on; a shorter word holds no value, and the row stays as it is.
std::string barcodeRow(const std::string& row) {
    if (toLower(row).find("barcode") == std::string::npos) return row;
    const std::string words = withoutBytes(row, "<>\"'");
    for (const std::string& word : splitTokens(words, " ")) {
        if (toLower(word).find("value") == std::string::npos) continue;
        if (word.size() < kValuePrefix) return row;
        return marker::kBarcode + word.substr(kValuePrefix);
    }
    return row;
}

}  // namespace

std::vector<std::string> splitReceiptRowsStepwise(const std::string& layout) {
    static const char* const kDropped[] = {"<html>",  "</html>",  "<body>",  "</body>",
                                           "<table>", "</table>", "<tbody>", "</tbody>",
                                           "<font>",  "</font>",  "<tr>"};
    std::string text = layout;
    for (const char* tag : kDropped) replaceAllIn(text, tag, "");
    replaceAllIn(text, "</tr>", kRowSeparator);
    // The separator is one byte repeated: the set of bytes to cut at is that one byte.
    return splitTokens(text, std::string(1, kRowSeparator[0]));
}

std::string rewriteReceiptRowStepwise(const std::string& input) {
    std::string row = trim(input);
    replaceAllIn(row, "&nbsp;", "");
    replaceAllIn(row, "<td>", "");
    replaceAllIn(row, "</td>", "");
    row = collapseBlankRuns(row);
    replaceAllIn(row, "\n", "");
    replaceAllIn(row, "\t", "");
    return rewritePlainRow(trim(row));
}

std::string rewritePlainRow(std::string row) {
    std::string source;
    if (findImageSource(row, source)) row = marker::kLogo + source;
    replaceAllIn(row, "<center>", marker::kCentre);
    replaceAllIn(row, "</center>", "");
    replaceAllIn(row, "<strong>", marker::kStrong);
    replaceAllIn(row, "</strong>", marker::kNormal);
    for (const char* rule : {"<hr>", "<hr/>", "<hr />"}) replaceAllIn(row, rule, marker::kRule);
    row = barcodeRow(row);
    replaceAllIn(row, "<br>", "\n");
    replaceAllIn(row, "<br/>", "\n");
    row = removeTags(row);
    if (!row.empty()) row += '\n';
    return row;
}

std::vector<std::string> splitReceiptRows(const std::string& layout) {
    std::vector<std::string> rows;
    return splitPairedRows(layout, rows) ? rows : splitReceiptRowsStepwise(layout);
}

std::string rewriteReceiptRow(const std::string& input) {
    std::string row;
    switch (rewritePairedRow(input, row)) {
        case PairedRow::kRewritten: return row;
        case PairedRow::kPlain: return rewritePlainRow(std::move(row));
        default: return rewriteReceiptRowStepwise(input);
    }
}

bool markerAtHash(std::string_view text, std::size_t hash, std::size_t from, FoundMarker& marker) {
    // The byte before the first '#' tells the kinds apart: cente'r', stron'g', norma'l', hrul'e'.
    if (hash < 1) return false;
    const char* known = nullptr;
    std::size_t start = 0;
    switch (text[hash - 1]) {
        case 'r': known = marker::kCentre, marker.kind = MarkerKind::kCentre, start = hash - 7; break;
        case 'g': known = marker::kStrong, marker.kind = MarkerKind::kStrong, start = hash - 7; break;
        case 'l': known = marker::kNormal, marker.kind = MarkerKind::kNormal, start = hash - 7; break;
        case 'e': known = marker::kRule, marker.kind = MarkerKind::kRule, start = hash - 6; break;
        default: return false;
    }
    if (hash < from + (hash - start) || text.size() - start < kMarkerLength ||
        std::memcmp(text.data() + start, known, kMarkerLength) != 0) {
        return false;
    }
    marker.start = start;
    return true;
}

std::size_t labelLength(std::string_view label) {
    std::size_t erased = 0;
    const bool walked = forEachMarker(label, [&](const FoundMarker& found) {
        if (found.kind != MarkerKind::kRule) erased += kMarkerLength;
    });
    if (walked) return label.size() - erased;
    std::string bare(label);
    for (const char* mark : {marker::kCentre, marker::kStrong, marker::kNormal}) {
        bare = eraseEach(bare, mark);
    }
    return bare.size();
}

bool findLabel(std::string_view row, std::string_view& label) {
    // Pieces are the runs between colons; empty ones do not count.
    const std::size_t start = row.find_first_not_of(':');
    if (start == std::string_view::npos) return false;
    const std::size_t end = row.find(':', start);
    if (end == std::string_view::npos || row.find_first_not_of(':', end) == std::string_view::npos) return false;
    label = row.substr(start, end - start);
    return true;
}

std::size_t maxLabelWidth(const std::vector<std::string>& rows) {
    std::size_t width = 0;
    std::string_view label;
    for (const std::string& row : rows) {
        if (!findLabel(row, label)) continue;
        const std::size_t length = labelLength(label);
        if (length <= kMaxAlignedLabel && length > width) width = length;
    }
    return width;
}

}  // namespace kestrane
