#include "output/paired_tags.h"

#include <array>
#include <cstring>

#include "markup/text_ops.h"
#include "output/raw_patterns.h"
#include "output/raw_rows.h"

namespace kestrane {

namespace {

enum class Tag { kDropped, kRowEnd, kCell, kCentre, kCentreEnd, kStrong, kStrongEnd, kRule, kBreak, kOther };

template <std::size_t N>
bool is(std::string_view tag, const char (&name)[N]) {
    return tag.size() == N - 1 && std::memcmp(tag.data(), name, N - 1) == 0;  // inlined: N is known
}

// What the row passes make of a tag, decided once by its length and bytes.
Tag tagKind(std::string_view tag) {
    switch (tag.size()) {
        case 4:
            return is(tag, "<tr>") ? Tag::kDropped
                   : is(tag, "<td>") ? Tag::kCell
                   : is(tag, "<hr>") ? Tag::kRule
                   : is(tag, "<br>") ? Tag::kBreak
                                     : Tag::kOther;
        case 5:
            return is(tag, "</tr>") ? Tag::kRowEnd
                   : is(tag, "</td>") ? Tag::kCell
                   : is(tag, "<hr/>") ? Tag::kRule
                   : is(tag, "<br/>") ? Tag::kBreak
                                      : Tag::kOther;
        case 6:
            return is(tag, "<html>") || is(tag, "<body>") || is(tag, "<font>") ? Tag::kDropped
                   : is(tag, "<hr />")                                         ? Tag::kRule
                                                                               : Tag::kOther;
        case 7:
            return is(tag, "</html>") || is(tag, "</body>") || is(tag, "<table>") || is(tag, "<tbody>") ||
                           is(tag, "</font>")
                       ? Tag::kDropped
                       : Tag::kOther;
        case 8:
            return is(tag, "</table>") || is(tag, "</tbody>") ? Tag::kDropped
                   : is(tag, "<center>")                      ? Tag::kCentre
                   : is(tag, "<strong>")                      ? Tag::kStrong
                                                              : Tag::kOther;
        case 9:
            return is(tag, "</center>") ? Tag::kCentreEnd : is(tag, "</strong>") ? Tag::kStrongEnd : Tag::kOther;
        default:
            return Tag::kOther;
    }
}

// Bytes at which a walk must stop and look; a table look-up a byte keeps the walks short.
constexpr unsigned char kBracket = 1;  // '<', '>'
constexpr unsigned char kCaret = 2;    // '^', which cuts rows
constexpr unsigned char kBlank = 4;    // ' '
constexpr unsigned char kLineBreak = 8;  // LF, CR, tab
constexpr unsigned char kAmpersand = 16;  // '&', which "&nbsp;" starts with
constexpr std::array<unsigned char, 256> kStops = [] {
    std::array<unsigned char, 256> stops{};
    stops['<'] = stops['>'] = kBracket;
    stops['^'] = kCaret;
    stops[' '] = kBlank;
    stops['\n'] = stops['\r'] = stops['\t'] = kLineBreak;
    stops['&'] = kAmpersand;
    return stops;
}();

unsigned char stopsAt(char c) {
    return kStops[static_cast<unsigned char>(c)];
}

// The first byte from `at` on that is one of `stops`, or the end.
std::size_t skipTo(std::string_view text, std::size_t at, unsigned char stops) {
    while (at < text.size() && (stopsAt(text[at]) & stops) == 0) ++at;
    return at;
}

// The length of the tag that starts at text[at] (a '<'), up to and with its '>'; 0 when another
// '<' or the end comes first: the brackets do not pair up. `found` gathers the stops met inside.
std::size_t tagLength(std::string_view text, std::size_t at, unsigned char& found) {
    found = 0;
    for (std::size_t end = at + 1; end < text.size(); ++end) {
        const unsigned char stop = stopsAt(text[end]);
        if (stop == 0) continue;
        if (text[end] == '>') return end + 1 - at;
        if (text[end] == '<') return 0;
        found |= stop;
    }
    return 0;
}

// Whether `text` holds "barcode" in any case.
bool holdsBarcode(std::string_view text) {
    static const char kWord[] = "barcode";
    const auto from = [&](char first) {
        for (std::size_t at = text.find(first); at != std::string_view::npos; at = text.find(first, at + 1)) {
            std::size_t k = 1;
            while (k < 7 && at + k < text.size() && static_cast<char>(text[at + k] | 0x20) == kWord[k]) ++k;
            if (k == 7) return true;
        }
        return false;
    };
    return from('b') || from('B');
}

// One walk over a row's bytes does what the row passes do: the row trimmed, cell tags out, blank
// runs collapsed (the cell tags are gone first, so blanks on either side of one collapse), the
// ends trimmed again, tags to markers, a break or nothing. The caller feeds it the row's pieces;
// a piece that it cannot take (false) leaves the row to the stepwise passes.
class RowWalk {
  public:
    // A plain walk stops short of images and markers: what rewritePlainRow takes.
    RowWalk(std::string& out, bool plain = false) : out_(out), plain_(plain) { out_.clear(); }

