// printReceipt's request: its five texts, the checks they pass in order, and the job of the
// printer type they name.
#pragma once

#include <cstdint>
#include <string>

#include "jobs/job_outcome.h"

namespace kestrane {

// The printer widths of raster receipts, in dots: 80 mm by default, and the widest there is.
constexpr int32_t kRasterDotsDefault = 576;
constexpr int32_t kRasterDotsMost = 4096;

// The five texts of a call, converted from the caller's arguments ("undefined" for one that is
// missing).
struct PrintRequest {
    std::string printerName;
    std::string printerType;
    std::string ipAddress;
    std::string imageDirectory;
    std::string receiptText;
    // STAR: how long to wait for the spooler to report each section printed (0: not at all, and
    // success means the spooler took the job, as it always did). EPSON on raw TCP: how long to
    // wait for the printer's word that it printed (0: RawLimits' default).
    int confirmMilliseconds = 0;
    // EPSON: the text conversion (the default), or raster images for a printer `dots` wide.
    bool raster = false;
    int32_t dots = kRasterDotsDefault;
    bool nativeQr = false;  // text conversion: QR code fields as the printer's own QR command
};

// Checks the request (printer name, type, IP address and receipt text not blank once trimmed,
// in that order), then runs the job of its type ("EPSON" or "STAR", compared upper-cased and
// untrimmed): the job's outcome, or the failed check's.
JobOutcome runPrintRequest(const PrintRequest& request);

// The printer a request prints on, so requests for one printer can run one after another: the
// STAR printer's name or the EPSON printer's address, with the type. Requests that fail their
// checks share one key of their own.
std::string printerKey(const PrintRequest& request);

}  // namespace kestrane
