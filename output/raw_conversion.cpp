#include "output/raw_conversion.h"

#include <algorithm>
#include <vector>

#include "markup/text_ops.h"
#include "output/escpos.h"
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

}  // namespace

std::string alignLabel(const std::string& row, std::size_t width) {
    std::string_view label;
    if (!findLabel(row, label)) return row;
    std::string out;
    out.reserve(row.size() + width);
    out.append(label);
    const std::size_t length = labelLength(label);
    if (length < width) out.append(width - length, ' ');
    for (std::size_t at = label.data() + label.size() - row.data(); at < row.size();) {
        const std::size_t start = row.find_first_not_of(':', at);
        if (start == std::string::npos) break;
        const std::size_t end = std::min(row.find(':', start), row.size());
        out.append(1, ':').append(row, start, end - start);
        at = end;
    }
    return out;
}

namespace {

// The rules replace markers kind by kind over the whole row. When every '#' of the row lies in
// markers that do not overlap, no marker can be formed anew or hidden by another, and one walk
// from '#' to '#' gives the same bytes. False, and nothing done, for any other row.
bool replaceMarkersAtOnce(std::string& row) {
    static const struct {
        std::string_view text;
        std::size_t hashAt;  // where its first '#' is
        std::string_view replacement;
    } kMarkers[] = {
        {marker::kCentre, 7, ""}, {marker::kStrong, 7, escpos::kEmphasisOn},
        {marker::kNormal, 7, escpos::kEmphasisOff}, {marker::kRule, 6, marker::kRule},  // a rule stays
    };
    std::string out;
    std::size_t copied = 0;
    for (std::size_t hash = row.find('#'); hash != std::string::npos; hash = row.find('#', hash)) {
        bool found = false;
        for (const auto& mark : kMarkers) {
            if (hash < copied + mark.hashAt || row.compare(hash - mark.hashAt, mark.text.size(), mark.text) != 0) continue;
            const std::size_t start = hash - mark.hashAt;
            out.append(row, copied, start - copied);
            out.append(mark.replacement);
            copied = start + mark.text.size();
            hash = copied;
            found = true;
            break;
        }
        if (!found) return false;
    }
    out.append(row, copied, std::string::npos);
    row = std::move(out);
    return true;
}

}  // namespace

void replaceMarkers(std::string& row) {
    if (row.find('#') == std::string::npos || replaceMarkersAtOnce(row)) return;
    replaceAllIn(row, marker::kCentre, "");
    replaceAllIn(row, marker::kStrong, escpos::kEmphasisOn);
    replaceAllIn(row, marker::kNormal, escpos::kEmphasisOff);
}

std::string rawRowBytes(const std::string& input, std::size_t labelWidth) {
    const std::string snapshot = alignLabel(input, labelWidth);
    std::string row;
    if (contains(snapshot, marker::kCentre)) {
        row = escpos::kAlignCentre + snapshot;
    } else if (contains(snapshot, marker::kRule)) {
        row = escpos::kRule;  // keeps the alignment of the row before
    } else {
        row = escpos::kAlignLeft + snapshot;
    }
    replaceMarkers(row);
    if (contains(snapshot, marker::kLogo)) {
        return escpos::kAlignCentre + logoCommand(replaceAll(row, marker::kLogo, ""));
    }
    if (contains(snapshot, marker::kBarcode)) return barcodeBlock(row);
    return row;
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
    std::vector<std::string> rows = splitReceiptRows(layout);
    // The QR fields are read from the rows as written, before they are rewritten in place.
    std::vector<std::string> qrBlocks(nativeQr ? rows.size() : 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (nativeQr) qrBlocks[i] = qrFieldBlocks(rows[i]);
        rows[i] = rewriteReceiptRow(rows[i]);
    }
    const std::size_t width = maxLabelWidth(rows);
    sink.write(escpos::kInitialise);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        sink.write(rawRowBytes(rows[i], width));
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
