// The desktop program with 100,000 contacts: start to a shown main window, filling the names list,
// one name-search keystroke; and the results window's cost per appended line, at the start and at
// the end of 20,000 lines. Run: QT_QPA_PLATFORM=offscreen build/bin/uiBench [contacts]
#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/contactsStore.h"
#include "platform/operatorDialogs.h"
#include "ui/programWindows.h"
#include "ui/toolkit/checkListBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

using namespace corvane;

namespace {

struct QuietDialogs final : OperatorDialogs {
    void showMessage(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return true; }
    void beep() override {}
    int showModal(QWidget&) override { return 0; }
};

double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    createEmptyContactsTable(work.filePath(QStringLiteral("contacts.nx1")));
    QByteArray names;
    for (int i = 0; i < count; ++i) {
        names += "Contact " + QByteArray::number(i * 7919 % 100003) + " " + QByteArray::number(i) + "," +
                 QByteArray::number(5550000 + i) + "\r\n";
    }
    QFile file(QStringLiteral("names.txt"));
    file.open(QIODevice::WriteOnly);
    file.write(names);
    file.close();
    QuietDialogs dialogs;
    {
        // Import once, so the measured start finds a full table.
        TDataModule2 seed(work.path());
        contactsCursor cursor(seed);
        cursor.Open();
        importNamesFile(cursor, seed, dialogs);
    }

    QElapsedTimer timer;
    timer.start();
    ProgramWindows windows(dialogs, work.path());
    windows.Form1.show();
    QCoreApplication::processEvents();
    const double startUp = ms(timer);
    TForm1& form = windows.Form1;

    timer.restart();
    form.fillNamesListBox();
    const double fill = ms(timer);

    timer.restart();
    form.typeNameedit->setText(QStringLiteral("Contact 5"));
    form.typeNameeditChange();
    const double firstKey = ms(timer);
    timer.restart();
    form.typeNameedit->setText(QStringLiteral("Contact 50"));
    form.typeNameeditChange();
    const double nextKey = ms(timer);

    TsendingMemoForm& results = windows.sendingMemoForm;
    results.show();
    results.clearLines();
    constexpr int lines = 20000;
    constexpr int block = 2000;
    double firstBlock = 0;
    double lastBlock = 0;
    for (int i = 0; i < lines; ++i) {
        if (i % block == 0) {
            timer.restart();
        }
        results.appendLine(i % 2 == 0 ? QStringLiteral("Sending to: Contact %1 ...").arg(i / 2)
                                      : QStringLiteral("MESSAGE SENT OK"));
        if (i % block == block - 1) {
            (i < block ? firstBlock : lastBlock) = ms(timer);
        }
    }
    std::printf("%d contacts in the names list\n", form.namesListbox->count());
    std::printf("start to shown main window      %9.1f ms\n", startUp);
    std::printf("fill the names list             %9.1f ms\n", fill);
    std::printf("name search, first keystroke    %9.3f ms\n", firstKey);
    std::printf("name search, next keystroke     %9.3f ms\n", nextKey);
    std::printf("results lines 1-2000            %9.3f us/line\n", firstBlock * 1000 / block);
    std::printf("results lines 18001-20000       %9.3f us/line   (end/start ratio %.2f)\n", lastBlock * 1000 / block,
                lastBlock / firstBlock);
    return 0;
}
