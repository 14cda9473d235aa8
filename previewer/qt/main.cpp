// ReceiptPreviewer: the window layout designers keep open while they edit a receipt.
//
//   ReceiptPreviewer [--exact] [--base DIR] [--sample NAME] [--screenshot FILE.png] [LAYOUT]
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "previewer/previewer_texts.h"
#include "previewer/qt/main_window.h"

using kestrane::previewer::MainWindow;
using kestrane::previewer::PreviewerOptions;
using kestrane::previewer::PreviewMode;

namespace {

// The sample list entry named `name` (case ignored), or -1.
int sampleIndex(const QString& name) {
    const int count = static_cast<int>(std::size(kestrane::previewer::kSampleEntries));
    for (int i = 1; i < count; ++i) {
        if (name.compare(kestrane::previewer::kSampleEntries[i], Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Writes what the window shows on screen to `path` and says whether it could.
bool saveScreenshot(MainWindow& window, const QString& path) {
    QPixmap shot;
    if (QScreen* screen = window.screen()) shot = screen->grabWindow(window.winId());
    // A platform without a screen to read back (offscreen) draws the widgets instead.
    if (shot.isNull()) shot = window.grab();
    return !shot.isNull() && shot.save(path, "PNG");
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("ReceiptPreviewer");
    QApplication::setApplicationVersion(KESTRANE_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription("Shows how a receipt layout renders, and prints it.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption exact("exact",
                                   "Preview with the STAR print job's engine: its table "
                                   "sections, column widths and QR sizes.");
    const QCommandLineOption base("base",
                                  "Look up the layouts' images below DIR (by default two "
                                  "levels above the program's folder).",
                                  "DIR");
    const QCommandLineOption sample("sample",
                                    "Show the built-in sample NAME (Kestrane, Vexo, "
                                    "Invoice).",
                                    "NAME");
    const QCommandLineOption screenshot("screenshot",
                                        "Write the window as it shows on screen to "
                                        "FILE (PNG) and quit.",
                                        "FILE");
    parser.addOptions({exact, base, sample, screenshot});
    parser.addPositionalArgument("layout", "A layout file to show and follow.", "[LAYOUT]");
    parser.process(app);

    PreviewerOptions options;
    options.mode = parser.isSet(exact) ? PreviewMode::kStarJob : PreviewMode::kPreviewer;
    options.imageDirectory =
        parser.isSet(base)
            ? QFile::encodeName(parser.value(base)).toStdString()
            : kestrane::previewer::previewImageDirectory(
                  QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString());

    int chosenSample = 0;
    if (parser.isSet(sample) && (chosenSample = sampleIndex(parser.value(sample))) < 0) {
        std::fprintf(stderr, "ReceiptPreviewer: no sample named %s (Kestrane, Vexo, Invoice)\n",
                     qPrintable(parser.value(sample)));
        return 2;
    }
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "ReceiptPreviewer: one layout file at most\n");
        return 2;
    }

    MainWindow window(options);
    if (!parser.positionalArguments().isEmpty())
        window.openLayoutFile(parser.positionalArguments().first());
    if (chosenSample > 0) window.chooseSample(chosenSample);
    window.show();

    if (parser.isSet(screenshot)) {
        const QString path = parser.value(screenshot);
        // Once the window is mapped and painted.
        QTimer::singleShot(500, &window, [&window, path] {
            const bool saved = saveScreenshot(window, path);
            if (!saved)
                std::fprintf(stderr, "ReceiptPreviewer: could not write %s\n", qPrintable(path));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