    // An image or a barcode field stopped the walk: a plain walk takes the row.
    bool wantsPlain() const { return wantsPlain_; }

    void blank() {
        if (!started_) return;  // trimmed
        if (!afterBlank_ && begun_) heldBlank_ = true;
        afterBlank_ = true;
    }

    // LF, CR or tab: trimmed at either end; inside, only the stepwise passes say what it does.
    void lineBreak() { brokenAfter_ = started_; }

    bool text(std::string_view run) {
        if (!start()) return false;
        keep();
        out_.append(run);
        return true;
    }

    bool tag(std::string_view tag, unsigned char inside) {
        if (!start() || (inside & (kLineBreak | kAmpersand)) != 0) return false;
        std::string collapsed;
        if ((inside & kBlank) != 0 && tag.find("  ") != std::string_view::npos) {
            collapsed = collapseBlankRuns(std::string(tag));
            tag = collapsed;
        }
        const Tag kind = tagKind(tag);
        if (kind == Tag::kCell) return true;
        keep();
        if (plain_) {
            out_.append(tag);
            return true;
        }
        if (tag.compare(0, 4, "<img") == 0) return plainAfterAll();  // an image row
        switch (kind) {
            case Tag::kCentre: out_.append(marker::kCentre, kMarkerLength); break;
            case Tag::kCentreEnd: break;
            case Tag::kStrong: out_.append(marker::kStrong, kMarkerLength); break;
            case Tag::kStrongEnd: out_.append(marker::kNormal, kMarkerLength); break;
            case Tag::kRule: out_.append(marker::kRule, kMarkerLength); break;
            case Tag::kBreak: out_ += '\n'; break;
            default:
                if (holdsBarcode(tag)) return plainAfterAll();  // a barcode field row
        }
        return true;
    }

    bool finish() {
        if (plain_) return true;
        // A "barcode" the rules find may also run across a tag that is taken out; finding one
        // here that they would not only costs the plain walk.
        if (holdsBarcode(out_)) return plainAfterAll();
        if (!out_.empty()) out_ += '\n';
        return true;
    }

  private:
    bool plainAfterAll() {
        wantsPlain_ = true;
        return false;
    }

    bool start() {
        started_ = true;
        return !brokenAfter_;
    }

    // A blank is kept back until a byte follows it, since the trailing ones go.
    void keep() {
        afterBlank_ = false;
        begun_ = true;
        if (heldBlank_) out_ += ' ';
        heldBlank_ = false;
    }

    std::string& out_;
    const bool plain_;
    bool wantsPlain_ = false;
    bool started_ = false;      // past the blanks and line breaks the row starts with
    bool brokenAfter_ = false;  // a line break came after the start
    bool afterBlank_ = false;   // the last byte kept by the collapse was a blank
    bool begun_ = false;        // a byte other than a blank was kept: blanks are no longer leading
    bool heldBlank_ = false;
};

// The row as the split gives it: the piece of the layout without its dropped tags.
std::string withoutDroppedTags(std::string_view piece) {
    std::string row;
    for (std::size_t at = 0; at < piece.size();) {
        const std::size_t open = std::min(piece.find('<', at), piece.size());
        row.append(piece.substr(at, open - at));
        if (open == piece.size()) break;
        const std::size_t length = piece.find('>', open) + 1 - open;  // the caller checked they pair up
        if (tagKind(piece.substr(open, length)) != Tag::kDropped) row.append(piece.substr(open, length));
        at = open + length;
    }
    return row;
}

}  // namespace

bool splitPairedRows(const std::string& layout, std::vector<std::string>& rows) {
    rows.clear();
    std::string row;
    row.reserve(128);
    const auto endRow = [&] {
        if (row.empty()) return;
        rows.push_back(std::move(row));
        row = std::string();
        row.reserve(128);  // one allocation for most rows, where growing would take three
    };
    const std::string_view text = layout;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t run = skipTo(text, at, kBracket | kCaret);
        row.append(text, at, run - at);
        if (run == text.size()) break;
        if (text[run] == '^') {
            endRow();
            at = run + 1;
            continue;
        }
        unsigned char inside = 0;
        const std::size_t length = text[run] == '<' ? tagLength(text, run, inside) : 0;
        if (length == 0) {  // brackets that do not pair up
            rows.clear();
            return false;
        }
        const std::string_view tag = text.substr(run, length);
        at = run + length;
        const Tag kind = tagKind(tag);
        if (kind == Tag::kRowEnd) {
            endRow();
        } else if ((inside & kCaret) == 0) {
            if (kind != Tag::kDropped) row.append(tag);
        } else {
            for (const char c : tag) {  // a caret cuts the row even inside a tag
                if (c == '^') {
                    endRow();
                } else {
                    row += c;
                }
            }
        }
    }
    endRow();
    return true;
}

