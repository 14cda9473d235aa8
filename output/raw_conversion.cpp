#include "output/raw_conversion.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "markup/text_ops.h"
#include "output/escpos.h"
#include "output/paired_tags.h"
#include "output/raw_patterns.h"
#include "output/raw_rows.h"
#include "render/field_rules.h"
#include "render/input_attributes.h"
#include "render/qr_symbol.h"

namespace kestrane {

namespace {

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// The stored logo whose name pattern the image name matches first, or nothing.
std::string logoCommand(const std::string& imageName) {
    static const struct {
        const char* pattern;
        const std::string& command;
    } kLogos[] = {
        {"vexo.png", escpos::kBrandLogo},
        {"logo.png", escpos::kLogo},
        {"QRCode.png", escpos::kQrCodeImage},
        {"bottom.png", escpos::kBottomImage},
    };
    for (const auto& logo : kLogos) {
        if (containsDotPattern(imageName, logo.pattern)) return logo.command;
    }
    return std::string();
}

bool allDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The row's own barcode block. Data longer than the barcode command announces, or data that is
// not all digits (Interleaved 2 of 5 encodes nothing else), gets no barcode command; the rest
// of the block, the cut included, stays.
std::string barcodeBlock(const std::string& row) {
    std::string data = trim(replaceAll(row, marker::kBarcode, ""));
    data = trim(replaceAll(data, escpos::kAlignLeft, ""));
    std::string block =
        "\n" + escpos::kAlignCentre + escpos::kBarcodeHeight + escpos::kBarcodeTextPosition;
    if (data.size() <= escpos::kBarcodeLength && allDigits(data)) {
        block +=
            escpos::kBarcodeItf12 + std::string(escpos::kBarcodeLength - data.size(), '0') + data;
    }
    return block + "\n" + escpos::kCut;
}

// The QR command blocks of a row's QR code fields, read as the STAR job reads its fields.
std::string qrFieldBlocks(const std::string& row) {
    std::string blocks;
    for (std::size_t at = row.find("<input"); at != std::string::npos; at = row.find("<input", at + 1)) {
        const std::size_t end = row.find('>', at);
        auto attributes = parseInputAttributes(row.substr(at + 6, end == std::string::npos ? std::string::npos : end - at - 6));
        if (attributes.size() <= 2) continue;
        const std::string& name = attributes["name"];
        const std::string& value = attributes["value"];
        const FieldRules& rules = fieldRules(Variant::AddOn);
        if (name == rules.qrName) blocks += nativeQrBlock(value, 8);
        if (name == rules.fiscalQrName) blocks += nativeQrBlock(value, fiscalQrPlacement(value.size()).moduleSize);
    }
    return blocks;
}

void alignLabelInto(const std::string& row, std::string_view label, std::size_t width, std::string& out) {
    out.assign(label);
    const std::size_t length = labelLength(label);
    if (length < width) out.append(width - length, ' ');
    for (std::size_t at = label.data() + label.size() - row.data(); at < row.size();) {
        const std::size_t start = row.find_first_not_of(':', at);
        if (start == std::string::npos) break;
        const std::size_t end = std::min(row.find(':', start), row.size());
        out.append(1, ':').append(row, start, end - start);
        at = end;
    }
}

// Found from the walk over the markers: which kinds the row holds.
struct MarkerKinds {
    bool centre = false;
    bool rule = false;
};

// Appends `text` to `out` with the markers replaced in one walk; false (with part of it
// appended) for text that only the stepwise rules can say.
bool appendReplacedMarkers(std::string_view text, MarkerKinds& kinds, std::string& out) {
    std::size_t copied = 0;
    const bool walked = forEachMarker(text, [&](const FoundMarker& found) {
        out.append(text.substr(copied, found.start - copied));
        copied = found.start + kMarkerLength;
        switch (found.kind) {
            case MarkerKind::kCentre: kinds.centre = true; break;
            case MarkerKind::kStrong: out += escpos::kEmphasisOn; break;
            case MarkerKind::kNormal: out += escpos::kEmphasisOff; break;
            case MarkerKind::kRule: kinds.rule = true; out.append(marker::kRule, kMarkerLength); break;
        }
    });
    if (walked) out.append(text.substr(copied));
    return walked;
}

void replaceMarkersStepwise(std::string& row) {
    replaceAllIn(row, marker::kCentre, "");
    replaceAllIn(row, marker::kStrong, escpos::kEmphasisOn);
    replaceAllIn(row, marker::kNormal, escpos::kEmphasisOff);
}

// A search that skips ahead: the markers start with a blank, which a plain search would stop at
// in every word.
using MarkerSearch = std::boyer_moore_horspool_searcher<std::string_view::const_iterator>;

bool holds(const std::string& text, const MarkerSearch& search) {
    return std::search(text.begin(), text.end(), search) != text.end();
}

struct MarkerSearches {
    MarkerSearch logo;
    MarkerSearch barcode;
};

const MarkerSearches& markerSearches() {
    static const std::string_view logo = marker::kLogo, barcode = marker::kBarcode;
    static const MarkerSearches searches{{logo.begin(), logo.end()}, {barcode.begin(), barcode.end()}};
    return searches;
}

// Buffers kept from row to row, so that a receipt's rows cost no allocations once they grew.
struct RowScratch {
    std::string aligned;
    std::string bytes;
};

void rowBytesInto(const std::string& input, std::size_t labelWidth, RowScratch& scratch) {
    std::string_view label;
    const bool labelled = findLabel(input, label);
    if (labelled) alignLabelInto(input, label, labelWidth, scratch.aligned);
    const std::string& snapshot = labelled ? scratch.aligned : input;
    // Both alignment commands are three bytes, and neither holds a blank or a '#': the markers
    // of the row are those of the snapshot.
    std::string& row = scratch.bytes;
    row.assign(escpos::kAlignLeft);
    MarkerKinds kinds;
    if (!appendReplacedMarkers(snapshot, kinds, row)) {
        kinds = MarkerKinds{contains(snapshot, marker::kCentre), contains(snapshot, marker::kRule)};
        std::string text = snapshot;
        replaceMarkersStepwise(text);
        row.assign(escpos::kAlignLeft).append(text);
    }
    if (kinds.centre) {
        row.replace(0, escpos::kAlignCentre.size(), escpos::kAlignCentre);
    } else if (kinds.rule) {
        row = escpos::kRule;  // keeps the alignment of the row before
    }
    if (holds(snapshot, markerSearches().logo)) {
        row = escpos::kAlignCentre + logoCommand(replaceAll(row, marker::kLogo, ""));
    } else if (holds(snapshot, markerSearches().barcode)) {
        row = barcodeBlock(row);
    }
}

}  // namespace

std::string alignLabel(const std::string& row, std::size_t width) {
    std::string_view label;
    if (!findLabel(row, label)) return row;
    std::string out;
    alignLabelInto(row, label, width, out);
    return out;
}

void replaceMarkers(std::string& row) {
    std::string out;
    MarkerKinds kinds;
    if (appendReplacedMarkers(row, kinds, out)) {
        row = std::move(out);
    } else {
        replaceMarkersStepwise(row);
    }
}

std::string rawRowBytes(const std::string& input, std::size_t labelWidth) {
    RowScratch scratch;
    rowBytesInto(input, labelWidth, scratch);
    return scratch.bytes;
}

std::string nativeQrBlock(const std::string& value, int32_t moduleSize) {
    if (value.empty() || value.size() > 7089 || value.find_first_of("\r\n") != std::string::npos) return std::string();
    const auto command = [](char function, const std::string& data) {
        const std::size_t size = data.size() + 2;
        return std::string("\x1D(k", 3) + static_cast<char>(size & 0xFF) + static_cast<char>(size >> 8) + '1' +
               function + data;
    };
    return escpos::kAlignCentre + command('A', std::string("2\0", 2)) +                  // model 2
           command('C', std::string(1, static_cast<char>(std::clamp(moduleSize, 1, 16)))) +  // module size
           command('E', "3") +                                                             // error correction H
           command('P', "0" + value) + command('Q', "0");
}

void writeRawReceipt(const std::string& layout, ByteSink& sink, bool nativeQr) {
    std::vector<std::string> rows;
    // The QR fields are read from the rows as written, before they are rewritten in place.
    std::vector<std::string> qrBlocks;
    if (nativeQr || !rewritePairedLayout(layout, rows)) {
        rows = splitReceiptRows(layout);
        qrBlocks.resize(nativeQr ? rows.size() : 0);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (nativeQr) qrBlocks[i] = qrFieldBlocks(rows[i]);
            rows[i] = rewriteReceiptRow(rows[i]);
        }
    }
    const std::size_t width = maxLabelWidth(rows);
    sink.write(escpos::kInitialise);
    RowScratch scratch;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rowBytesInto(rows[i], width, scratch);
        sink.write(scratch.bytes);
        if (!nativeQr || qrBlocks[i].empty()) continue;
        // Its length bytes may be 10, which a text-mode stream would turn into CR LF.
        sink.writeExact(qrBlocks[i]);
        sink.write("\n");
    }
}

std::string rawReceiptBytes(const std::string& layout, bool nativeQr) {
    PrinterBytesSink sink;
    writeRawReceipt(layout, sink, nativeQr);
    return sink.bytes();
}

}  // namespace kestrane
