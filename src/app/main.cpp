// The desktop program: creates every window in its fixed order and runs the event loop until the
// main window closes.
#include "engine/servicesFile.h"
#include "ui/Unit1.h"
#include "ui/programWindows.h"
#include "ui/toolkit/qtOperatorDialogs.h"

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

int main(int argc, char** argv) {
    // A file-size limit makes a write fail, which the program reports; it must not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
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
    windows->Form1.show();
    return QApplication::exec();
}
