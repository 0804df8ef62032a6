// The desktop program: creates every window in its fixed order and runs the event loop until the
// main window closes.
#include "ui/programWindows.h"
#include "ui/toolkit/qtOperatorDialogs.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv) {
    // A file-size limit makes a write fail, which the program reports; it must not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane v3"));
    corvane::QtOperatorDialogs dialogs;
    corvane::ProgramWindows windows(dialogs, QCoreApplication::applicationDirPath());
    dialogs.setParent(&windows.Form1);
    windows.Form1.show();
    return QApplication::exec();
}
