#include "previewer/qt/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <iterator>

#include "previewer/previewer_texts.h"
#include "previewer/qt/preview_pane.h"
#include "previewer/qt/resources.h"
#include "previewer/window_layout.h"

namespace kestrane::previewer {

namespace {

const char* const kSampleResources[] = {":/samples/kestrane.html", ":/samples/vexo.html",
                                        ":/samples/invoice.html"};

QFont controlFont() {
    QFont font(kControlFontFace);
    font.setPixelSize(kControlFontPixels);
    font.setWeight(QFont::Normal);
    return font;
}

QRect place(const WindowBox& box) { return QRect(box.x, box.y, box.width, box.height); }

void showMessageBox(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

// "HTML TEMPLATE File (*.html);;TEXT TEMPLATE FILE (*.txt)"
QString openFilters() {
    QStringList filters;
    for (const FileFilter& filter : kOpenFilters)
        filters << QString("%1 (%2)").arg(filter.name, filter.pattern);
    return filters.join(";;");
}

}  // namespace

MainWindow::MainWindow(const PreviewerOptions& options, SessionServices services)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      showMessage(showMessageBox),
      session_(options, std::move(services)) {
    initPreviewerResources();
    setWindowTitle(kWindowTitle);
    setFixedSize(kWindowWidth, kWindowHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(windowLeft(screen->geometry().width()), kWindowTop);

    openAction_ = menuBar()->addAction(kOpenCommand);
    openAction_->setObjectName("openAction");
    connect(openAction_, &QAction::triggered, this, &MainWindow::onOpenCommand);
    // Beyond the one command: how the preview is drawn.
    exactAction_ = menuBar()->addMenu(kPreviewMenu)->addAction(kExactCommand);
    exactAction_->setObjectName("exactAction");
    exactAction_->setCheckable(true);
    connect(exactAction_, &QAction::toggled, this, [this](bool exact) {
        setMode(exact ? PreviewMode::kStarJob : PreviewMode::kPreviewer);
    });

    auto* client = new QWidget(this);
    client->setAutoFillBackground(true);
    QPalette white = client->palette();
    white.setColor(QPalette::Window, Qt::white);
    client->setPalette(white);
    setCentralWidget(client);
    pane_ = new PreviewPane(client, session_);
    buildControlBar(client);

    // The followed file: a watcher on it and on its folder answers at once (an editor's save by
    // rename shows in the folder only), a timer covers what a watcher misses (network folders).
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &MainWindow::checkFollowedFile);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &MainWindow::checkFollowedFile);
    followTimer_ = new QTimer(this);
    followTimer_->setInterval(kFollowIntervalMs);
    connect(followTimer_, &QTimer::timeout, this, &MainWindow::checkFollowedFile);

    loadResources();
    session_.readPrinters();
    for (const std::string& printer : session_.printerEntries())
        printerList_->addItem(QString::fromStdString(printer));
    printerList_->setCurrentIndex(0);
    connect(printerList_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        session_.choosePrinter(index);
        syncView();
    });

    session_.showRequested();
    watchFollowedFile();
    syncBitmap();
    syncView();
    // Once the event loop runs: the window is on screen (and a test has its recorder in place).
    QTimer::singleShot(0, this, &MainWindow::showMessages);
}

// The session, a member, waits here for a print still running: its document reaches the spooler
// whole, and its queued call back to this window is dropped with the window.
MainWindow::~MainWindow() = default;

