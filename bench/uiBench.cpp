// The desktop program with 100,000 contacts: start to a shown main window, filling the names list,
// one name-search keystroke; the contacts window's cost of a click, an update, a new contact and a
// delete; and the results window's cost per appended line, at the start and at the end of 20,000
// lines. Run: QT_QPA_PLATFORM=offscreen build/bin/uiBench [contacts]
#include "benchSupport.h"
#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/contactsStore.h"
#include "desktopBenchSupport.h"
#include "engine/pagingEngine.h"
#include "scriptedSnppServer.h"
#include "ui/programWindows.h"
#include "ui/toolkit/checkListBox.h"
#include "ui/toolkit/namedChild.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cstdio>

using namespace corvane;

namespace {

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
    bench::writeNamesFile(count);
    bench::QuietDialogs dialogs;
    {
        // Import once, so the measured start finds a full table.
        TDataModule2 seed(work.path());
        contactsCursor cursor(seed);
        cursor.Open();
        importNamesFile(cursor, seed, dialogs);
    }

    QElapsedTimer timer;
    timer.start();
    bench::QuietModal modal;
    ProgramWindows windows(dialogs, modal, work.path(), nullptr,
                           work.filePath(QStringLiteral("no-system-services.ini")));
    windows.Form1.show();
    QCoreApplication::processEvents();
    const double startUp = ms(timer);
    TForm1& form = windows.Form1;

    timer.restart();
    form.fillNamesListBox();
    const double fill = ms(timer);

    timer.restart();
    namedChild<QLineEdit>(form, QStringLiteral("typeNameedit"))->setText(QStringLiteral("Contact 5"));
    form.typeNameeditChange();
    const double firstKey = ms(timer);
    timer.restart();
    namedChild<QLineEdit>(form, QStringLiteral("typeNameedit"))->setText(QStringLiteral("Contact 50"));
    form.typeNameeditChange();
    const double nextKey = ms(timer);

    // The contacts window: each change the operator makes, timed from the click to the window showing
    // the result.
    TcontactsGridForm& contacts = windows.contactsGridForm;
    auto* const contactsGrid = namedChild<QTableView>(contacts, QStringLiteral("DBGrid1"));
    auto* const nameEdit = namedChild<QLineEdit>(contacts, QStringLiteral("nameEdit"));
    auto* const idEdit = namedChild<QLineEdit>(contacts, QStringLiteral("idEdit"));
    timer.restart();
    contacts.FormShow();
    contacts.show();
    const double contactsOpen = ms(timer);
    const int rows = contactsGrid->model()->rowCount();
    timer.restart();
    contacts.selectRow(rows / 2);
    const double contactsClick = ms(timer);
    nameEdit->setText(QStringLiteral("Aardvark, renamed"));
    emit nameEdit->textEdited(nameEdit->text());
    timer.restart();
    contacts.UpdatebuttonClick();
    const double contactsUpdate = ms(timer);
    timer.restart();
    contacts.InsertbuttonClick();
    nameEdit->setText(QStringLiteral("Zebra, new"));
    emit nameEdit->textEdited(nameEdit->text());
    idEdit->setText(QStringLiteral("5559999"));
    emit idEdit->textEdited(idEdit->text());
    contacts.UpdatebuttonClick();
    const double contactsInsert = ms(timer);
    timer.restart();
    contacts.deleteButtonClick();
    const double contactsDelete = ms(timer);
    const bool contactsConsistent =
        contactsGrid->model()->rowCount() == rows &&
        contactsGrid->model()->index(0, 0).data().toString() == QStringLiteral("Aardvark, renamed");
    contacts.hide();
    contacts.contactsTable()->Close();

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
        results.flushLines(); // the cost of adding one line to the window, without the batching
        if (i % block == block - 1) {
            (i < block ? firstBlock : lastBlock) = ms(timer);
        }
    }
    // A real group send of 10,000 recipients to a scripted SNPP server on 127.0.0.1; the time
    // between results lines at the end of the job against the start shows whether appending grows.
    constexpr int groupSize = 10000;
    {
        contactsCursor members(windows.DataModule2);
        members.Open();
        members.setIndexName(QStringLiteral("nameindex"));
        int marked = 0;
        for (members.First(); !members.Eof() && marked < groupSize; members.Next(), ++marked) {
            members.Edit();
            members.FieldByName(QStringLiteral("memberGr1")).setAsBoolean(true);
            members.Post();
        }
    }
    test::ScriptedSnppServer server;
    bench::prepareGroupSend(windows, server.port(), 1, QStringLiteral("Fire drill at 10:00"));
    std::vector<qint64> lineTimes;
    QElapsedTimer sendTimer;
    QObject::connect(namedChild<QPlainTextEdit>(results, QStringLiteral("sendingMemo"))->document(),
                     &QTextDocument::blockCountChanged, &form, [&] { lineTimes.push_back(sendTimer.nsecsElapsed()); });
    const QLabel* status = namedChild<QLabel>(form, QStringLiteral("messageStatusLabel"));
    sendTimer.start();
    form.sendButtonClick(true);
    while (status->text() != QStringLiteral("DONE") && sendTimer.elapsed() < 600000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    const double sendSeconds = static_cast<double>(sendTimer.nsecsElapsed()) / 1e9;
    const auto span = [&](std::size_t from, std::size_t to) {
        return static_cast<double>(lineTimes[to] - lineTimes[from]) / 1e3 / static_cast<double>(to - from);
    };
    const std::size_t n = lineTimes.size();

    std::printf("%d contacts in the names list\n",
                namedChild<CheckListBox>(form, QStringLiteral("namesListbox"))->count());
    std::printf("start to shown main window      %9.1f ms\n", startUp);
    std::printf("fill the names list             %9.1f ms\n", fill);
    std::printf("name search, first keystroke    %9.3f ms\n", firstKey);
    std::printf("name search, next keystroke     %9.3f ms\n", nextKey);
    std::printf("contacts window, open           %9.1f ms\n", contactsOpen);
    std::printf("contacts window, click a row    %9.3f ms\n", contactsClick);
    std::printf("contacts window, update (rename)%9.3f ms\n", contactsUpdate);
    std::printf("contacts window, new + update   %9.3f ms\n", contactsInsert);
    std::printf("contacts window, delete         %9.3f ms   (grid consistent: %s)\n", contactsDelete,
                contactsConsistent ? "yes" : "NO");
    std::printf("results lines 1-2000            %9.3f us/line\n", firstBlock * 1000 / block);
    std::printf("results lines 18001-20000       %9.3f us/line   (end/start ratio %.2f)\n", lastBlock * 1000 / block,
                lastBlock / firstBlock);
    std::printf("group send of %d: %s in %.1f s, %lld results lines in %zu redraws\n", groupSize,
                qPrintable(results.lines().constLast()), sendSeconds, static_cast<long long>(results.lines().size()),
                n);
    if (n > 4000) {
        std::printf("results lines during the send: first 2000 %.1f us/line, last 2000 %.1f us/line (ratio %.2f)\n",
                    span(1, 2001), span(n - 2001, n - 1), span(n - 2001, n - 1) / span(1, 2001));
    }
    return 0;
}
