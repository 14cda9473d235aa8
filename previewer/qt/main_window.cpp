#include "previewer/qt/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemWatcher>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "platform/spooler.h"
#include "previewer/preview_print.h"
#include "previewer/previewer_texts.h"
#include "previewer/qt/preview_pane.h"
#include "previewer/qt/resources.h"

namespace kestrane::previewer {

namespace {

constexpr int kControlBarHeight = 30;
const char* const kSampleResources[] = {":/samples/kestrane.html", ":/samples/vexo.html",
                                        ":/samples/invoice.html"};

QFont controlFont() {
    QFont font("Arial");
    font.setPixelSize(14);
    font.setWeight(QFont::Normal);
    return font;
}

void showMessageBox(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

MainWindow::MainWindow(PreviewerOptions options)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      showMessage(showMessageBox),
      options_(std::move(options)) {
    initPreviewerResources();
    setWindowTitle(kWindowTitle);
    setFixedSize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().width() / 2 - kWidth / 2, 50);
    }

    openAction_ = menuBar()->addAction(kOpenCommand);
    openAction_->setObjectName("openAction");
    connect(openAction_, &QAction::triggered, this, &MainWindow::onOpenCommand);
    // Beyond the one command: how the preview is drawn.
    exactAction_ =
        menuBar()->addMenu("&Preview")->addAction("&Exact: as the STAR print job draws it");
    exactAction_->setObjectName("exactAction");
    exactAction_->setCheckable(true);
    exactAction_->setChecked(options_.mode == PreviewMode::kStarJob);
    connect(exactAction_, &QAction::toggled, this, [this](bool exact) {
        setMode(exact ? PreviewMode::kStarJob : PreviewMode::kPreviewer);
    });

    auto* client = new QWidget(this);
    client->setAutoFillBackground(true);
    QPalette white = client->palette();
    white.setColor(QPalette::Window, Qt::white);
    client->setPalette(white);
    setCentralWidget(client);
    pane_ = new PreviewPane(client);
    buildControlBar(client);

    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &MainWindow::onFileChanged);

    QFile start(":/previewer/start_picture.bmp");
    if (start.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = start.readAll();
        replaceBitmap(
            startPicture(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControlBar(QWidget* parent) {
    controlBar_ = new QFrame(parent);
    controlBar_->setObjectName("controlBar");
    controlBar_->setGeometry(0, PreviewPane::kHeight, kWidth, kControlBarHeight);
    controlBar_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    controlBar_->setAutoFillBackground(true);
    QPalette green = controlBar_->palette();
    green.setColor(QPalette::Window, QColor(0, 200, 0));
    controlBar_->setPalette(green);

    printerList_ = new QComboBox(controlBar_);
    printerList_->setObjectName("printerList");
    printerList_->setGeometry(0, 1, 250, 20);
    printerList_->addItem(kSelectPrinter);
    std::string error;
    for (const PrinterInfo& printer : listPrinters(error)) {
        printerList_->addItem(QString::fromStdString(printer.name));
    }
    printerList_->setCurrentIndex(0);
    printerList_->setFont(controlFont());
    connect(printerList_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MainWindow::onPrinterChanged);

    sampleList_ = new QComboBox(controlBar_);
    sampleList_->setObjectName("sampleList");
    sampleList_->setGeometry(300, 1, 120, 23);
    sampleList_->setFont(controlFont());
    for (const char* entry : kSampleEntries) sampleList_->addItem(entry);
    sampleList_->setCurrentIndex(0);
    connect(sampleList_, qOverload<int>(&QComboBox::activated), this,
            &MainWindow::onSampleActivated);

    printButton_ = new QPushButton(kPrintButton, controlBar_);
    printButton_->setObjectName("printButton");
    printButton_->setGeometry(480, 0, 100, 24);
    printButton_->setEnabled(false);
    printButton_->setFont(controlFont());
    connect(printButton_, &QPushButton::clicked, this, &MainWindow::onPrint);

    loadSamples();
}

void MainWindow::loadSamples() {
    for (std::size_t i = 0; i < sampleTexts_.size(); ++i) {
        QFile file(kSampleResources[i]);
        if (!file.open(QIODevice::ReadOnly)) {
            showMessage(kSampleNotLoaded, QString());
            continue;
        }
        const QByteArray bytes = file.readAll();
        if (bytes.isEmpty()) {
            showMessage(kSampleSizeZero, QString());
            continue;
        }
        sampleTexts_[i] = std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
}

void MainWindow::onPrinterChanged(int index) {
    selectedPrinter_ = index;
    printButton_->setEnabled(index > 0);
}

void MainWindow::chooseSample(int index) {
    sampleList_->setCurrentIndex(index);
    onSampleActivated(index);
}

void MainWindow::onSampleActivated(int index) {
    selectedSample_ = index;
    if (index < 1 || index > static_cast<int>(sampleTexts_.size())) return;
    const std::optional<std::string>& text = sampleTexts_[static_cast<std::size_t>(index - 1)];
    // A sample that does not render (or could not be read) leaves the pane white.
    replaceBitmap(text ? renderLayoutPreview(options_.imageDirectory, *text, options_.mode)
                       : std::nullopt);
    shownSample_ = index;
    if (!openedFile_.isEmpty()) watcher_->removePath(openedFile_);
    openedFile_.clear();
}

void MainWindow::onPrint() {
    const std::string printer = printerList_->itemText(selectedPrinter_).toStdString();
    const PreviewMessage outcome = printPreview(bitmap(), printer);
    showMessage(QString::fromStdString(messageBoxText(outcome)), QString::fromStdString(outcome.caption));
}

void MainWindow::onOpenCommand() {
    const QString filters =
        QString("%1 (%2);;%3 (%4)")
            .arg(kHtmlFilterName, kHtmlFilterPattern, kTextFilterName, kTextFilterPattern);
    const QString path =
        QFileDialog::getOpenFileName(this, kOpenDialogTitle, QDir::homePath(), filters);
    if (!path.isEmpty()) openLayoutFile(path);
}

void MainWindow::openLayoutFile(const QString& path) {
    if (!openedFile_.isEmpty()) watcher_->removePath(openedFile_);
    openedFile_ = path;
    shownSample_ = 0;
    watcher_->addPath(path);
    replaceBitmap(std::nullopt);
    renderOpenedFile();
    // The sample list no longer names what is shown.
    sampleList_->setCurrentIndex(0);
    selectedSample_ = 0;
}

void MainWindow::renderOpenedFile() {
    replaceBitmap(openLayoutPreview(QFile::encodeName(openedFile_).toStdString(),
                                    options_.imageDirectory, options_.mode));
}

void MainWindow::onFileChanged(const QString& path) {
    if (path != openedFile_) return;
    renderOpenedFile();
    // An editor that saves by replacing the file ends the watch on the old one.
    if (!watcher_->files().contains(path) && QFile::exists(path)) watcher_->addPath(path);
}

void MainWindow::setMode(PreviewMode mode) {
    if (options_.mode == mode) return;
    options_.mode = mode;
    exactAction_->setChecked(mode == PreviewMode::kStarJob);
    if (!openedFile_.isEmpty()) {
        renderOpenedFile();
    } else if (shownSample_ != 0) {
        const int sample = shownSample_;
        const int selected = selectedSample_;
        onSampleActivated(sample);
        selectedSample_ = selected;
    }
}

void MainWindow::replaceBitmap(std::optional<PreviewBitmap> bitmap) {
    bitmap_ = std::move(bitmap);
    pane_->setBitmap(this->bitmap());
}

}  // namespace kestrane::previewer
