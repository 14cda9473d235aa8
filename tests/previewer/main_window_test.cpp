// The Qt window on the offscreen platform: its widget tree, the sample list, "&Open" with a file
// given by the test, following the file as editors save it, the exact preview and the command
// line's options, the printer list's error, and PRINT through the virtual printer's scheduler on
// its worker thread.
#include "previewer/qt/main_window.h"

#include <QComboBox>
#include <QFrame>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/spooler.h"
#include "previewer/previewer_texts.h"
#include "previewer/qt/preview_pane.h"
#include "tests/support/temp_dir.h"
#include "tests/support/virtual_printer.h"

namespace kestrane::previewer {

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::VirtualPrinter> printer_;
    std::unique_ptr<MainWindow> window_;
    QStringList messages_;  // "CAPTION: TEXT" of each message box

    static QStringList entries(const QComboBox* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
        return texts;
    }

  private slots:
    void initTestCase() {
        printer_ = std::make_unique<testing::VirtualPrinter>();
        QCOMPARE(QString::fromStdString(printer_->problem()), QString());
        qputenv("CUPS_SERVER", QByteArray::fromStdString(printer_->socket()));
    }

    void init() {
        PreviewerOptions options;
        options.imageDirectory = std::string(KESTRANE_SAMPLES) + "/base";
        window_ = std::make_unique<MainWindow>(options);
        messages_.clear();
        window_->showMessage = [this](const QString& text, const QString& caption) {
            messages_ << caption + ": " + text;
        };
        window_->show();
    }

    void cleanup() { window_.reset(); }
    void cleanupTestCase() { printer_.reset(); }

    void widgetTree() {
        MainWindow& w = *window_;
        QCOMPARE(w.windowTitle(), QString(kWindowTitle));
        QCOMPARE(w.size(), QSize(600, 500));
        QCOMPARE(w.minimumSize(), w.maximumSize());  // cannot be resized
        QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.menuBar()->actions().first()->text(), QString(kOpenCommand));

        const std::pair<QWidget*, QRect> places[] = {
            {w.pane(), {0, 0, 584, 415}},          {w.controlBar(), {0, 415, 600, 30}},
            {w.printerList(), {0, 1, 250, 20}},    {w.sampleList(), {300, 1, 120, 23}},
            {w.printButton(), {480, 0, 100, 24}},
        };
        for (const auto& [widget, place] : places) QCOMPARE(widget->geometry(), place);
        QCOMPARE(w.controlBar()->palette().color(QPalette::Window), QColor(0, 200, 0));
        QCOMPARE(w.printButton()->text(), QString(kPrintButton));
        QCOMPARE(w.printButton()->font().family(), QString("Arial"));
        QCOMPARE(w.printButton()->font().pixelSize(), 14);

        QStringList printers = {kSelectPrinter};
        std::string error;
        for (const PrinterInfo& p : listPrinters(error)) printers << QString::fromStdString(p.name);
        QVERIFY(printers.contains("receipt80") && printers.contains("receipt58") &&
                printers.contains("RAW"));
        QCOMPARE(entries(w.printerList()), printers);
        QCOMPARE(entries(w.sampleList()),
                 QStringList({"Select Preview", "Kestrane", "Vexo", "Invoice"}));