namespace {

// Walks the row (see RowWalk); false where the walk stops.
bool walkRow(std::string_view text, RowWalk& walk) {
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        const unsigned char stop = stopsAt(c) & (kBracket | kBlank | kLineBreak);
        if (stop == 0) {
            const std::size_t end = skipTo(text, at, kBracket | kBlank | kLineBreak);
            if (!walk.text(text.substr(at, end - at))) return false;
            at = end;
        } else if (stop == kBlank) {
            walk.blank();
            ++at;
        } else if (stop == kLineBreak) {
            walk.lineBreak();
            ++at;
        } else {
            unsigned char inside = 0;
            const std::size_t length = c == '<' ? tagLength(text, at, inside) : 0;
            if (length == 0 || !walk.tag(text.substr(at, length), inside & ~kAmpersand)) return false;
            at += length;
        }
    }
    return walk.finish();
}

}  // namespace

PairedRow rewritePairedRow(const std::string& input, std::string& out) {
    std::string_view text = input;
    std::string withoutSpaces;
    if (text.find('&') != std::string_view::npos) {
        // Taken out after the row is trimmed: blanks that "&nbsp;" held apart stay apart.
        const std::size_t first = input.find_first_not_of(" \n\r\t");
        if (first != std::string::npos) {
            withoutSpaces.assign(input, first, input.find_last_not_of(" \n\r\t") + 1 - first);
            replaceAllIn(withoutSpaces, "&nbsp;", "");
        }
        text = withoutSpaces;
    }
    RowWalk walk(out);
    if (walkRow(text, walk)) return PairedRow::kRewritten;
    if (!walk.wantsPlain()) return PairedRow::kNotPaired;
    RowWalk plain(out, true);
    return walkRow(text, plain) ? PairedRow::kPlain : PairedRow::kNotPaired;
}

bool rewritePairedLayout(const std::string& layout, std::vector<std::string>& rows) {
    rows.clear();
    const std::string_view text = layout;
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t rowStart = at;
        std::size_t rowEnd = text.size();
        RowWalk walk(out);
        bool walking = true;
        bool content = false;  // a byte outside the dropped tags: the split gives a row
        while (at < text.size()) {
            const char c = text[at];
            const unsigned char stop = stopsAt(c);
            if (stop == 0) {
                const std::size_t end = skipTo(text, at, 0xFF);
                walking = walking && walk.text(text.substr(at, end - at));
                content = true;
                at = end;
                continue;
            }
            if (stop == kCaret) {
                rowEnd = at++;
                break;
            }
            if (c == '<') {
                unsigned char inside = 0;
                const std::size_t length = tagLength(text, at, inside);
                if (length == 0 || (inside & kCaret) != 0) return false;  // left to the stepwise split
                const std::string_view tag = text.substr(at, length);
                const Tag kind = tagKind(tag);
                if (kind == Tag::kRowEnd) {
                    rowEnd = at;
                    at += length;
                    break;
                }
                at += length;
                if (kind == Tag::kDropped) continue;
                walking = walking && walk.tag(tag, inside);
            } else if (c == '>') {
                return false;
            } else if (stop == kBlank) {
                walk.blank();
                ++at;
            } else if (stop == kLineBreak) {
                walk.lineBreak();
                ++at;
            } else {
                walking = false;  // "&nbsp;" is taken out of the trimmed row, maybe joining tags
                ++at;
            }
            content = true;
        }
        if (!content) continue;  // an empty piece gives no row
        if (walking && walk.finish()) {
            rows.push_back(out);
        } else {
            rows.push_back(rewriteReceiptRow(withoutDroppedTags(text.substr(rowStart, rowEnd - rowStart))));
        }
    }
    return true;
}

}  // namespace kestrane
