// The Node.js add-on KestranePrinting: the one file that speaks Node-API. It converts JavaScript
// values to and from the engine's strings and buffers and hands the work to the engine.
#include <node_api.h>

#include <memory>
#include <string>
#include <vector>

#include "binding/print_lanes.h"
#include "binding/print_request.h"
#include "binding/string_bytes.h"
#include "markup/layout_limits.h"
#include "markup/preview_text.h"
#include "output/byte_sink.h"
#include "output/messages.h"
#include "output/raw_conversion.h"
#include "output/star_job.h"
#include "platform/native_name.h"
#include "platform/png_file.h"
#include "platform/spooler.h"
#include "platform/text_file.h"
#include "render/receipt_section.h"

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

// The value as JavaScript's String() makes it, in UTF-16. False, with no exception left pending,
// when the conversion throws (a Symbol, a throwing toString).
bool toUtf16(napi_env env, napi_value value, std::u16string& text) {
    napi_value converted = nullptr;
    if (napi_coerce_to_string(env, value, &converted) != napi_ok) {
        napi_value ignored = nullptr;
        napi_get_and_clear_last_exception(env, &ignored);
        return false;
    }
    std::size_t length = 0;
    napi_get_value_string_utf16(env, converted, nullptr, 0, &length);
    text.resize(length + 1);
    napi_get_value_string_utf16(env, converted, &text[0], text.size(), &length);
    text.resize(length);
    return true;
}

enum class TextKind { kName, kLayout };

// The engine's bytes for a string argument (`what`: "Argument 1 (printerName)"): a name in the
// OS's character set, or layout text. The "Error - " message naming the argument when it cannot
// pass, or "".
std::string toBytes(napi_env env, napi_value value, TextKind kind, const std::string& what, std::string& bytes) {
    std::u16string text;
    if (!toUtf16(env, value, text)) return errorText(what + " cannot be converted to a string");
    const StringFault fault = kind == TextKind::kLayout ? layoutBytes(text, bytes)
                                                        : nameBytes(text, nativeNameCharset(), bytes);
    if (fault == StringFault::kNul) return errorText(what + " holds a NUL character");
    if (fault == StringFault::kNotHeld) return errorText(what + " holds characters that Windows-1252 cannot hold");
    return std::string();
}

// A layout given as a Buffer (its bytes as they are) or as a string (layout text).
std::string toLayout(napi_env env, napi_value value, const std::string& what, std::string& layout) {
    bool isBuffer = false;
    napi_is_buffer(env, value, &isBuffer);
    if (!isBuffer) return toBytes(env, value, TextKind::kLayout, what, layout);
    void* data = nullptr;
    std::size_t length = 0;
    napi_get_buffer_info(env, value, &data, &length);
    layout.assign(static_cast<const char*>(data), length);
    return std::string();
}

