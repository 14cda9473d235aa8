#include "platform/cups/dest_media.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/cups/cups_library.h"

namespace kestrane {

namespace {

int memberInteger(ipp_t* collection, const char* name) {
    ipp_attribute_t* attribute = ippFindAttribute(collection, name, IPP_TAG_INTEGER);
    return attribute != nullptr ? ippGetInteger(attribute, 0) : -1;
}

// The custom lengths the printer lists at the media's width: media-size-supported members whose
// y-dimension is a range (a roll cut where the job says).
void customLengths(cups_dest_t* dest, cups_dinfo_t* info, DestMedia& media) {
    ipp_attribute_t* sizes = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "media-size");
    int shortest = INT_MAX, longest = 0;
    for (int i = 0; sizes != nullptr && i < ippGetCount(sizes); ++i) {
        ipp_t* size = ippGetCollection(sizes, i);
        ipp_attribute_t* x =
            size != nullptr ? ippFindAttribute(size, "x-dimension", IPP_TAG_ZERO) : nullptr;
        ipp_attribute_t* y =
            size != nullptr ? ippFindAttribute(size, "y-dimension", IPP_TAG_RANGE) : nullptr;
        if (x == nullptr || y == nullptr || !ippContainsInteger(x, media.width)) continue;
        int upper = 0;
        const int lower = ippGetRange(y, 0, &upper);
        shortest = std::min(shortest, lower);
        longest = std::max(longest, upper);
    }
    if (longest > 0 && shortest <= longest) {
        media.shortest = shortest;
        media.longest = longest;
    }
}

// Millimetres as a CUPS custom size spells them. CUPS reads the number back through a float and
// truncates it to hundredths, so 72.1 would come back as 72.09; a trailing thousandth keeps every
// value whole.
std::string millimetres(int hundredths) {
    const int fraction = hundredths % 100;
    return std::to_string(hundredths / 100) + (fraction < 10 ? ".0" : ".") +
           std::to_string(fraction) + "1";
}

}  // namespace

bool destMedia(cups_dest_t* dest, cups_dinfo_t* info, DestMedia& media) {
    ipp_attribute_t* defaults = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "media-col");
    ipp_t* col = defaults != nullptr ? ippGetCollection(defaults, 0) : nullptr;
    ipp_attribute_t* sizeAttribute =
        col != nullptr ? ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION) : nullptr;
    ipp_t* size = sizeAttribute != nullptr ? ippGetCollection(sizeAttribute, 0) : nullptr;
    if (size == nullptr) return false;
    media.width = memberInteger(size, "x-dimension");
    media.length = memberInteger(size, "y-dimension");
    media.left = std::max(0, memberInteger(col, "media-left-margin"));
    media.right = std::max(0, memberInteger(col, "media-right-margin"));
    media.top = std::max(0, memberInteger(col, "media-top-margin"));
    media.bottom = std::max(0, memberInteger(col, "media-bottom-margin"));
    customLengths(dest, info, media);
    return true;
}

int32_t longestPageRows(const DestMedia& media, int32_t ydpi) {
    const int64_t printable = static_cast<int64_t>(media.longest) - media.top - media.bottom;
    if (media.longest <= 0 || printable <= 0 || ydpi <= 0) return 0;
    return static_cast<int32_t>(std::min<int64_t>(printable * ydpi / 2540, INT32_MAX));
}

JobOptions pageOptions(const DestMedia& media, int32_t pageRows, int32_t ydpi) {
    JobOptions options;
    if (media.longest > 0 && pageRows > 0 && ydpi > 0) {
        // Rounded up: a sheet a fraction of a row short would lose the receipt's last row.
        const int64_t rows = (static_cast<int64_t>(pageRows) * 2540 + ydpi - 1) / ydpi;
        const int length = static_cast<int>(
            std::clamp<int64_t>(rows + media.top + media.bottom, media.shortest, media.longest));
        // CUPS 2.x turns a media-col into a size of whole points (80 mm becomes 79.72 mm), which
        // a printer whose rolls are 80 mm wide refuses; a PageSize in millimetres reaches its
        // filters and the printer exactly. media-col is the same request for IPP servers that
        // know no PPD options.
        options.emplace_back(
            "PageSize", "Custom." + millimetres(media.width) + "x" + millimetres(length) + "mm");
        options.emplace_back("media-col",
                             "{media-size={x-dimension=" + std::to_string(media.width) +
                                 " y-dimension=" + std::to_string(length) + "}}");
    }
    // CUPS' PDF filter (pdftopdf) centres a page shorter than the sheet, leaving blank paper above
    // the receipt; it measures from the sheet's edge, so the top is the right place only where the
    // printable area starts there (receipt rolls). Filters that do not convert ignore the option.
    if (media.top == 0) options.emplace_back("position", "top");
    return options;
}

}  // namespace kestrane
