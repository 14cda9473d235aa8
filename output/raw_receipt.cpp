#include "output/raw_receipt.h"

#include <cstdio>

#include "markup/layout_limits.h"
#include "output/byte_sink.h"
#include "output/live_stream_files.h"
#include "output/raw_conversion.h"
#include "output/raw_submission.h"
#include "platform/escpos_socket.h"
#include "platform/file_path.h"
#include "platform/raw_delivery.h"
#include "platform/printer_address.h"
#include "platform/system_error.h"
#include "platform/text_file.h"

namespace kestrane {

namespace {

// Writes into the stream file's descriptor; after the first failed write it writes no more and
// keeps that failure's error code.
class StreamFileSink : public ByteSink {
  public:
    explicit StreamFileSink(int descriptor) : descriptor_(descriptor) {}
    void write(const std::string& bytes) override {
        if (error_ == 0) error_ = writeTextFile(descriptor_, bytes).error;
    }
    int error() const { return error_; }

  private:
    int descriptor_;
    int error_ = 0;
};

// The system's text for error `code`; a failure that left none still says so.
std::string systemText(int code) {
    return code != 0 ? systemErrorText(code) : "No error message has been recorded";
}

// The receipt's bytes straight to the printer, without a stream file: raster images, or the
// text conversion for a printer on raw TCP or a device file, or with native QR commands.
JobOutcome sendEscposBytes(const std::string& base, const std::string& ipAddress, PrinterTransport transport,
                           const PrinterAddress& address, const std::string& layout, const RawLimits& limits,
                           const EscposOptions& options) {
    std::string bytes;
    JobOutcome outcome = jobOutcome(JobStatus::kDrawn);
    if (options.raster) {
        outcome = escposRasterStream(base, layout, options.dots, bytes);
        if (!outcome.succeeded()) return outcome;
    } else {
        bytes = rawReceiptBytes(layout, options.nativeQr);
    }
    const RawResult sent =
        transport == PrinterTransport::kSocket   ? printOnSocket(address, bytes, limits)
        : transport == PrinterTransport::kDevice ? printOnDevice(ipAddress, bytes, limits)
                                                 : deliverRawBytes(ipAddress, "RAW", uniqueName().value_or("empty") + "_receipt", bytes, limits);
    JobOutcome result = sent.delivered ? jobOutcome(JobStatus::kEpsonDelivered) : jobOutcome(JobStatus::kNotDelivered, sent.error);
    result.warnings = std::move(outcome.warnings);
    if (!sent.warning.empty()) result.warnings.push_back(sent.warning);
    return result;
}

}  // namespace

JobOutcome printRawReceipt(const std::string& imageDirectory, const std::string& ipAddress,
                            const std::string& receiptText, const RawLimits& limits, const EscposOptions& options) {
    PrinterAddress address;
    std::string reason;
    PrinterTransport transport = PrinterTransport::kLpd;
    if (!parseAnyPrinterAddress(ipAddress, transport, address, reason)) {
        return jobOutcome(JobStatus::kAddressRefused, reason);
    }
    if (receiptText.size() > kMaxLayoutBytes) return jobOutcome(JobStatus::kLayoutTooLarge);
    // The QR command's bytes cannot pass through a text-mode stream file.
    if (transport != PrinterTransport::kLpd || options.raster || options.nativeQr) {
        return sendEscposBytes(imageDirectory, ipAddress, transport, address, receiptText, limits, options);
    }

    const std::string jobDirectory = rawJobDirectory(imageDirectory);
    const std::string path = streamFilePath(jobDirectory, uniqueName());
    const LiveStreamFile live(nativePath(path));  // removed at exit should the job be cut off
    const OpenedFile file = openStreamFile(path);
    if (file.descriptor < 0) {
        return jobOutcome(JobStatus::kStreamFileFailed,
                          systemText(file.error) + " (cannot create the receipt stream file in " +
                              nativePath(jobDirectory) + ")");
    }

    StreamFileSink sink(file.descriptor);
    writeRawReceipt(receiptText, sink);
    const int closeError = closeTextFile(file.descriptor).error;
    const int failure = sink.error() != 0 ? sink.error() : closeError;
    if (failure != 0) {
        // A stream cut short would print part of a receipt: it is not sent.
        std::remove(nativePath(path).c_str());
        return jobOutcome(JobStatus::kStreamFileFailed, systemText(failure));
    }
    return submitRawJob(jobDirectory, ipAddress, path, limits);
}

}  // namespace kestrane