void MainWindow::loadResources() {
    QFile start(":/previewer/start_picture.bmp");
    if (start.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = start.readAll();
        session_.showStartPicture(
            std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    for (int entry = 1; entry <= static_cast<int>(std::size(kSampleResources)); ++entry) {
        QFile file(kSampleResources[entry - 1]);
        if (!file.open(QIODevice::ReadOnly)) {
            session_.loadSample(entry, nullptr, 0);
            continue;
        }
        const QByteArray bytes = file.readAll();
        session_.loadSample(entry, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
}

void MainWindow::buildControlBar(QWidget* parent) {
    controlBar_ = new QFrame(parent);
    controlBar_->setObjectName("controlBar");
    controlBar_->setGeometry(place(kControlBarBox));
    controlBar_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    controlBar_->setAutoFillBackground(true);
    QPalette green = controlBar_->palette();
    green.setColor(QPalette::Window,
                   QColor(kControlBarColour.red, kControlBarColour.green, kControlBarColour.blue));
    controlBar_->setPalette(green);

    printerList_ = new QComboBox(controlBar_);
    printerList_->setObjectName("printerList");
    printerList_->setGeometry(place(kPrinterListBox));
    printerList_->setFont(controlFont());

    sampleList_ = new QComboBox(controlBar_);
    sampleList_->setObjectName("sampleList");
    sampleList_->setGeometry(place(kSampleListBox));
    sampleList_->setFont(controlFont());
    for (const char* entry : kSampleEntries) sampleList_->addItem(entry);
    sampleList_->setCurrentIndex(0);
    connect(sampleList_, qOverload<int>(&QComboBox::activated), this, &MainWindow::chooseSample);

    printButton_ = new QPushButton(kPrintButton, controlBar_);
    printButton_->setObjectName("printButton");
    printButton_->setGeometry(place(kPrintButtonBox));
    printButton_->setEnabled(false);
    printButton_->setFont(controlFont());
    connect(printButton_, &QPushButton::clicked, this, &MainWindow::onPrint);
}

void MainWindow::chooseSample(int index) {
    session_.chooseSample(index);
    watchFollowedFile();
    syncBitmap();
    syncView();
}

void MainWindow::openLayoutFile(const QString& path) {
    session_.openFile(QFile::encodeName(path).toStdString());
    watchFollowedFile();
    syncBitmap();
    syncView();
}

void MainWindow::setMode(PreviewMode mode) {
    if (session_.setMode(mode)) syncBitmap();
    syncView();
}

void MainWindow::onOpenCommand() {
    const QString path =
        QFileDialog::getOpenFileName(this, kOpenDialogTitle, QDir::homePath(), openFilters());
    if (!path.isEmpty()) openLayoutFile(path);
}

void MainWindow::checkFollowedFile() {
    if (session_.checkFollowedFile()) syncBitmap();
    watchFollowedFile();
}

void MainWindow::watchFollowedFile() {
    const QString file = QFile::decodeName(QByteArray::fromStdString(session_.followedFile()));
    QStringList wanted;
    if (!file.isEmpty()) {
        // A file that is gone is watched again once it is back; its folder all along.
        if (session_.followedFilePresent()) wanted << file;
        wanted << QFileInfo(file).absolutePath();
    }
    const QStringList watched = watcher_->files() + watcher_->directories();
    for (const QString& path : watched) {
        if (!wanted.contains(path)) watcher_->removePath(path);
    }
    for (const QString& path : wanted) {
        if (!watched.contains(path)) watcher_->addPath(path);
    }
    if (file.isEmpty()) {
        followTimer_->stop();
    } else if (!followTimer_->isActive()) {
        followTimer_->start();
    }
}

void MainWindow::onPrint() {
    // The worker says it is done from its own thread; the outcome is taken on this one.
    const bool started = session_.startPrint([this] {
        QMetaObject::invokeMethod(this, &MainWindow::onPrintFinished, Qt::QueuedConnection);
    });
    if (started) setCursor(Qt::BusyCursor);
    syncView();
}

void MainWindow::onPrintFinished() {
    const std::optional<PreviewMessage> outcome = session_.finishPrint();
    if (!outcome) return;
    unsetCursor();
    syncView();
    showMessage(QString::fromStdString(messageBoxText(*outcome)),
                QString::fromStdString(outcome->caption));
}

void MainWindow::showMessages() {
    for (const PreviewMessage& message : session_.takeMessages()) {
        showMessage(QString::fromStdString(messageBoxText(message)),
                    QString::fromStdString(message.caption));
    }
}

void MainWindow::syncBitmap() { pane_->setBitmap(session_.bitmap()); }

void MainWindow::syncView() {
    if (sampleList_->currentIndex() != session_.selectedSample())
        sampleList_->setCurrentIndex(session_.selectedSample());
    printButton_->setEnabled(session_.canPrint());
    const QSignalBlocker quiet(exactAction_);
    exactAction_->setChecked(session_.mode() == PreviewMode::kStarJob);
}

}  // namespace kestrane::previewer