struct Arguments {
    std::size_t count = 0;
    napi_value values[5] = {};
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

// The five texts of a printReceipt call, or the message that answers the call at once.
bool toRequest(napi_env env, const Arguments& args, PrintRequest& request, std::string& message) {
    if (args.count < 2) {
        message = tooFewArgumentsMessage();
        return false;
    }
    std::string* fields[5] = {&request.printerName, &request.printerType, &request.ipAddress,
                              &request.imageDirectory, &request.receiptText};
    for (int i = 0; i < 5; ++i) {
        const std::string what = "Argument " + std::to_string(i + 1) + " (" + kArgumentNames[i] + ")";
        message = toBytes(env, args.values[i], i == 4 ? TextKind::kLayout : TextKind::kName, what, *fields[i]);
        if (!message.empty()) return false;
    }
    return true;
}

// printReceipt(printerName, printerType, ipAddress, imageDirectory, receiptText): the job's one
// message. Waits for the jobs handed in before for the same printer.
napi_value printReceipt(napi_env env, napi_callback_info info) {
    PrintRequest request;
    std::string message;
    if (toRequest(env, arguments(env, info, 5), request, message)) {
        runInLaneAndWait(printerKey(request), [&] { message = runPrintRequest(request); });
    }
    return makeString(env, message);
}

// Hands a message from a lane's thread to the JavaScript thread and settles the promise.
void resolveWithMessage(napi_env env, napi_value, void* context, void* data) {
    std::unique_ptr<std::string> message(static_cast<std::string*>(data));
    if (env == nullptr) return;  // the environment is going away
    napi_resolve_deferred(env, static_cast<napi_deferred>(context), makeString(env, *message));
}

// printReceiptAsync(...): the same call as a Promise of the message, run on the printer's lane.
napi_value printReceiptAsync(napi_env env, napi_callback_info info) {
    napi_deferred deferred = nullptr;
    napi_value promise = nullptr;
    napi_create_promise(env, &deferred, &promise);
    PrintRequest request;
    std::string message;
    if (!toRequest(env, arguments(env, info, 5), request, message)) {
        napi_resolve_deferred(env, deferred, makeString(env, message));
        return promise;
    }
    napi_threadsafe_function settle = nullptr;
    if (napi_create_threadsafe_function(env, nullptr, nullptr, makeString(env, "printReceiptAsync"), 0, 1,
                                        nullptr, nullptr, deferred, resolveWithMessage, &settle) != napi_ok) {
        napi_reject_deferred(env, deferred, makeError(env, "Error - cannot start the print job"));
        return promise;
    }
    runInLane(printerKey(request), [request, settle] {
        auto* result = new std::string(runPrintRequest(request));
        if (napi_call_threadsafe_function(settle, result, napi_tsfn_blocking) != napi_ok) delete result;
        napi_release_threadsafe_function(settle, napi_tsfn_release);
    });
    return promise;
}

// listPrinters(): [{ name, state, accepting, size }] with size { width, height, xdpi, ydpi } in
// device pixels, or null when the printer's driver gives none. Throws when the spooler does not
// answer.
napi_value listPrintersCall(napi_env env, napi_callback_info) {
    std::string error;
    const std::vector<PrinterInfo> printers = listPrinters(error);
    if (!error.empty()) return throwError(env, errorText(error));
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
    napi_deferred deferred = nullptr;
    napi_async_work work = nullptr;
    std::vector<std::string> images;  // PNG files
    std::string failure;              // the job's message when it drew nothing whole
};

void renderOffThread(napi_env, void* data) {
    auto* render = static_cast<RenderWork*>(data);
    const auto keep = [render](const Canvas& canvas) {
        render->images.emplace_back();
        encodePng(canvas, render->images.back());
    };
    if (!render->preview) {
        const StarJobOutcome outcome = runStarJob(render->base, render->layout, [&](const Canvas& canvas, std::size_t) {
            keep(canvas);
            return std::string();
        });
        if (outcome.message != kStarSuccess) render->failure = outcome.message;
        return;
    }
    JobContext job(render->base);
    const SectionImage image = renderPreview(job, render->layout);
    if (image.canvas) {
        keep(*image.canvas);
    } else {
        render->failure = image.failure == SectionFailure::kTooLarge ? kLayoutTooLarge : kPreviewNotRendered;
    }
}

void renderSettled(napi_env env, napi_status, void* data) {
    std::unique_ptr<RenderWork> render(static_cast<RenderWork*>(data));
    napi_delete_async_work(env, render->work);
    if (!render->failure.empty()) {
        napi_reject_deferred(env, render->deferred, makeError(env, render->failure));
        return;
    }
    napi_value list = nullptr;
    napi_create_array_with_length(env, render->images.size(), &list);
    for (std::size_t i = 0; i < render->images.size(); ++i) {
        napi_value buffer = nullptr;
        napi_create_buffer_copy(env, render->images[i].size(), render->images[i].data(), nullptr, &buffer);
        napi_set_element(env, list, static_cast<uint32_t>(i), buffer);
    }
    napi_resolve_deferred(env, render->deferred, list);
}

// The option `name` of an options object, or nullptr when there is none.
napi_value option(napi_env env, napi_value options, const char* name) {
    napi_valuetype type = napi_undefined;
    napi_typeof(env, options, &type);
    if (type != napi_object) return nullptr;
    bool has = false;
    napi_has_named_property(env, options, name, &has);
    napi_value value = nullptr;
    if (has) napi_get_named_property(env, options, name, &value);
    napi_valuetype valueType = napi_undefined;
    if (value != nullptr) napi_typeof(env, value, &valueType);
    return valueType == napi_undefined ? nullptr : value;
}

// renderReceipt(layout, { base, preview }): a Promise of PNG buffers, one a table section as the
// STAR job draws them (or the previewer's one image). Rejects with the job's message.
napi_value renderReceipt(napi_env env, napi_callback_info info) {
    const Arguments args = arguments(env, info, 2);
    auto render = std::make_unique<RenderWork>();
    napi_value promise = nullptr;
    napi_create_promise(env, &render->deferred, &promise);
    napi_value base = option(env, args.values[1], "base");
    napi_value preview = option(env, args.values[1], "preview");
    napi_value previewFlag = nullptr;
    if (preview != nullptr && napi_coerce_to_bool(env, preview, &previewFlag) == napi_ok) {
        napi_get_value_bool(env, previewFlag, &render->preview);
    }
    render->base = ".";
    std::string failure = toLayout(env, args.values[0], "Argument 1 (layout)", render->layout);
    if (failure.empty() && base != nullptr) {
        failure = toBytes(env, base, TextKind::kName, "Argument 2 (options.base)", render->base);
    }
    if (!failure.empty()) {
        napi_reject_deferred(env, render->deferred, makeError(env, failure));
        return promise;
    }
    napi_create_async_work(env, nullptr, makeString(env, "renderReceipt"), renderOffThread, renderSettled,
                           render.get(), &render->work);
    napi_queue_async_work(env, render->work);
    render.release();
    return promise;
}

// escposReceipt(layout): the ESC/POS stream an EPSON printer gets for the layout, as a Buffer.
napi_value escposReceipt(napi_env env, napi_callback_info info) {
    const Arguments args = arguments(env, info, 1);
    std::string layout;
    const std::string failure = toLayout(env, args.values[0], "Argument 1 (layout)", layout);
    if (!failure.empty()) return throwError(env, failure);
    if (layout.size() > kMaxLayoutBytes) return throwError(env, kLayoutTooLarge);
    StringSink sink;
    writeRawReceipt(layout, sink);
    const std::string stored = textModeBytes(sink.bytes());
    napi_value buffer = nullptr;
    napi_create_buffer_copy(env, stored.size(), stored.data(), nullptr, &buffer);
    return buffer;
}

napi_value init(napi_env env, napi_value exports) {
    const std::pair<const char*, napi_callback> functions[] = {
        {"printReceipt", printReceipt},   {"printReceiptAsync", printReceiptAsync},
        {"listPrinters", listPrintersCall}, {"renderReceipt", renderReceipt},
        {"escposReceipt", escposReceipt},
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