        // The start picture, with no scroll bar: it fits the pane.
        QVERIFY(w.bitmap() && w.bitmap()->kind == PreviewKind::kStartPicture);
        QCOMPARE(w.pane()->image().size(), QSize(567, 412));
        QVERIFY(!w.pane()->scrollBar()->isVisible());
        QVERIFY(messages_.isEmpty());
    }

    void printIsEnabledExactlyWhileAPrinterIsChosen() {
        QPushButton* print = window_->printButton();
        QVERIFY(!print->isEnabled());
        for (int index : {2, 0, 1}) {
            window_->printerList()->setCurrentIndex(index);
            QCOMPARE(print->isEnabled(), index != 0);
        }
    }

    void choosingASampleShowsIt() {
        MainWindow& w = *window_;
        w.chooseSample(3);
        QVERIFY(w.bitmap() && w.bitmap()->kind == PreviewKind::kReceipt);
        QCOMPARE(w.pane()->image().width(), 570);
        QVERIFY(w.pane()->scrollBar()->isVisible());
        const int invoiceHeight = w.bitmap()->height();
        QCOMPARE(w.pane()->scrollBar()->maximum(), invoiceHeight - 415);
        // Scrolled down, then a shorter sample: the position is clamped to its maximum.
        w.pane()->scroll(ScrollRequest::kThumbPosition, invoiceHeight);
        w.chooseSample(1);
        QCOMPARE(w.pane()->scrollState().position, w.bitmap()->height() - 415);
        QCOMPARE(w.pane()->scrollBar()->value(), w.pane()->scrollState().position);
        // "Select Preview" keeps what is shown.
        const PreviewBitmap* shown = w.bitmap();
        w.chooseSample(0);
        QCOMPARE(w.bitmap(), shown);
        // The exact preview draws the shown sample again with the STAR job's engine, and back.
        const int previewHeight = w.bitmap()->height();
        w.setMode(PreviewMode::kStarJob);
        QVERIFY(w.bitmap() && w.bitmap()->height() != previewHeight);
        w.setMode(PreviewMode::kPreviewer);
        QCOMPARE(w.bitmap()->height(), previewHeight);
    }

    void scrollBarStepsFollowTheScrollRules() {
        MainWindow& w = *window_;
        w.chooseSample(3);
        QScrollBar* bar = w.pane()->scrollBar();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(w.pane()->scrollState().position, 50);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(w.pane()->scrollState().position, 55);
        QCOMPARE(bar->value(), 55);
        // Dragging the box moves the view only on release.
        bar->setSliderDown(true);
        bar->setSliderPosition(300);
        QCOMPARE(w.pane()->scrollState().position, 55);
        bar->setSliderDown(false);
        QCOMPARE(w.pane()->scrollState().position, 300);
    }

    void openShowsTheFileThenTheSampleListIsReset() {
        MainWindow& w = *window_;
        testing::TempDir dir;
        const std::string path = dir.file("layout.html");
        std::ofstream(path) << "<table><tr><td>Total</td><td>4.20</td></tr></table>";
        w.chooseSample(2);
        QCOMPARE(w.sampleList()->currentIndex(), 2);
        w.openLayoutFile(QString::fromStdString(path));
        QVERIFY(w.bitmap() && w.bitmap()->kind == PreviewKind::kReceipt);
        const int oneRowHeight = w.bitmap()->height();
        QCOMPARE(w.sampleList()->currentIndex(), 0);

        // The window follows the file: a second row makes the preview taller.
        std::ofstream(path) << "<table><tr><td>Total</td><td>4.20</td></tr>"
                               "<tr><td>Paid</td><td>5.00</td></tr></table>";
        QTRY_VERIFY_WITH_TIMEOUT(w.bitmap()->height() > oneRowHeight, 5000);

        // An empty file: the placeholder.
        std::ofstream(dir.file("empty.html"));
        w.openLayoutFile(QString::fromStdString(dir.file("empty.html")));
        QVERIFY(w.bitmap()->kind == PreviewKind::kPlaceholder);
        QCOMPARE(w.pane()->image().size(), QSize(600, 400));
    }

    void printSendsTheShownBitmapOrSaysWhyNot() {
        MainWindow& w = *window_;
        const int receipt80 = w.printerList()->findText("receipt80");
        QVERIFY(receipt80 > 0);
        w.printerList()->setCurrentIndex(receipt80);
        QTest::mouseClick(w.printButton(), Qt::LeftButton);  // the start picture
        // PRINT runs on its worker: the window goes on, busy, and takes no second PRINT.
        QVERIFY(w.session().printing());
        QVERIFY(!w.printButton()->isEnabled());
        QCOMPARE(w.cursor().shape(), Qt::BusyCursor);
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        w.chooseSample(1);
        QVERIFY(messages_.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(messages_, QStringList({QString(kSuccessCaption) + ": " + kPrintedToSpooler}),
                                  30000);
        QVERIFY(w.printButton()->isEnabled());
        QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(printer_->takeJobs("receipt80", 1).size(), std::size_t{1});

        // Whatever is shown prints: here the placeholder of a file that cannot be read.
        messages_.clear();
        w.openLayoutFile("/nonexistent/layout.html");
        QVERIFY(w.bitmap()->kind == PreviewKind::kPlaceholder);
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(messages_, QStringList({QString(kSuccessCaption) + ": " + kPrintedToSpooler}),
                                  30000);
        QCOMPARE(printer_->takeJobs("receipt80", 1).size(), std::size_t{1});

        // A failure shows the spooler's words below the text.
        messages_.clear();
        w.printerList()->setCurrentIndex(w.printerList()->findText("RAW"));
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(messages_.size(), 1, 30000);
        QCOMPARE(messages_.first(), QString(kErrorCaption) +
                                        ": Error - You do not have the drivers installed for this "
                                        "Printer!\n\nprinter 'RAW' has no driver that gives a page size");
    }

    void followsTheFileThroughTheWaysEditorsSave() {
        MainWindow& w = *window_;
        testing::TempDir dir;
        const std::string path = dir.file("receipt.html");
        const auto rows = [](int count) {
            std::string layout = "<table>";
            for (int i = 0; i < count; ++i) layout += "<tr><td>Row</td><td>" + std::to_string(i) + "</td></tr>";
            return layout + "</table>";
        };
        testing::writeBytes(path, rows(30));
        w.openLayoutFile(QString::fromStdString(path));
        w.pane()->scroll(ScrollRequest::kThumbPosition, 100);
        int height = w.bitmap()->height();

        // Deleted, then written again; renamed away, then written: each time taller, the view
        // where it was.
        std::filesystem::remove(path);
        QTest::qWait(300);
        testing::writeBytes(path, rows(35));
        QTRY_VERIFY_WITH_TIMEOUT(w.bitmap()->height() > height, 5000);
        height = w.bitmap()->height();
        QCOMPARE(w.pane()->scrollState().position, 100);
        QCOMPARE(w.pane()->scrollBar()->value(), 100);

        std::filesystem::rename(path, path + "~");
        QTest::qWait(300);
        testing::writeBytes(path, rows(40));
        QTRY_VERIFY_WITH_TIMEOUT(w.bitmap()->height() > height, 5000);
        QCOMPARE(w.pane()->scrollState().position, 100);
        QCOMPARE(w.pane()->image().height(), w.bitmap()->height());
    }

    void theExactPreviewAndTheCommandLine() {
        testing::TempDir dir;
        std::string tables;
        for (int i = 0; i < 12; ++i) tables += "<table><tr><td>Row</td><td>1.00</td></tr></table>";
        testing::writeBytes(dir.file("tables.html"), tables);
        PreviewerOptions options;
        options.imageDirectory = std::string(KESTRANE_SAMPLES) + "/base";
        options.mode = PreviewMode::kStarJob;
        options.layoutFile = dir.file("tables.html");
        MainWindow w(options);
        QVERIFY(w.exactAction()->isChecked());
        QCOMPARE(w.session().followedFile(), options.layoutFile);
        // Every table one below the other: taller than the pane.
        const int exactHeight = w.bitmap()->height();
        QVERIFY(exactHeight > 415);
        w.exactAction()->trigger();
        QCOMPARE(w.session().mode(), PreviewMode::kPreviewer);
        QCOMPARE(w.bitmap()->height() * 12, exactHeight);

        // A file too large to be a layout: the placeholder names the cap.
        testing::writeBytes(dir.file("large.html"), std::string(5 << 20, ' '));
        w.openLayoutFile(QString::fromStdString(dir.file("large.html")));
        QVERIFY(w.bitmap()->kind == PreviewKind::kPlaceholder);
        QVERIFY2(w.session().reason().find("4 MiB") != std::string::npos, w.session().reason().c_str());
        QCOMPARE(w.pane()->image(), toQImage(placeholderBitmap(w.session().reason())));
    }

    void printersThatCannotBeListedAreAMessage() {
        SessionServices services = systemServices();
        services.listPrinters = [](std::string& error) {
            error = "the CUPS scheduler at /run/none does not answer";
            return std::vector<PrinterInfo>();
        };
        PreviewerOptions options;
        MainWindow w(options, services);
        QStringList shown;
        w.showMessage = [&shown](const QString& text, const QString& caption) { shown << caption + ": " + text; };
        QCOMPARE(entries(w.printerList()), QStringList({kSelectPrinter}));
        QTRY_COMPARE(shown, QStringList({QString(kErrorCaption) + ": " + kPrintersNotListed +
                                         "\n\nthe CUPS scheduler at /run/none does not answer"}));
    }
};

}  // namespace kestrane::previewer

QTEST_MAIN(kestrane::previewer::MainWindowTest)
#include "main_window_test.moc"
