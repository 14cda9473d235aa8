// ESC/POS printers on raw TCP ("socket://host:port", port 9100 by default), the usual way to
// reach a network receipt printer: the stream goes straight to the printer, which answers on the
// same connection. Before the stream it is asked its real-time status (DLE EOT), so a printer
// that cannot print is named with the cause instead of being sent a receipt; after the stream
// it is asked to report when printing reached that point (GS ( H), so success means printed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/lpr_client.h"
#include "platform/printer_address.h"

namespace kestrane {

// The printer's trouble from its answers to DLE EOT 1, 2 and 4 ("The printer's cover is open"),
// or "" when it can print.
std::string escposStatusProblem(unsigned char printer, unsigned char offlineCause, unsigned char paper);

// Sends `bytes` to the printer at `address` within `limits` (connect, each status answer and
// send within `reply`, the printed answer within `printed`). Delivered only when the printer
// reported printing past the stream's end; otherwise the reason: its status, no answer in time,
// a refused or closed connection.
RawResult printOnSocket(const PrinterAddress& address, const std::string& bytes, const RawLimits& limits);

// The same for the printer on the character device `path`. A device that does not answer a
// status request within 2 seconds does not read back: it is then given the bytes without its
// status, and a delivered result carries a warning that it could not say it printed.
RawResult printOnDevice(const std::string& path, const std::string& bytes, const RawLimits& limits);

}  // namespace kestrane
