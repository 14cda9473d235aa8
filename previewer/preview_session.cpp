#include "previewer/preview_session.h"

#include <iterator>
#include <utility>

#include "previewer/previewer_texts.h"
#include "previewer/window_layout.h"

namespace kestrane::previewer {

namespace {

constexpr int kSampleCount = static_cast<int>(std::size(kSampleEntries)) - 1;

std::optional<FileStamp> stampOf(const std::string& path) {
    FileStamp stamp;
    if (!fileStamp(path, stamp)) return std::nullopt;
    return stamp;
}

}  // namespace

SessionServices systemServices() {
    SessionServices services;
    services.listPrinters = [](std::string& error) { return listPrinters(error); };
    services.print = [](const PreviewBitmap* bitmap, const std::string& printer) {
        return printPreview(bitmap, printer);
    };
    return services;
}

PreviewSession::PreviewSession(const PreviewerOptions& options, SessionServices services)
    : services_(std::move(services)),
      options_(options),
      imageDirectory_(options.imageDirectory),
      mode_(options.mode),
      samples_(kSampleCount),
      paneHeight_(kPaneBox.height),
      printers_{kSelectPrinter} {
    fitScroll(scroll_, 0, paneHeight_);
}

PreviewSession::~PreviewSession() {
    if (worker_.joinable()) worker_.join();
}

// --- What is shown ------------------------------------------------------------------------------

void PreviewSession::show(std::optional<PreviewBitmap> bitmap, std::string reason) {
    bitmap_ = bitmap ? std::make_shared<const PreviewBitmap>(std::move(*bitmap)) : nullptr;
    reason_ = std::move(reason);
    // The view keeps its place on the new bitmap, as far as it reaches.
    fitScroll(scroll_, bitmap_ ? bitmap_->height() : 0, paneHeight_);
}

void PreviewSession::showStartPicture(std::string bmpBytes) {
    std::optional<PreviewBitmap> picture = startPicture(std::move(bmpBytes));
    shown_ = picture ? ShownContent::kStartPicture : ShownContent::kNothing;
    file_.clear();
    stamp_.reset();
    show(std::move(picture));
}

void PreviewSession::loadSample(int entry, const char* data, std::size_t size) {
    if (entry < 1 || entry > kSampleCount) return;
    std::optional<std::string>& sample = samples_[static_cast<std::size_t>(entry - 1)];
    sample.reset();
    if (data == nullptr) {
        messages_.push_back({kSampleNotLoaded, std::string(), std::string()});
    } else if (size == 0) {
        messages_.push_back({kSampleSizeZero, std::string(), std::string()});
    } else {
        sample.emplace(data, size);
    }
}

void PreviewSession::showRequested() {
    if (!options_.layoutFile.empty()) openFile(options_.layoutFile);
    if (options_.sample > 0) chooseSample(options_.sample);
}

void PreviewSession::chooseSample(int entry) {
    if (entry < 0 || entry > kSampleCount) return;
    selectedSample_ = entry;
    // "Select Preview" names no sample: what is shown stays.
    if (entry == 0) return;
    shown_ = ShownContent::kSample;
    shownSample_ = entry;
    file_.clear();
    stamp_.reset();
    renderSample();
}

void PreviewSession::renderSample() {
    const std::optional<std::string>& text = samples_[static_cast<std::size_t>(shownSample_ - 1)];
    // A sample that does not render (or has no text) leaves the pane white.
    show(text ? renderLayoutPreview(imageDirectory_, *text, mode_) : std::nullopt);
}

void PreviewSession::openFile(const std::string& path) {
    shown_ = ShownContent::kFile;
    file_ = path;
    shownSample_ = 0;
    // The sample list no longer names what is shown.
    selectedSample_ = 0;
    renderFile();
}

void PreviewSession::renderFile() {
    // The stamp before the bytes: a save that lands while they are read shows at the next look.
    stamp_ = stampOf(file_);
    std::string reason;
    PreviewBitmap bitmap = openLayoutPreview(file_, imageDirectory_, mode_, &reason);
    show(std::move(bitmap), std::move(reason));
}

bool PreviewSession::checkFollowedFile() {
    if (shown_ != ShownContent::kFile) return false;
    const std::optional<FileStamp> now = stampOf(file_);
    if (now == stamp_) return false;
    if (!now) {
        // Gone: an editor that saves by deleting or renaming the file writes it again at once,
        // so the last drawing stays rather than a placeholder flashing up in between.
        stamp_.reset();
        return false;
    }
    renderFile();
    return true;
}

bool PreviewSession::setMode(PreviewMode mode) {
    if (mode == mode_) return false;
    mode_ = mode;
    if (shown_ == ShownContent::kSample) {
        renderSample();
    } else if (shown_ == ShownContent::kFile) {
        renderFile();
    }
    return true;
}

// --- Scrolling ----------------------------------------------------------------------------------

void PreviewSession::setPaneHeight(int32_t rows) {
    paneHeight_ = rows;
    fitScroll(scroll_, bitmap_ ? bitmap_->height() : 0, paneHeight_);
}

int32_t PreviewSession::scroll(ScrollRequest request, int32_t thumb) {
    return applyScroll(scroll_, request, thumb);
}

int32_t PreviewSession::scrollWheel(int notches) {
    const ScrollRequest request = notches > 0 ? ScrollRequest::kLineUp : ScrollRequest::kLineDown;
    const int lines = kWheelLines * (notches > 0 ? notches : -notches);
    int32_t moved = 0;
    for (int i = 0; i < lines; ++i) moved += applyScroll(scroll_, request);
    return moved;
}

// --- Printers and PRINT -------------------------------------------------------------------------

void PreviewSession::readPrinters() {
    printers_.assign(1, kSelectPrinter);
    selectedPrinter_ = 0;
    std::string error;
    const std::vector<PrinterInfo> printers = services_.listPrinters(error);
    for (const PrinterInfo& printer : printers) printers_.push_back(printer.name);
    if (!error.empty()) messages_.push_back({kPrintersNotListed, kErrorCaption, error});
}

void PreviewSession::choosePrinter(int entry) {
    selectedPrinter_ = entry > 0 && entry < static_cast<int>(printers_.size()) ? entry : 0;
}

bool PreviewSession::startPrint(std::function<void()> done) {
    if (!canPrint()) return false;
    // The last print's worker has said it is done; it ends at once, if it has not already.
    if (worker_.joinable()) worker_.join();
    printing_ = true;
    {
        const std::lock_guard<std::mutex> lock(outcomeMutex_);
        outcome_.reset();
    }
    // The worker holds the bitmap it prints: the pane may show another one meanwhile.
    worker_ = std::thread([this, bitmap = bitmap_, printer = printers_[selectedPrinter_],
                           done = std::move(done)] {
        PreviewMessage outcome = services_.print(bitmap.get(), printer);
        {
            const std::lock_guard<std::mutex> lock(outcomeMutex_);
            outcome_ = std::move(outcome);
        }
        if (done) done();
    });
    return true;
}

std::optional<PreviewMessage> PreviewSession::finishPrint() {
    std::optional<PreviewMessage> outcome;
    {
        const std::lock_guard<std::mutex> lock(outcomeMutex_);
        outcome.swap(outcome_);
    }
    if (!outcome) return std::nullopt;
    worker_.join();
    printing_ = false;
    return outcome;
}

std::vector<PreviewMessage> PreviewSession::takeMessages() {
    return std::exchange(messages_, {});
}

}  // namespace kestrane::previewer
