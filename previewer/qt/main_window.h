// The previewer's main window: the preview pane above, the green control bar below (printer
// list, sample list, PRINT), and a menu bar with "&Open". A view over the previewer's session,
// which decides what is shown and printed; the window turns user actions into session calls and
// the session's state into widgets and message boxes.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

#include "previewer/preview_session.h"

class QAction;
class QComboBox;
class QFileSystemWatcher;
class QFrame;
class QPushButton;
class QTimer;

namespace kestrane::previewer {

class PreviewPane;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // The window shows what `options` ask for (a file, a sample) once it is built.
    explicit MainWindow(const PreviewerOptions& options,
                        SessionServices services = systemServices());
    ~MainWindow() override;

    // Renders the layout file at `path`, as "&Open" does once a file is chosen; the window then
    // follows the file and renders it again whenever it changes.
    void openLayoutFile(const QString& path);
    // Chooses entry `index` of the sample list, as a user does.
    void chooseSample(int index);
    // Previews with the STAR print job's engine, or with the previewer's own; what is shown is
    // rendered again.
    void setMode(PreviewMode mode);

    const PreviewSession& session() const { return session_; }
    const PreviewBitmap* bitmap() const { return session_.bitmap(); }
    PreviewPane* pane() const { return pane_; }
    QFrame* controlBar() const { return controlBar_; }
    QComboBox* printerList() const { return printerList_; }
    QComboBox* sampleList() const { return sampleList_; }
    QPushButton* printButton() const { return printButton_; }
    QAction* openAction() const { return openAction_; }
    QAction* exactAction() const { return exactAction_; }

    // Shows a message box; a test may put its own recorder here. Messages the window has from
    // its start (a sample or the printers that could not be read) come once it is shown.
    std::function<void(const QString& text, const QString& caption)> showMessage;

  private:
    void buildControlBar(QWidget* parent);
    void loadResources();
    void onPrint();
    void onPrintFinished();
    void onOpenCommand();
    void checkFollowedFile();
    void watchFollowedFile();
    void showMessages();
    // The widgets made to show the session's state again.
    void syncView();
    void syncBitmap();

    PreviewSession session_;

    PreviewPane* pane_ = nullptr;
    QFrame* controlBar_ = nullptr;
    QComboBox* printerList_ = nullptr;
    QComboBox* sampleList_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* exactAction_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* followTimer_ = nullptr;
};

}  // namespace kestrane::previewer
