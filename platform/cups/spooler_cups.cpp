// The spooler on CUPS. Every call goes to the scheduler the CUPS client configuration names
// (CUPS_SERVER, client.conf), through the calling thread's default connection.
#include <cctype>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "platform/cups/cups_connection.h"
#include "platform/cups/cups_library.h"
#include "platform/cups/dest_media.h"
#include "platform/cups/job_state.h"
#include "platform/cups/live_jobs.h"
#include "platform/spooler.h"

namespace kestrane {

namespace {

struct FreeDest {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
struct FreeInfo {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using Dest = std::unique_ptr<cups_dest_t, FreeDest>;
using Info = std::unique_ptr<cups_dinfo_t, FreeInfo>;

// One string-valued attribute of `response`, or "".
std::string attributeText(ipp_t* response, const char* name) {
    ipp_attribute_t* attribute = ippFindAttribute(response, name, IPP_TAG_ZERO);
    const char* value = attribute != nullptr ? ippGetString(attribute, 0, nullptr) : nullptr;
    return value != nullptr ? value : "";
}

// The spooler's printer `printer`, asked for with one request over `http`. libcups'
// cupsGetNamedDest would, after a request that timed out, search for the printer again on its
// own default connection, which has no time limit. Null, with cupsLastError() saying why (not
// found, no answer), when there is none.
Dest namedDest(http_t* http, const std::string& printer) {
    std::string uri = "ipp://localhost/printers/";
    for (const unsigned char c : printer) {  // the name percent-encoded, as a URI's path needs
        const bool plain = std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~';
        static const char kHex[] = "0123456789ABCDEF";
        uri += plain ? std::string(1, static_cast<char>(c)) : std::string{'%', kHex[c >> 4], kHex[c & 15]};
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    static const char* const wanted[] = {"printer-name", "printer-state", "printer-is-accepting-jobs",
                                         "printer-uri-supported", "printer-info", "device-uri"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 6, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    if (response == nullptr) return nullptr;
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        ippDelete(response);
        return nullptr;
    }
    const std::string name = attributeText(response, "printer-name");
    cups_dest_t* dests = nullptr;
    cupsAddDest(name.empty() ? printer.c_str() : name.c_str(), nullptr, 0, &dests);
    cups_dest_t* dest = &dests[0];
    ipp_attribute_t* state = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
    if (state != nullptr) {
        dest->num_options = cupsAddOption("printer-state", std::to_string(ippGetInteger(state, 0)).c_str(),
                                          dest->num_options, &dest->options);
    }
    ipp_attribute_t* accepting = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    if (accepting != nullptr) {
        dest->num_options = cupsAddOption("printer-is-accepting-jobs", ippGetBoolean(accepting, 0) ? "true" : "false",
                                          dest->num_options, &dest->options);
    }
    for (const char* key : {"printer-uri-supported", "printer-info", "device-uri"}) {
        const std::string value = attributeText(response, key);
        if (!value.empty()) dest->num_options = cupsAddOption(key, value.c_str(), dest->num_options, &dest->options);
    }
    ippDelete(response);
    return Dest(dest);
}

std::string option(const cups_dest_t* dest, const char* name) {
    const char* value = cupsGetOption(name, dest->num_options, dest->options);
    return value != nullptr ? value : "";
}

// IPP's printer-state: 3 idle, 4 processing, 5 stopped.
bool isStopped(const cups_dest_t* dest) { return option(dest, "printer-state") == "5"; }
bool isPrinting(const cups_dest_t* dest) { return option(dest, "printer-state") == "4"; }
bool isAccepting(const cups_dest_t* dest) {
    return option(dest, "printer-is-accepting-jobs") != "false";
}

// The printable area of the default media at the default resolution, from the printer's
// description, and the longest page it cuts to length. A description without a default media
// size or resolution is a queue without a driver (a raw queue); one whose printable area is
// empty has no usable device.
DeviceResult deviceSizeOf(cups_dest_t* dest, cups_dinfo_t* info, DeviceSize& size,
                          DestMedia& media) {
    ipp_attribute_t* resolution =
        cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
    if (resolution == nullptr || !destMedia(dest, info, media)) return DeviceResult::kNoDriver;
    ipp_res_t units = IPP_RES_PER_INCH;
    int ydpi = 0;
    int xdpi = ippGetResolution(resolution, 0, &ydpi, &units);
    if (units == IPP_RES_PER_CM) {
        xdpi = static_cast<int>(xdpi * 2.54 + 0.5);
        ydpi = static_cast<int>(ydpi * 2.54 + 0.5);
    }
    const long printableWidth = media.width - media.left - media.right;
    const long printableLength = media.length - media.top - media.bottom;
    if (xdpi <= 0 || ydpi <= 0 || printableWidth <= 0 || printableLength <= 0) {
        return DeviceResult::kNoDevice;
    }
    size.width = static_cast<int32_t>(printableWidth * xdpi / 2540);
    size.height = static_cast<int32_t>(printableLength * ydpi / 2540);
    size.xdpi = xdpi;
    size.ydpi = ydpi;
    size.longestPage = longestPageRows(media, ydpi);
    return size.width > 0 && size.height > 0 ? DeviceResult::kOpened : DeviceResult::kNoDevice;
}

std::string lastError(const char* what) {
    return std::string(what) + ": " + cupsLastErrorString();
}

// The open document request the raster streams into, and the connection's error when it began.
struct RequestBody {
    http_t* http;
    int errorBefore;
};

// Streams raster bytes into the request. libcups drops its buffer when sending it times out and
// still answers "continue" (a scheduler that stops reading mid-document would cost a wait per
// 32 KiB, for ever, and lose the bytes): the connection's error is what tells.
ssize_t writeToRequest(void* context, unsigned char* buffer, size_t length) {
    const auto* body = static_cast<const RequestBody*>(context);
    const http_status_t status =
        cupsWriteRequestData(body->http, reinterpret_cast<const char*>(buffer), length);
    const bool sent = status == HTTP_STATUS_CONTINUE && httpError(body->http) == body->errorBefore;
    return sent ? static_cast<ssize_t>(length) : -1;
}

class CupsDocument : public SpoolerDocument {
  public:
    CupsDocument(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, int job, std::unique_ptr<LiveCupsJob> live,
                 const DeviceSize& size)
        : http_(http), dest_(dest), info_(info), job_(job), live_(std::move(live)), size_(size) {
        body_ = {http, httpError(http)};
        raster_ = cupsRasterOpenIO(writeToRequest, &body_, CUPS_RASTER_WRITE_PWG);
        if (raster_ == nullptr) fail("cannot start the raster stream");
    }

    ~CupsDocument() override {
        if (!error_.empty()) {
            // The request broke off in the middle: its connection is of no more use, and the job
            // is cancelled over a new one (bounded as any request is).
            if (raster_ != nullptr) cupsRasterClose(raster_);
            dropSchedulerConnection();
            std::string unreachable;
            if (http_t* fresh = schedulerConnection(unreachable)) cupsCancelDestJob(fresh, dest_, job_);
            return;
        }
        if (raster_ != nullptr) cupsRasterClose(raster_);
        if (!finished_) {
            cupsFinishDestDocument(http_, dest_, info_);
            cupsCancelDestJob(http_, dest_, job_);
        }
    }

    bool addPage(const Canvas& page) override {
        if (!error_.empty()) return false;
        cups_page_header2_t header = pageHeader(page.width, page.height);
        if (!cupsRasterWriteHeader2(raster_, &header)) return fail("the spooler took no page");
        // PWG black_1 has 1 for black; the canvas has its bit set for white.
        std::vector<unsigned char> line(header.cupsBytesPerLine);
        const int tailBits = page.width % 8;
        const auto tailMask = static_cast<unsigned char>(tailBits == 0 ? 0xFF : 0xFF << (8 - tailBits));
        for (int32_t y = 0; y < page.height; ++y) {
            const uint8_t* row = &page.bits[static_cast<std::size_t>(y) * page.stride];
            for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<unsigned char>(~row[i]);
            line.back() &= tailMask;
            if (cupsRasterWritePixels(raster_, line.data(), header.cupsBytesPerLine) == 0) {
                return fail("the spooler stopped taking the page");
            }
        }
        return true;
    }

    bool finish() override {
        if (!error_.empty()) return false;
        cupsRasterClose(raster_);
        raster_ = nullptr;
        finished_ = true;
        if (httpError(http_) != body_.errorBefore) return fail("the spooler stopped taking the document");
        if (cupsFinishDestDocument(http_, dest_, info_) > IPP_STATUS_OK_EVENTS_COMPLETE) {
            error_ = lastError("the spooler did not accept the document");  // cancelled as it is destroyed
            return false;
        }
        live_.reset();  // the scheduler has it whole: it prints, whatever becomes of this process
        return true;
    }

    JobEnd waitUntilPrinted(int limitMilliseconds) override {
        return waitForCupsJob(http_, dest_, job_, limitMilliseconds);
    }

    const std::string& error() const override { return error_; }

  private:
    cups_page_header2_t pageHeader(int32_t width, int32_t height) const {
        cups_page_header2_t header;
        std::memset(&header, 0, sizeof header);
        const double widthPoints = width * 72.0 / size_.xdpi;
        const double heightPoints = height * 72.0 / size_.ydpi;
        pwg_media_t* media = pwgMediaForSize(static_cast<int>(width * 2540.0 / size_.xdpi),
                                             static_cast<int>(height * 2540.0 / size_.ydpi));
        cupsRasterInitPWGHeader(&header, media, "black_1", size_.xdpi, size_.ydpi, "one-sided",
                                nullptr);
        header.cupsWidth = static_cast<unsigned>(width);
        header.cupsHeight = static_cast<unsigned>(height);
        header.cupsBytesPerLine = static_cast<unsigned>((width + 7) / 8);
        header.PageSize[0] = static_cast<unsigned>(widthPoints + 0.5);
        header.PageSize[1] = static_cast<unsigned>(heightPoints + 0.5);
        header.cupsPageSize[0] = static_cast<float>(widthPoints);
        header.cupsPageSize[1] = static_cast<float>(heightPoints);
        return header;
    }

    bool fail(const char* what) {
        if (!error_.empty()) return false;
        error_ = httpError(http_) != body_.errorBefore
                     ? std::string(what) + ": nothing could be sent for " +
                           std::to_string(static_cast<int>(kSchedulerWaitSeconds)) + " seconds"
                     : lastError(what);
        return false;
    }

    http_t* http_;       // the thread's connection, which the document's requests go over
    RequestBody body_{nullptr, 0};
    cups_dest_t* dest_;  // the device's
    cups_dinfo_t* info_;
    int job_;
    std::unique_ptr<LiveCupsJob> live_;
    DeviceSize size_;
    cups_raster_t* raster_ = nullptr;
    bool finished_ = false;
    std::string error_;
};

class CupsDevice : public PrinterDevice {
  public:
    CupsDevice(http_t* http, Dest dest, Info info, const DeviceSize& size, const DestMedia& media)
        : http_(http), dest_(std::move(dest)), info_(std::move(info)), size_(size), media_(media) {}

    const DeviceSize& size() const override { return size_; }

    std::unique_ptr<SpoolerDocument> startDocument(const std::string& title, int32_t pageRows,
                                                   std::string& error) override {
        cups_option_t* options = nullptr;
        int count = 0;
        for (const auto& [name, value] : pageOptions(media_, pageRows, size_.ydpi)) {
            count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
        }
        int job = 0;
        const ipp_status_t created = cupsCreateDestJob(http_, dest_.get(), info_.get(),
                                                       &job, title.c_str(), count, options);
        cupsFreeOptions(count, options);
        if (created > IPP_STATUS_OK_EVENTS_COMPLETE) {
            error = lastError("the spooler refused the job");
            return nullptr;
        }
        auto live = std::make_unique<LiveCupsJob>(job);
        if (cupsStartDestDocument(http_, dest_.get(), info_.get(), job, title.c_str(),
                                  "image/pwg-raster", 0, nullptr, 1) != HTTP_STATUS_CONTINUE) {
            error = lastError("the spooler refused the document");
            cupsCancelDestJob(http_, dest_.get(), job);
            return nullptr;
        }
        auto document = std::make_unique<CupsDocument>(http_, dest_.get(), info_.get(), job, std::move(live), size_);
        if (!document->error().empty()) {
            error = document->error();
            return nullptr;
        }
        return document;
    }

  private:
    http_t* http_;
    Dest dest_;
    Info info_;
    DeviceSize size_;
    DestMedia media_;
};

}  // namespace

PrinterState printerState(const std::string& printer) {
    if (!cupsLoaded()) return PrinterState::kUnreachable;
    std::string error;
    http_t* http = schedulerConnection(error);
    if (http == nullptr) return PrinterState::kUnreachable;
    const Dest dest = namedDest(http, printer);
    if (!dest) {
        return cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND ? PrinterState::kUnknown
                                                             : PrinterState::kUnreachable;
    }
    if (isStopped(dest.get())) return PrinterState::kStopped;
    if (!isAccepting(dest.get())) return PrinterState::kRejecting;
    return PrinterState::kReady;
}

std::unique_ptr<PrinterDevice> openPrinterDevice(const std::string& printer, DeviceResult& result) {
    if (!cupsLoaded()) {
        result = DeviceResult::kNotConnected;
        return nullptr;
    }
    std::string error;
    http_t* http = schedulerConnection(error);
    Dest dest = http != nullptr ? namedDest(http, printer) : nullptr;
    if (!dest) {
        result = DeviceResult::kNotConnected;
        return nullptr;
    }
    Info info(cupsCopyDestInfo(http, dest.get()));
    DeviceSize size;
    DestMedia media;
    result = info ? deviceSizeOf(dest.get(), info.get(), size, media) : DeviceResult::kNoDriver;
    if (result != DeviceResult::kOpened) return nullptr;
    return std::make_unique<CupsDevice>(http, std::move(dest), std::move(info), size, media);
}

namespace {

std::vector<PrinterInfo> listAll(std::string& error) {
    std::vector<PrinterInfo> printers;
    if (!cupsLoaded()) {
        error = "the CUPS client library libcups.so.2 cannot be loaded";
        return printers;
    }
    http_t* http = schedulerConnection(error);
    if (http == nullptr) return printers;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http, &dests);
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE &&
        cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
        // The connection's own error names a time-out or a dropped connection; libcups' last
        // error text can say "Success" for those.
        const int cause = httpError(http);
        error = "the CUPS scheduler at " + schedulerName() + " does not answer (" +
                (cause != 0 ? std::strerror(cause) : cupsLastErrorString()) + ")";
    }
    for (int i = 0; i < count; ++i) {
        cups_dest_t* dest = &dests[i];
        if (dest->instance != nullptr) continue;
        PrinterInfo info;
        info.name = dest->name;
        info.printing = isPrinting(dest);
        info.stopped = isStopped(dest);
        info.accepting = isAccepting(dest);
        const Info description(cupsCopyDestInfo(http, dest));
        DestMedia media;
        info.sizeKnown = description && deviceSizeOf(dest, description.get(), info.size, media) ==
                                            DeviceResult::kOpened;
        printers.push_back(info);
    }
    cupsFreeDests(count, dests);
    return printers;
}

}  // namespace

std::vector<PrinterInfo> listPrinters(std::string& error) {
    try {
        return listAll(error);
    } catch (const std::exception& failure) {  // a libcups without a function we call
        error = failure.what();
        return {};
    }
}

}  // namespace kestrane
