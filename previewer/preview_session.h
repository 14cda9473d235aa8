// What the previewer's window is doing, without the window: what the pane shows (the start
// picture, a built-in sample or a layout file), how it is drawn, the file it follows, where the
// view is scrolled, the printers to choose from, and PRINT. A front end makes widgets of it: it
// hands user actions to the session, draws what the session holds and shows the messages it
// gives. Every call but the print worker's `done` is made on the front end's own thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_path.h"
#include "platform/spooler.h"
#include "previewer/preview_bitmap.h"
#include "previewer/preview_print.h"
#include "previewer/preview_render.h"
#include "previewer/previewer_options.h"
#include "previewer/scroll_state.h"

namespace kestrane::previewer {

enum class ShownContent {
    kNothing,       // before the start picture, or when it could not be decoded
    kStartPicture,
    kSample,        // a built-in sample (bitmap() is null when it did not render)
    kFile,          // a layout file, followed as it changes
};

// What the session asks of the system; tests put their own here.
struct SessionServices {
    // The spooler's printers, as platform/spooler.h listPrinters gives them.
    std::function<std::vector<PrinterInfo>(std::string& error)> listPrinters;
    // Prints a bitmap (null: nothing rendered) as preview_print.h printPreview does. Runs on the
    // print worker's thread.
    std::function<PreviewMessage(const PreviewBitmap* bitmap, const std::string& printer)> print;
};
// The spooler's list and printPreview.
SessionServices systemServices();

class PreviewSession {
  public:
    // The lines one notch of a mouse wheel scrolls.
    static constexpr int32_t kWheelLines = 3;

    explicit PreviewSession(const PreviewerOptions& options,
                            SessionServices services = systemServices());
    // Waits for a print that is still running, so its document reaches the spooler whole.
    ~PreviewSession();
    PreviewSession(const PreviewSession&) = delete;
    PreviewSession& operator=(const PreviewSession&) = delete;

    // --- What is shown -------------------------------------------------------------------------

    // Shows the start picture from the bytes of its BMP file (nothing when they are not one).
    void showStartPicture(std::string bmpBytes);
    // The text of the built-in sample at list entry `entry` (1 to 3), from the front end's
    // resources: `data` null when they could not be loaded, `size` 0 when the resource is empty.
    // Either failure leaves a message and the sample without text.
    void loadSample(int entry, const char* data, std::size_t size);
    // Shows what the command line asked for: its file, followed, then its sample.
    void showRequested();

    // The sample list's entry `entry` was chosen: 1 to 3 show that sample (white when it does not
    // render) and end following a file; 0, "Select Preview", keeps what is shown.
    void chooseSample(int entry);
    // Shows the layout file at `path` and follows it from now on. The sample list goes back to 0.
    void openFile(const std::string& path);
    // Looks at the followed file again: drawn again when it changed (the scroll position kept);
    // while it is gone (an editor saving by delete or rename), the last drawing stays and the
    // file is looked for at every call until it is back. True when the bitmap changed.
    bool checkFollowedFile();
    // Draws the sample or file shown again in `mode`. True when the mode changed.
    bool setMode(PreviewMode mode);

    ShownContent shown() const { return shown_; }
    // What the pane shows and PRINT prints; null when nothing is (a sample that did not render).
    const PreviewBitmap* bitmap() const { return bitmap_.get(); }
    // Why the placeholder is shown, as it says below its line; empty when it says nothing more.
    const std::string& reason() const { return reason_; }
    PreviewMode mode() const { return mode_; }
    const std::string& imageDirectory() const { return imageDirectory_; }
    // The sample list's entry: the sample last chosen, or 0 once a file was opened.
    int selectedSample() const { return selectedSample_; }
    // The sample on screen (1 to 3), or 0.
    int shownSample() const { return shown_ == ShownContent::kSample ? shownSample_ : 0; }
    // The file followed; empty when none is.
    const std::string& followedFile() const { return file_; }
    // Whether the followed file was there at the last look.
    bool followedFilePresent() const { return stamp_.has_value(); }

    // --- Scrolling -----------------------------------------------------------------------------

    // The pane's height in rows (kPaneBox's until a front end says otherwise).
    void setPaneHeight(int32_t rows);
    // A scroll bar's request; how far the content moves, as applyScroll says.
    int32_t scroll(ScrollRequest request, int32_t thumb = 0);
    // `notches` turns of a mouse wheel, positive away from the user (up).
    int32_t scrollWheel(int notches);
    const ScrollState& scrollState() const { return scroll_; }

    // --- Printers and PRINT --------------------------------------------------------------------

    // Reads the spooler's printers again. When it cannot give them, the list holds only "Select
    // Printer" and a message says why.
    void readPrinters();
    // The printer list: "Select Printer", then the spooler's printers in its order.
    const std::vector<std::string>& printerEntries() const { return printers_; }
    // Entry `entry` of the printer list was chosen (0: none).
    void choosePrinter(int entry);
    int selectedPrinter() const { return selectedPrinter_; }
    // Whether PRINT is enabled: a printer is chosen and no print is running.
    bool canPrint() const { return selectedPrinter_ > 0 && !printing_; }
    bool printing() const { return printing_; }

    // PRINT: prints what is shown now on the chosen printer on a worker thread, which calls
    // `done` once it has finished; the front end then calls finishPrint on its own thread. A
    // PRINT while one runs, or with no printer chosen, is refused: false, and nothing starts.
    bool startPrint(std::function<void()> done);
    // The finished print's outcome for the message box; PRINT can be used again. None while the
    // print still runs, or when none was started.
    std::optional<PreviewMessage> finishPrint();

    // --- Messages ------------------------------------------------------------------------------

    // Messages for the user that no action of theirs is waiting for (a sample that could not be
    // loaded, the printers that could not be listed), oldest first; each is given once.
    std::vector<PreviewMessage> takeMessages();

  private:
    void show(std::optional<PreviewBitmap> bitmap, std::string reason = std::string());
    void renderSample();
    void renderFile();

    SessionServices services_;
    PreviewerOptions options_;
    std::string imageDirectory_;
    PreviewMode mode_;

    ShownContent shown_ = ShownContent::kNothing;
    std::shared_ptr<const PreviewBitmap> bitmap_;
    std::string reason_;
    std::vector<std::optional<std::string>> samples_;
    int selectedSample_ = 0;
    int shownSample_ = 0;
    std::string file_;
    std::optional<FileStamp> stamp_;  // the followed file at the last look; none when it was gone

    ScrollState scroll_;
    int32_t paneHeight_;

    std::vector<std::string> printers_;
    int selectedPrinter_ = 0;
    bool printing_ = false;
    std::thread worker_;
    std::mutex outcomeMutex_;
    std::optional<PreviewMessage> outcome_;  // set by the worker

    std::vector<PreviewMessage> messages_;
};

}  // namespace kestrane::previewer
