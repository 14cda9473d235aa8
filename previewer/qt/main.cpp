// ReceiptPreviewer: the window layout designers keep open while they edit a receipt.
//
//   ReceiptPreviewer [--exact] [--base DIR] [--sample NAME] [--screenshot FILE.png] [LAYOUT]
#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "previewer/previewer_options.h"
#include "previewer/previewer_texts.h"
#include "previewer/qt/main_window.h"

using namespace kestrane::previewer;

namespace {

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
    // Qt takes its own options (-platform, -display, ...) out of the command line first.
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProgramName);
    QApplication::setApplicationVersion(KESTRANE_VERSION);

    // File names in the form the system's file calls take.
    std::vector<std::string> arguments;
    for (const QString& argument : QCoreApplication::arguments().mid(1))
        arguments.push_back(QFile::encodeName(argument).toStdString());
    PreviewerOptions options;
    std::string error;
    switch (parsePreviewerArguments(
        arguments, QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(), true,
        options, error)) {
        case CommandLine::kRun:
            break;
        case CommandLine::kHelp:
            std::fputs(previewerUsage(true).c_str(), stdout);
            return 0;
        case CommandLine::kVersion:
            std::printf("%s\n", previewerVersion().c_str());
            return 0;
        case CommandLine::kRefused:
            std::fprintf(stderr, "%s: %s\n%s", kProgramName, error.c_str(),
                         previewerUsage(true).c_str());
            return 2;
    }

    MainWindow window(options);
    window.show();

    if (!options.screenshot.empty()) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(options.screenshot));
        // Once the window is mapped and painted.
        QTimer::singleShot(500, &window, [&window, path] {
            const bool saved = saveScreenshot(window, path);
            if (!saved)
                std::fprintf(stderr, "%s: could not write %s\n", kProgramName, qPrintable(path));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
