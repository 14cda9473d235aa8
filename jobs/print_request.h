// The checks and the dispatch of a print request, as printReceipt makes them, without anything
// of the JavaScript host: the add-on converts the arguments and calls these.
#pragma once

#include <string>

namespace kestrane {

// The five texts of a call, converted from the JavaScript arguments ("undefined" for one that
// is missing).
struct PrintRequest {
    std::string printerName;
    std::string printerType;
    std::string ipAddress;
    std::string imageDirectory;
    std::string receiptText;
};

// The message for a call with fewer than two arguments.
std::string tooFewArgumentsMessage();

// Checks the request (printer name, type, IP address and receipt text not blank once trimmed,
// in that order), then runs the job of its type ("EPSON" or "STAR", compared upper-cased and
// untrimmed). Returns the job's message, or the check's "Error - " message.
std::string runPrintRequest(const PrintRequest& request);

// The printer a request prints on, so requests for one printer can run one after another: the
// STAR printer's name or the EPSON printer's address, with the type. Requests that fail their
// checks share one key of their own.
std::string printerKey(const PrintRequest& request);

}  // namespace kestrane
