// The EPSON print job: a receipt layout converted to ESC/POS and sent to the printer.
#pragma once

#include <string>

#include "jobs/job_outcome.h"
#include "output/escpos_raster.h"
#include "platform/lpr_client.h"

namespace kestrane {

// Converts `receiptText` (see writeRawReceipt), stores the stream in a new file in the job
// directory below `imageDirectory` (see rawJobDirectory) and submits it to the printer at
// `ipAddress` (see submitRawJob). kEpsonDelivered, or the failure with its reason in the detail:
// an address with blanks or control characters (kAddressRefused) or a layout over
// kMaxLayoutBytes (before any file is made), a job directory that cannot take the file or a
// failed write (kStreamFileFailed: the system's text, then the directory), or a failed delivery.
//
// With `options.raster` the receipt is drawn (escposRasterStream) and sent as it is, no stream
// file made. A "socket://host:port" address is a printer on raw TCP (printOnSocket): its status
// is asked first and its word that it printed awaited after.
JobOutcome printRawReceipt(const std::string& imageDirectory, const std::string& ipAddress,
                            const std::string& receiptText, const RawLimits& limits = RawLimits(),
                            const EscposOptions& options = EscposOptions());

}  // namespace kestrane
