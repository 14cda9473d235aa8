// The Node.js add-on KestranePrinting: the one file that speaks Node-API. It converts JavaScript
// values to and from the engine's strings and buffers and hands the work to the engine.
#include <node_api.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "binding/print_lanes.h"
#include "binding/string_bytes.h"
#include "jobs/job_messages.h"
#include "jobs/print_request.h"
#include "jobs/receipt_jobs.h"
#include "platform/native_name.h"
#include "platform/png_file.h"
#include "platform/spooler.h"

namespace kestrane {

namespace {

const char* const kArgumentNames[5] = {"printerName", "printerType", "ipAddress", "imageDirectory",
                                       "receiptText"};

napi_value makeString(napi_env env, const std::string& text) {
    napi_value value = nullptr;
    napi_create_string_utf8(env, text.data(), text.size(), &value);
    return value;
}

napi_value makeError(napi_env env, const std::string& message) {
    napi_value error = nullptr;
    napi_create_error(env, nullptr, makeString(env, message), &error);
    return error;
}

napi_value throwError(napi_env env, const std::string& message) {
    napi_throw(env, makeError(env, message));
    return nullptr;
}

// The most UTF-16 units a string argument may have before it is copied: a name or a path is
// never near it, and a layout over twice the cap (a character is at least half a unit's byte)
// cannot be printed; copying hundreds of megabytes first would hold the till's thread for seconds.
constexpr std::size_t kMaxNameUnits = 32768;

enum class TextKind { kName, kLayout };

enum class Utf16Result { kConverted, kNotText, kTooLong };

// The value as JavaScript's String() makes it, in UTF-16. kNotText, with no exception left
// pending, when the conversion throws (a Symbol, a throwing toString); kTooLong, without a copy,
// over `limit` units.
Utf16Result toUtf16(napi_env env, napi_value value, std::size_t limit, std::u16string& text) {
    napi_value converted = nullptr;
    if (napi_coerce_to_string(env, value, &converted) != napi_ok) {
        napi_value ignored = nullptr;
        napi_get_and_clear_last_exception(env, &ignored);
        return Utf16Result::kNotText;
    }
    std::size_t length = 0;
    napi_get_value_string_utf16(env, converted, nullptr, 0, &length);
    if (length > limit) return Utf16Result::kTooLong;
    text.resize(length + 1);
    napi_get_value_string_utf16(env, converted, &text[0], text.size(), &length);
    text.resize(length);
    return Utf16Result::kConverted;
}

// The engine's bytes for a string argument (`what`: "Argument 1 (printerName)"): a name in the
// OS's character set, or layout text. kDrawn, or kArgumentRefused naming the argument and why.
JobOutcome toBytes(napi_env env, napi_value value, TextKind kind, const std::string& what, std::string& bytes) {
    std::u16string text;
    const std::size_t limit = kind == TextKind::kLayout ? 2 * kLayoutCap : kMaxNameUnits;
    switch (toUtf16(env, value, limit, text)) {
        case Utf16Result::kConverted: break;
        case Utf16Result::kNotText:
            return jobOutcome(JobStatus::kArgumentRefused, what + " cannot be converted to a string");
        case Utf16Result::kTooLong:
            if (kind == TextKind::kLayout) return jobOutcome(JobStatus::kLayoutTooLarge);
            return jobOutcome(JobStatus::kArgumentRefused,
                              what + " is longer than " + std::to_string(kMaxNameUnits) + " characters");
    }
    const StringFault fault = kind == TextKind::kLayout ? layoutBytes(text, bytes)
                                                        : nameBytes(text, nativeNameCharset(), bytes);
    if (fault == StringFault::kNul) return jobOutcome(JobStatus::kArgumentRefused, what + " holds a NUL character");
    if (fault == StringFault::kNotHeld) {
        return jobOutcome(JobStatus::kArgumentRefused, what + " holds characters that Windows-1252 cannot hold");
    }
    return jobOutcome(JobStatus::kDrawn);
}

// A layout given as bytes (a Buffer or another typed array, a DataView, an ArrayBuffer: its bytes
// as they are) or as a string (layout text). A missing layout is refused, not printed as
// "undefined".
JobOutcome toLayout(napi_env env, napi_value value, const std::string& what, std::string& layout) {
    napi_valuetype type = napi_undefined;
    napi_typeof(env, value, &type);
    if (type == napi_undefined) return jobOutcome(JobStatus::kArgumentRefused, what + " is missing");
    void* data = nullptr;
    std::size_t length = 0;
    bool is = false;
    if (napi_is_typedarray(env, value, &is) == napi_ok && is) {
        napi_typedarray_type elements;
        std::size_t count = 0;
        napi_value buffer = nullptr;
        std::size_t offset = 0;
        napi_get_typedarray_info(env, value, &elements, &count, &data, &buffer, &offset);
        napi_value bytesValue = nullptr;
        napi_get_named_property(env, value, "byteLength", &bytesValue);
        uint32_t bytes = 0;
        napi_get_value_uint32(env, bytesValue, &bytes);
        length = bytes;
    } else if (napi_is_dataview(env, value, &is) == napi_ok && is) {
        napi_value buffer = nullptr;
        std::size_t offset = 0;
        napi_get_dataview_info(env, value, &length, &data, &buffer, &offset);
    } else if (napi_is_arraybuffer(env, value, &is) == napi_ok && is) {
        napi_get_arraybuffer_info(env, value, &data, &length);
    } else {
        return toBytes(env, value, TextKind::kLayout, what, layout);
    }
    if (length > kLayoutCap) return jobOutcome(JobStatus::kLayoutTooLarge);
    layout.assign(static_cast<const char*>(data), length);
    return jobOutcome(JobStatus::kDrawn);
}

// An Error whose message is the outcome's message, with its `detail` and `warnings`.
napi_value makeJobError(napi_env env, const JobOutcome& outcome);

// The option `name` of an options object, or nullptr when there is none.
napi_value option(napi_env env, napi_value options, const char* name) {
    napi_valuetype type = napi_undefined;
    napi_typeof(env, options, &type);
    if (type != napi_object) return nullptr;
    bool has = false;
    napi_value value = nullptr;
    if (napi_has_named_property(env, options, name, &has) != napi_ok ||
        (has && napi_get_named_property(env, options, name, &value) != napi_ok)) {
        // A getter that throws is an option that is not there, never an exception out of a call
        // that answers with a Promise.
        napi_value ignored = nullptr;
        napi_get_and_clear_last_exception(env, &ignored);
        return nullptr;
    }
    napi_valuetype valueType = napi_undefined;
    if (value != nullptr) napi_typeof(env, value, &valueType);
    return valueType == napi_undefined ? nullptr : value;
}

// A number of seconds of an options object, in milliseconds: at least 1, at most a day; 0 when
// it is missing or not a positive number.
int64_t secondsOption(napi_env env, napi_value options, const char* name) {
    napi_value value = option(env, options, name);
    napi_value number = nullptr;
    double seconds = 0;
    if (value == nullptr || napi_coerce_to_number(env, value, &number) != napi_ok ||
        napi_get_value_double(env, number, &seconds) != napi_ok || !(seconds > 0)) {
        napi_value ignored = nullptr;
        napi_get_and_clear_last_exception(env, &ignored);
        return 0;
    }
    return static_cast<int64_t>(std::max(std::min(seconds, 86400.0) * 1000, 1.0));
}

// The `confirm` option: how long to wait for the printer's or the spooler's word that the job
// printed; 0 (not at all, or the transport's default) when it is not given.
int confirmOption(napi_env env, napi_value options) {
    return static_cast<int>(secondsOption(env, options, "confirm"));
}

// The `giveUp` option: how long a job may wait for its turn behind the printer's other jobs;
// kDefaultGiveUp when it is not given.
std::chrono::milliseconds giveUpOption(napi_env env, napi_value options) {
    const int64_t given = secondsOption(env, options, "giveUp");
    return given > 0 ? std::chrono::milliseconds(given) : kDefaultGiveUp;
}

// A flag of an options object: false when it is missing.
bool flagOption(napi_env env, napi_value options, const char* name) {
    napi_value value = option(env, options, name);
    napi_value flag = nullptr;
    bool set = false;
    if (value != nullptr && napi_coerce_to_bool(env, value, &flag) == napi_ok) napi_get_value_bool(env, flag, &set);
    return set;
}

// The `dots` option: the printer's width for raster receipts, 576 (80 mm) when it is missing. A
// value that is no whole number from 1 to 4096 stays out of that range, for the job to refuse.
int32_t dotsOption(napi_env env, napi_value options) {
    napi_value value = option(env, options, "dots");
    napi_value number = nullptr;
    double dots = 0;
    if (value == nullptr) return kRasterDotsDefault;
    if (napi_coerce_to_number(env, value, &number) != napi_ok || napi_get_value_double(env, number, &dots) != napi_ok) {
        napi_value ignored = nullptr;
        napi_get_and_clear_last_exception(env, &ignored);
        return 0;
    }
    return dots >= 1 && dots <= kRasterDotsMost && dots == static_cast<int32_t>(dots) ? static_cast<int32_t>(dots) : 0;
}

// How an EPSON job speaks to its printer: `raster`, `dots`, `nativeQr`.
void readEscposOptions(napi_env env, napi_value options, PrintRequest& request) {
    request.raster = flagOption(env, options, "raster");
    request.dots = dotsOption(env, options);
    request.nativeQr = flagOption(env, options, "nativeQr");
}

struct Arguments {
    std::size_t count = 0;
    napi_value values[6] = {};
};

Arguments arguments(napi_env env, napi_callback_info info, std::size_t wanted) {
    Arguments args;
    args.count = wanted;
    napi_get_cb_info(env, info, &args.count, args.values, nullptr, nullptr);
    napi_value undefined = nullptr;
    napi_get_undefined(env, &undefined);
    for (std::size_t i = std::min(args.count, wanted); i < wanted; ++i) args.values[i] = undefined;
    return args;
}

// The five texts of a printReceipt call, or the outcome that answers the call at once.
bool toRequest(napi_env env, const Arguments& args, PrintRequest& request, JobOutcome& refused) {
    if (args.count < 2) {
        refused = jobOutcome(JobStatus::kTooFewArguments);
        return false;
    }
    std::string* fields[5] = {&request.printerName, &request.printerType, &request.ipAddress,
                              &request.imageDirectory, &request.receiptText};
    for (int i = 0; i < 5; ++i) {
        const std::string what = "Argument " + std::to_string(i + 1) + " (" + kArgumentNames[i] + ")";
        refused = toBytes(env, args.values[i], i == 4 ? TextKind::kLayout : TextKind::kName, what, *fields[i]);
        if (!refused.succeeded()) return false;
    }
    return true;
}

// An array of the strings.
napi_value makeStrings(napi_env env, const std::vector<std::string>& texts) {
    napi_value list = nullptr;
    napi_create_array_with_length(env, texts.size(), &list);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        napi_set_element(env, list, static_cast<uint32_t>(i), makeString(env, texts[i]));
    }
    return list;
}

// Sets `ok`, `detail` and `warnings` of `object` from the outcome.
void setOutcomeFields(napi_env env, napi_value object, const JobOutcome& outcome) {
    napi_value ok = nullptr;
    napi_get_boolean(env, outcome.succeeded(), &ok);
    napi_set_named_property(env, object, "ok", ok);
    napi_set_named_property(env, object, "detail", makeString(env, outcome.detail));
    napi_set_named_property(env, object, "warnings", makeStrings(env, outcome.warnings));
}

napi_value makeJobError(napi_env env, const JobOutcome& outcome) {
    napi_value error = makeError(env, jobMessage(outcome));
    setOutcomeFields(env, error, outcome);
    return error;
}

// What a print call answers: the message, or with `details` { message, ok, detail, warnings }.
napi_value makeAnswer(napi_env env, const JobOutcome& outcome, bool details) {
    if (!details) return makeString(env, jobMessage(outcome));
    napi_value answer = nullptr;
    napi_create_object(env, &answer);
    napi_set_named_property(env, answer, "message", makeString(env, jobMessage(outcome)));
    setOutcomeFields(env, answer, outcome);
    return answer;
}

// printReceipt(printerName, printerType, ipAddress, imageDirectory, receiptText, { giveUp }):
// the job's one message. Waits for the jobs handed in before for the same printer, up to its
// give-up time.
napi_value printReceipt(napi_env env, napi_callback_info info) {
    const Arguments args = arguments(env, info, 6);
    PrintRequest request;
    JobOutcome outcome;
    if (toRequest(env, args, request, outcome)) {
        readEscposOptions(env, args.values[5], request);
        const auto notRun = runInLaneAndWait(printerKey(request), [&] { outcome = runPrintRequest(request); },
                                             giveUpOption(env, args.values[5]));
        if (notRun) outcome = *notRun;
    }
    return makeString(env, jobMessage(outcome));
}

// Whether the JavaScript environment that asked for a job is still there to hear of it. A
// Worker can end while its jobs wait in a lane; its thread-safe functions are freed then, and
// calling one would abort the whole process. The lane's thread calls only under the lock and
// only while the environment is open; the environment's cleanup takes the lock to close it.
struct EnvLink {
    std::mutex lock;
    bool closed = false;
};

// Runs at the environment's cleanup, before the thread-safe function's own (hooks run in the
// reverse order they were added, and this one is added after the function is made).
void closeEnvLink(void* arg) {
    std::unique_ptr<std::shared_ptr<EnvLink>> holder(static_cast<std::shared_ptr<EnvLink>*>(arg));
    std::lock_guard<std::mutex> guard((*holder)->lock);
    (*holder)->closed = true;
}

struct Settlement {
    napi_deferred deferred = nullptr;
    bool details = false;
    std::shared_ptr<EnvLink>* hook = nullptr;  // closeEnvLink's argument, while it is registered
};

// Hands an outcome from a lane's thread to the JavaScript thread and settles the promise.
void settleWithOutcome(napi_env env, napi_value, void* context, void* data) {
    std::unique_ptr<JobOutcome> outcome(static_cast<JobOutcome*>(data));
    auto* settlement = static_cast<Settlement*>(context);
    if (env == nullptr) return;  // the environment is going away; its cleanup closed the link
    napi_remove_env_cleanup_hook(env, closeEnvLink, settlement->hook);
    delete settlement->hook;
    settlement->hook = nullptr;
    napi_resolve_deferred(env, settlement->deferred, makeAnswer(env, *outcome, settlement->details));
}

// The settlement lives as long as the thread-safe function: freed when it is, whether the job
// called it or the environment ended first.
void freeSettlement(napi_env, void* data, void*) { delete static_cast<Settlement*>(data); }

// printReceiptAsync(..., { details, confirm, giveUp }): the same call as a Promise of the
// message (with `details`, of { message, ok, detail, warnings }), run on the printer's lane.
napi_value printReceiptAsync(napi_env env, napi_callback_info info) {
    const Arguments args = arguments(env, info, 6);
    auto settlement = std::make_unique<Settlement>();
    napi_value promise = nullptr;
    if (napi_create_promise(env, &settlement->deferred, &promise) != napi_ok) {
        return throwError(env, "Error - cannot start the print job (no promise could be made)");
    }
    settlement->details = flagOption(env, args.values[5], "details");
    PrintRequest request;
    JobOutcome refused;
    if (toRequest(env, args, request, refused)) {
        request.confirmMilliseconds = confirmOption(env, args.values[5]);
        readEscposOptions(env, args.values[5], request);
    }
    if (!refused.succeeded()) {
        napi_resolve_deferred(env, settlement->deferred, makeAnswer(env, refused, settlement->details));
        return promise;
    }
    napi_threadsafe_function settle = nullptr;
    Settlement* context = settlement.get();
    if (napi_create_threadsafe_function(env, nullptr, nullptr, makeString(env, "printReceiptAsync"), 0, 1,
                                        context, freeSettlement, context, settleWithOutcome, &settle) != napi_ok) {
        napi_reject_deferred(env, settlement->deferred, makeError(env, "Error - cannot start the print job"));
        return promise;
    }
    settlement.release();  // the thread-safe function owns it now
    auto link = std::make_shared<EnvLink>();
    context->hook = new std::shared_ptr<EnvLink>(link);
    napi_add_env_cleanup_hook(env, closeEnvLink, context->hook);
    // The job's outcome, or that it gave up waiting, goes back to the JavaScript thread once.
    const auto tell = [settle, link](JobOutcome outcome) {
        auto result = std::make_unique<JobOutcome>(std::move(outcome));
        std::lock_guard<std::mutex> guard(link->lock);
        if (link->closed) return;  // nobody left to tell; the environment freed the function
        if (napi_call_threadsafe_function(settle, result.get(), napi_tsfn_nonblocking) == napi_ok) result.release();
        napi_release_threadsafe_function(settle, napi_tsfn_release);
    };
    LaneJob job;
    job.run = [request, tell] { tell(runPrintRequest(request)); };
    job.gaveUp = tell;
    job.giveUpAfter = giveUpOption(env, args.values[5]);
    const std::optional<JobOutcome> notQueued = runInLane(printerKey(request), std::move(job));
    if (notQueued) {
        napi_remove_env_cleanup_hook(env, closeEnvLink, context->hook);
        delete context->hook;
        context->hook = nullptr;
        napi_resolve_deferred(env, context->deferred, makeAnswer(env, *notQueued, context->details));
        napi_release_threadsafe_function(settle, napi_tsfn_release);
    }
    return promise;
}

// printBacklog(): [{ type, printer, running, waiting }] for each printer with jobs in its lane:
// whether one of its jobs runs and how many wait for their turn.
napi_value printBacklog(napi_env env, napi_callback_info) {
    const std::vector<LaneBacklog> backlog = laneBacklog();
    napi_value list = nullptr;
    napi_create_array_with_length(env, backlog.size(), &list);
    uint32_t index = 0;
    for (const LaneBacklog& lane : backlog) {
        const auto space = lane.printer.find(' ');
        if (space == std::string::npos) continue;  // requests that failed their checks
        napi_value entry = nullptr, running = nullptr, waiting = nullptr;
        napi_create_object(env, &entry);
        napi_set_named_property(env, entry, "type", makeString(env, lane.printer.substr(0, space)));
        napi_set_named_property(env, entry, "printer", makeString(env, lane.printer.substr(space + 1)));
        napi_get_boolean(env, lane.running, &running);
        napi_set_named_property(env, entry, "running", running);
        napi_create_uint32(env, static_cast<uint32_t>(lane.waiting), &waiting);
        napi_set_named_property(env, entry, "waiting", waiting);
        napi_set_element(env, list, index++, entry);
    }
    return list;
}

// listPrinters(): [{ name, state, accepting, size }] with size { width, height, xdpi, ydpi } in
// device pixels, or null when the printer's driver gives none. Throws when the spooler does not
// answer.
napi_value listPrintersCall(napi_env env, napi_callback_info) {
    std::string error;
    const std::vector<PrinterInfo> printers = listPrinters(error);
    if (!error.empty()) return throwError(env, "Error - " + error);
    napi_value list = nullptr;
    napi_create_array_with_length(env, printers.size(), &list);
    for (std::size_t i = 0; i < printers.size(); ++i) {
        const PrinterInfo& printer = printers[i];
        napi_value entry = nullptr, accepting = nullptr, size = nullptr;
        napi_create_object(env, &entry);
        napi_set_named_property(env, entry, "name", makeString(env, printer.name));
        napi_set_named_property(env, entry, "state", makeString(env, stateName(printer)));
        napi_get_boolean(env, printer.accepting, &accepting);
        napi_set_named_property(env, entry, "accepting", accepting);
        if (printer.sizeKnown) {
            napi_create_object(env, &size);
            const std::pair<const char*, int32_t> fields[] = {{"width", printer.size.width},
                                                              {"height", printer.size.height},
                                                              {"xdpi", printer.size.xdpi},
                                                              {"ydpi", printer.size.ydpi}};
            for (const auto& field : fields) {
                napi_value number = nullptr;
                napi_create_int32(env, field.second, &number);
                napi_set_named_property(env, size, field.first, number);
            }
        } else {
            napi_get_null(env, &size);
        }
        napi_set_named_property(env, entry, "size", size);
        napi_set_element(env, list, static_cast<uint32_t>(i), entry);
    }
    return list;
}

struct RenderWork {
    std::string layout, base;
    bool preview = false;
    bool details = false;
    napi_deferred deferred = nullptr;
    napi_async_work work = nullptr;
    std::vector<std::string> images;  // PNG files
    JobOutcome outcome;                // kDrawn, or why it drew nothing whole
};

// The request in renderReceipt's arguments (layout, { base, preview, details }); what refuses it.
JobOutcome renderRequest(napi_env env, napi_callback_info info, RenderWork& render) {
    const Arguments args = arguments(env, info, 2);
    napi_value base = option(env, args.values[1], "base");
    render.preview = flagOption(env, args.values[1], "preview");
    render.details = flagOption(env, args.values[1], "details");
    render.base = ".";
    JobOutcome refused = toLayout(env, args.values[0], "Argument 1 (layout)", render.layout);
    if (refused.succeeded() && base != nullptr) {
        refused = toBytes(env, base, TextKind::kName, "Argument 2 (options.base)", render.base);
    }
    return refused;
}

// Draws and encodes; touches nothing of JavaScript's, so it runs on any thread.
void drawRender(RenderWork& render) {
    const auto keep = [&render](const Canvas& canvas) {
        render.images.emplace_back();
        encodePng(canvas, render.images.back());
    };
    if (!render.preview) {
        render.outcome = drawReceipt(render.base, render.layout, [&](const Canvas& canvas, std::size_t) {
            keep(canvas);
            return jobOutcome(JobStatus::kDrawn);
        });
        return;
    }
    std::optional<Canvas> image;
    render.outcome = drawPreview(render.base, render.layout, false, image);
    if (image) keep(*image);
}

// A drawn render's answer: its PNG buffers, or with `details` { images, ok, detail, warnings }.
napi_value renderAnswer(napi_env env, const RenderWork& render) {
    napi_value list = nullptr;
    napi_create_array_with_length(env, render.images.size(), &list);
    for (std::size_t i = 0; i < render.images.size(); ++i) {
        napi_value buffer = nullptr;
        napi_create_buffer_copy(env, render.images[i].size(), render.images[i].data(), nullptr, &buffer);
        napi_set_element(env, list, static_cast<uint32_t>(i), buffer);
    }
    if (!render.details) return list;
    napi_value answer = nullptr;
    napi_create_object(env, &answer);
    napi_set_named_property(env, answer, "images", list);
    setOutcomeFields(env, answer, render.outcome);
    return answer;
}

void renderOffThread(napi_env, void* data) {
    drawRender(*static_cast<RenderWork*>(data));
}

void renderSettled(napi_env env, napi_status, void* data) {
    std::unique_ptr<RenderWork> render(static_cast<RenderWork*>(data));
    napi_delete_async_work(env, render->work);
    if (!render->outcome.succeeded()) {
        napi_reject_deferred(env, render->deferred, makeJobError(env, render->outcome));
        return;
    }
    napi_resolve_deferred(env, render->deferred, renderAnswer(env, *render));
}

// renderReceipt(layout, { base, preview, details }): a Promise of PNG buffers, one a table
// section as the STAR job draws them (or the previewer's one image); with `details`, of
// { images, ok, detail, warnings }. Rejects with an Error of the job's message, its detail and
// warnings. Drawn on a worker thread.
napi_value renderReceipt(napi_env env, napi_callback_info info) {
    auto render = std::make_unique<RenderWork>();
    napi_value promise = nullptr;
    napi_create_promise(env, &render->deferred, &promise);
    const JobOutcome refused = renderRequest(env, info, *render);
    if (!refused.succeeded()) {
        napi_reject_deferred(env, render->deferred, makeJobError(env, refused));
        return promise;
    }
    napi_create_async_work(env, nullptr, makeString(env, "renderReceipt"), renderOffThread, renderSettled,
                           render.get(), &render->work);
    napi_queue_async_work(env, render->work);
    render.release();
    return promise;
}

// renderReceiptSync(layout, options): renderReceipt's answer, drawn on the calling thread and
// returned, its Error thrown. It spares the trip to a worker thread and back, which costs about
// what drawing a short receipt does, and holds the event loop while it draws.
napi_value renderReceiptSync(napi_env env, napi_callback_info info) {
    RenderWork render;
    const JobOutcome refused = renderRequest(env, info, render);
    if (refused.succeeded()) drawRender(render);
    const JobOutcome& outcome = refused.succeeded() ? render.outcome : refused;
    if (!outcome.succeeded()) {
        napi_throw(env, makeJobError(env, outcome));
        return nullptr;
    }
    return renderAnswer(env, render);
}

// escposReceipt(layout, { raster, dots, base }): the ESC/POS stream an EPSON printer gets for
// the layout, as a Buffer: the text conversion, or the receipt drawn as raster images.
napi_value escposReceipt(napi_env env, napi_callback_info info) {
    const Arguments args = arguments(env, info, 2);
    std::string layout, stored, base = ".";
    JobOutcome outcome = toLayout(env, args.values[0], "Argument 1 (layout)", layout);
    const bool raster = flagOption(env, args.values[1], "raster");
    napi_value baseValue = option(env, args.values[1], "base");
    if (outcome.succeeded() && raster && baseValue != nullptr) {
        outcome = toBytes(env, baseValue, TextKind::kName, "Argument 2 (options.base)", base);
    }
    if (outcome.succeeded()) {
        outcome = raster ? escposRasterReceipt(base, layout, dotsOption(env, args.values[1]), stored)
                         : escposStream(layout, stored, flagOption(env, args.values[1], "nativeQr"));
    }
    if (!outcome.succeeded()) {
        napi_throw(env, makeJobError(env, outcome));
        return nullptr;
    }
    napi_value buffer = nullptr;
    napi_create_buffer_copy(env, stored.size(), stored.data(), nullptr, &buffer);
    return buffer;
}

napi_value init(napi_env env, napi_value exports) {
    const std::pair<const char*, napi_callback> functions[] = {
        {"printReceipt", printReceipt},   {"printReceiptAsync", printReceiptAsync},
        {"listPrinters", listPrintersCall}, {"renderReceipt", renderReceipt},
        {"renderReceiptSync", renderReceiptSync}, {"escposReceipt", escposReceipt},
        {"printBacklog", printBacklog},
    };
    for (const auto& function : functions) {
        napi_value value = nullptr;
        napi_create_function(env, nullptr, 0, function.second, nullptr, &value);
        napi_set_named_property(env, exports, function.first, value);
    }
    return exports;
}

}  // namespace

}  // namespace kestrane

NAPI_MODULE(KestranePrinting, kestrane::init)
