// The previewer's main window: the preview pane above, the green control bar below (printer
// list, sample list, PRINT), and a menu bar with "&Open". It owns the preview bitmap.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "previewer/preview_bitmap.h"
#include "previewer/preview_render.h"

class QAction;
class QComboBox;
class QFileSystemWatcher;
class QFrame;
class QPushButton;

namespace kestrane::previewer {

class PreviewPane;

struct PreviewerOptions {
    std::string imageDirectory;  // where the layouts' images are looked up
    PreviewMode mode = PreviewMode::kPreviewer;
};

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 500;

    explicit MainWindow(PreviewerOptions options);
    ~MainWindow() override;

    // Renders the layout file at `path`, as "&Open" does once a file is chosen; the window then
    // follows the file and renders it again whenever it changes.
    void openLayoutFile(const QString& path);
    // Chooses entry `index` of the sample list, as a user does.
    void chooseSample(int index);
    // Previews with the STAR print job's engine, or with the previewer's own; what is shown is
    // rendered again.
    void setMode(PreviewMode mode);

    const PreviewBitmap* bitmap() const { return bitmap_ ? &*bitmap_ : nullptr; }
    PreviewPane* pane() const { return pane_; }
    QFrame* controlBar() const { return controlBar_; }
    QComboBox* printerList() const { return printerList_; }
    QComboBox* sampleList() const { return sampleList_; }
    QPushButton* printButton() const { return printButton_; }
    QAction* openAction() const { return openAction_; }

    // Shows a message box; a test may put its own recorder here.
    std::function<void(const QString& text, const QString& caption)> showMessage;

  private:
    void buildControlBar(QWidget* parent);
    void loadSamples();
    void onPrinterChanged(int index);
    void onSampleActivated(int index);
    void onPrint();
    void onOpenCommand();
    void onFileChanged(const QString& path);
    void replaceBitmap(std::optional<PreviewBitmap> bitmap);
    void renderOpenedFile();

    PreviewerOptions options_;
    std::optional<PreviewBitmap> bitmap_;
    std::array<std::optional<std::string>, 3> sampleTexts_;
    int selectedPrinter_ = 0;
    int selectedSample_ = 0;
    int shownSample_ = 0;  // the sample on screen, 0 when it is a file or the start picture
    QString openedFile_;   // the file on screen, empty when there is none

    PreviewPane* pane_ = nullptr;
    QFrame* controlBar_ = nullptr;
    QComboBox* printerList_ = nullptr;
    QComboBox* sampleList_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* exactAction_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
};

}  // namespace kestrane::previewer
