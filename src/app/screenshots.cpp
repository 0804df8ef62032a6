// Renders every window of the desktop program to PNG files, on any platform Qt offers (offscreen
// included), so the windows can be looked at without a display.
// Usage: corvane-screenshots OUTPUT_DIRECTORY
#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "platform/operatorDialogs.h"
#include "ui/programWindows.h"
#include "ui/toolkit/checkListBox.h"
#include "ui/toolkit/modalRunner.h"
#include "ui/toolkit/namedChild.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

using namespace corvane;
using namespace Qt::Literals::StringLiterals;

namespace {

// Shows windows without waiting for anyone to close them.
class NonBlockingDialogs final : public OperatorDialogs, public ModalRunner {
public:
    void showMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    bool confirm(const QString&, const QString&) override { return false; }
    void beep() override {}
    int showModal(QWidget& window) override {
        window.show();
        return 0;
    }
};

bool save(QWidget& window, const QString& directory, const QString& name) {
    QCoreApplication::processEvents();
    const QString path = directory + u'/' + name + u".png"_s;
    const bool ok = window.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

void addContact(contactsCursor& cursor, const QString& name, const QString& id, int service, int group) {
    cursor.Insert();
    cursor.FieldByName(u"name"_s).setAsString(name);
    cursor.FieldByName(u"id"_s).setAsString(id);
    cursor.FieldByName(u"serviceNumber"_s).setAsInteger(service);
    if (group > 0) {
        cursor.FieldByName(u"memberGr"_s + QString::number(group)).setAsBoolean(true);
    }
    cursor.Post();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-screenshots OUTPUT_DIRECTORY\n");
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(output);

    // A demonstration installation in a directory of its own.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    createEmptyContactsTable(work.filePath(u"contacts.nx1"_s));
    QFile ini(work.filePath(u"corvane3.ini"_s));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Groups]\r\ngroup1Name=Night shift\r\ngroup3Name=Engineering\r\ngroup10Name=Everyone\r\n");
    ini.close();

    NonBlockingDialogs dialogs;
    ProgramWindows windows(dialogs, dialogs, work.path(), nullptr, work.filePath(u"no-system-services.ini"_s));
    {
        contactsCursor seed(windows.DataModule2);
        seed.Open();
        // More names than the list shows, so that its scroll bar is in the picture.
        const char* names[] = {"Adams, Ann", "Baker, Bob",  "Clark, Cy",  "Diaz, Dee", "Evans, Eve",
                               "Fox, Finn",  "Grant, Gil",  "Hill, Hana", "Ito, Ike",  "Jones, Jo",
                               "King, Kai",  "Lee, Lou",    "Moss, Mia",  "Nash, Ned", "Owen, Ola",
                               "Park, Pat",  "Quinn, Quin", "Reed, Rae",  "Shaw, Sam", "Tate, Tom"};
        int i = 0;
        for (const char* name : names) {
            addContact(seed, QString::fromLatin1(name), QString::number(5550100 + i), 1 + i % 2, 1 + i % 3);
            ++i;
        }
    }
    TForm1& form = windows.Form1;
    form.show();
    QCoreApplication::processEvents();
    CheckListBox* names = namedChild<CheckListBox>(form, u"namesListbox"_s);
    namedChild<QPlainTextEdit>(form, u"messageMemo"_s)
        ->setPlainText(u"Server room temperature is high, please check"_s);
    namedChild<QLineEdit>(form, u"typeNameedit"_s)->setText(u"cl"_s);
    form.typeNameeditChange();
    form.typeNameeditKeyDown(Qt::Key_Return);
    form.setBanner(u"Gateway maintenance tonight at 22:00"_s);
    form.setPhaseWord(u"SUCCESS"_s);
    bool ok = save(form, output, u"main-single-contact"_s);

    names->setState(0, Qt::Checked);
    names->setState(3, Qt::Checked);
    ok &= save(form, output, u"main-checked-names"_s);
    form.uncheckAllButtonClick();
    namedChild<QListWidget>(form, u"groupsListBox"_s)->setCurrentRow(1);
    form.groupsListBoxClick();
    form.setStatusText(u"Error: Problem with contact and/or service"_s);
    ok &= save(form, output, u"main-group"_s);

    windows.sendingMemoForm.clearLines();
    for (const QString& line :
         {u"CONNECTING TO SERVICE: CORVANE ..."_s, u"Sending to: Adams, Ann ..."_s, u"MESSAGE SENT OK"_s,
          u"Sending to: Fox, Finn ..."_s, u"NOT SENT: Fox, Finn (550 Invalid pager)"_s, u"Sending to: Grant, Gil ..."_s,
          u"MESSAGE SENT OK"_s, u"CONNECTING TO SERVICE: CORVANE -ENCRY ..."_s,
          u"NOT SENT: Hart, Hal (Connection refused)"_s, u""_s, u"2 of 4 MESSAGES SENT OK"_s}) {
        windows.sendingMemoForm.appendLine(line);
    }
    windows.sendingMemoForm.offerPageAgain(true); // as after a job that left someone unpaged
    windows.sendingMemoForm.show();
    ok &= save(windows.sendingMemoForm, output, u"results"_s);
    form.instructionsButtonClick();
    ok &= save(windows.InstructionsForm, output, u"instructions"_s);
    form.About1Click();
    ok &= save(windows.AboutForm, output, u"about"_s);
    names->setItemIndex(1);
    form.namesListboxDblClick();
    ok &= save(windows.viewContactForm, output, u"contact-information"_s);
    windows.viewContactForm.hide();

    form.Configure1Click();
    ok &= save(windows.configForm, output, u"configuration-general"_s);
    auto* const configPages = namedChild<QTabWidget>(windows.configForm, u"PageControl1"_s);
    configPages->setCurrentWidget(namedChild<QWidget>(windows.configForm, u"TabSheet4"_s));
    ok &= save(windows.configForm, output, u"configuration-groups"_s);
    configPages->setCurrentWidget(namedChild<QWidget>(windows.configForm, u"TabSheet3"_s));
    ok &= save(windows.configForm, output, u"configuration-quick-messages"_s);
    windows.configForm.reject();

    form.ContactsDatabase1Click();
    windows.contactsGridForm.selectRow(2);
    ok &= save(windows.contactsGridForm, output, u"contacts"_s);
    namedChild<QComboBox>(windows.contactsGridForm, u"GroupSelectComboBox"_s)->setCurrentIndex(2);
    windows.contactsGridForm.GroupSelectComboBoxChange();
    ok &= save(windows.contactsGridForm, output, u"contacts-group-filter"_s);
    windows.contactsGridForm.reject();

    form.sendLaterButtonClick();
    ok &= save(windows.SendLaterForm, output, u"future-delivery"_s);
    windows.SendLaterForm.reject();
    return ok ? 0 : 1;
}
