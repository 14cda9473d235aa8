// The paper of a CUPS destination: its default media, the lengths it cuts pages to, and the job
// options that ask for pages of a receipt's own length. Sizes are in hundredths of millimetres,
// as IPP gives them.
#pragma once

#include <cups/cups.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrane {

struct DestMedia {
    int width = 0;
    int length = 0;
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    // The lengths the printer takes as a custom size at this width; 0 when it takes none.
    int shortest = 0;
    int longest = 0;
};

using JobOptions = std::vector<std::pair<std::string, std::string>>;

// The default media of `dest` (media-col-default, with its margins) and the custom lengths at its
// width (media-size-supported ranges). False when the description names no default media size.
bool destMedia(cups_dest_t* dest, cups_dinfo_t* info, DestMedia& media);

// The longest printable length, in rows at `ydpi`, of a custom page of `media`; 0 without custom
// lengths.
int32_t longestPageRows(const DestMedia& media, int32_t ydpi);

// The job options for a document whose pages are at most `pageRows` rows at `ydpi`: a custom
// page that long where the media takes one, and pages shorter than the sheet held at its top
// edge rather than centred on it.
JobOptions pageOptions(const DestMedia& media, int32_t pageRows, int32_t ydpi);

}  // namespace kestrane
