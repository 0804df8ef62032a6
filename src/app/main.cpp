// The desktop program: creates every window in its fixed order and runs the event loop until the
// main window closes.
#include "app/cli/startUp.h"
#include "engine/pagingEngine.h"
#include "engine/servicesFile.h"
#include "ui/Unit1.h"
#include "ui/programWindows.h"
#include "ui/toolkit/qtOperatorDialogs.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <optional>

int main(int argc, char** argv) {
    // Closed standard descriptors are opened on /dev/null; a file-size limit makes a write fail,
    // which the program reports, rather than end the program.
    corvane::cli::prepareProcess();
    // The program takes no options; these two answer without opening a window.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("Usage: corvane\n\nCorvane, the desktop paging client. It takes no options: the settings file\n"
                    "corvane3.ini and the logs/ folder are in the directory it starts from, the contacts\n"
                    "table contacts.nx1 next to the program. See corvane-page(1) for paging from scripts.\n");
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("corvane %s\n", CORVANE_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf16(corvane::programTitle));
    corvane::QtOperatorDialogs dialogs;
    std::optional<corvane::ProgramWindows> windows;
    try {
        windows.emplace(dialogs, dialogs, QCoreApplication::applicationDirPath());
    } catch (const corvane::ServicesFileError& e) {
        // Never half a table: nothing is shown and nothing is paged with a faulty services file.
        std::fprintf(stderr, "corvane: %s\n", e.text().toLocal8Bit().constData());
        dialogs.showMessage(e.text());
        return 2;
    }
    dialogs.setParent(&windows->Form1);
    // Logging out of the desktop (SIGTERM), like Ctrl-C where it was started: a running job ends as
    // corvane-page's does, everyone left named in the results and the log, and then the program.
    const corvane::cli::StopSignals stop(
        [&] {
            windows->Form1.engine().cancelJob(QStringLiteral("ERROR: Send cancelled, the program was stopped."));
            QApplication::quit();
        },
        1);
    windows->Form1.show();
    return QApplication::exec();
}
