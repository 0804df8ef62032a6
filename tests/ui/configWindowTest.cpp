#include "engine/pagingEngine.h"
#include "guiFixture.h"
#include "printers.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

class ConfigWindow : public test::GuiFixture {
protected:
    TconfigForm& config() { return windows->configForm; }
    // Opens the window from the menu and lets the test act in it.
    void configure(const std::function<void(TconfigForm&)>& act) {
        actInModal(
            config(), [this] { form().Configure1Click(); }, act);
    }
};

TEST_F(ConfigWindow, OpensOnTheGeneralPageWithTheValuesInMemory) {
    start();
    form().move(200, 100);
    configure([&](TconfigForm& c) {
        EXPECT_EQ(c.pos(), QPoint(220, 120));
        EXPECT_EQ(c.windowTitle(), u"Configuration  -  Corvane"_s);
        EXPECT_EQ(ui(c).PageControl1->currentWidget(), ui(c).TabSheet1);
        EXPECT_FALSE(ui(c).PageControl1->isTabVisible(ui(c).PageControl1->indexOf(ui(c).servicesTabSheet)));
        EXPECT_EQ(ui(c).timeoutEdit->text(), u"45"_s);
        EXPECT_FALSE(ui(c).loggingEnabledCheckbox->isChecked());
        EXPECT_EQ(ui(c).loggingDirEdit->text(), u"./logs/"_s);
        EXPECT_FALSE(ui(c).hideCheckallCheckbox->isChecked());
        EXPECT_EQ(ui(c).messageEdits[1]->text(), u"Hi"_s);
        EXPECT_EQ(ui(c).messageEdits[8]->text(), u"Don't call"_s);
        EXPECT_EQ(ui(c).groupNameEdits[10]->text(), u""_s);
        EXPECT_EQ(ui(c).serviceEdits[1][0]->text(), form().engine().serviceTable()[1].name);
        EXPECT_EQ(ui(c).serviceEdits[1][2]->text(), u"444"_s);
        EXPECT_EQ(ui(c).serviceEdits[12][2]->text(), u"0"_s);
        ui(c).PageControl1->setCurrentWidget(ui(c).TabSheet4);
        ui(c).CancelButton->click();
    });
    configure([&](TconfigForm& c) { EXPECT_EQ(ui(c).PageControl1->currentWidget(), ui(c).TabSheet1); });
}

TEST_F(ConfigWindow, SaveTakesEffectAtOnceAndWritesEveryEntry) {
    start();
    configure([&](TconfigForm& c) {
        ui(c).timeoutEdit->clear();
        QTest::keyClicks(ui(c).timeoutEdit, u"1-2a34"_s);
        EXPECT_EQ(ui(c).timeoutEdit->text(), u"123"_s) << "three digits and nothing else";
        ui(c).timeoutEdit->setText(u"0"_s);
        ui(c).hideCheckallCheckbox->setChecked(true);
        ui(c).groupNameEdits[2]->setText(u"Nurses"_s);
        ui(c).messageEdits[3]->setText(u"Code blue"_s);
        ui(c).loggingDirEdit->setText(u"./elsewhere"_s);
        ui(c).SaveButton->click();
        EXPECT_FALSE(c.isVisible());
    });
    const Settings& s = windows->settings;
    EXPECT_EQ(s.timeout, 0);
    EXPECT_TRUE(s.hideCheckAllButton);
    EXPECT_EQ(s.loggingDir, u"./elsewhere"_s) << "taken as typed, no separator added";
    EXPECT_TRUE(ui(form()).checkAllButton->isHidden());
    ASSERT_EQ(ui(form()).groupsListBox->count(), 1);
    EXPECT_EQ(ui(form()).groupsListBox->item(0)->text(), u"G2: Nurses"_s);
    ui(form()).pickButtons[3]->click();
    EXPECT_EQ(ui(form()).messageMemo->toPlainText(), u"Code blue"_s);
    const QByteArray file = dir.read(u"corvane3.ini"_s);
    EXPECT_TRUE(file.contains("timeout=0\r\n") && file.contains("group2Name=Nurses\r\n") &&
                file.contains("hideCheckAllButton=1\r\n") && file.contains("group10Name=\r\n"))
        << file.toStdString();

    configure([&](TconfigForm& c) {
        ui(c).hideCheckallCheckbox->setChecked(false);
        ui(c).groupNameEdits[2]->clear();
        ui(c).SaveButton->click();
    });
    EXPECT_FALSE(ui(form()).checkAllButton->isHidden());
    EXPECT_EQ(ui(form()).groupsListBox->count(), 0);
}

TEST_F(ConfigWindow, EmptyTimeoutChangesNothingAnywhere) {
    start();
    configure([&](TconfigForm& c) {
        ui(c).timeoutEdit->clear();
        ui(c).groupNameEdits[1]->setText(u"Never saved"_s);
        ui(c).loggingEnabledCheckbox->setChecked(true);
        ui(c).SaveButton->click();
        EXPECT_TRUE(c.isVisible()) << "the window stays open";
    });
    EXPECT_EQ(dialogs.messages, QStringList{u"'' is not a valid integer value"_s});
    EXPECT_EQ(windows->settings.timeout, 45);
    EXPECT_EQ(windows->settings.groupNames[1], u""_s);
    EXPECT_FALSE(windows->settings.loggingEnabled);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"corvane3.ini"_s)));
}

TEST_F(ConfigWindow, CancelLeavesSettingsAndFileUntouched) {
    start();
    configure([&](TconfigForm& c) {
        ui(c).timeoutEdit->setText(u"9"_s);
        ui(c).messageEdits[1]->setText(u"changed"_s);
        ui(c).CancelButton->click();
    });
    EXPECT_EQ(windows->settings.timeout, 45);
    EXPECT_EQ(windows->settings.quickMessages[1], u"Hi"_s);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"corvane3.ini"_s)));
    configure([&](TconfigForm& c) { EXPECT_EQ(ui(c).timeoutEdit->text(), u"45"_s); });
}

TEST_F(ConfigWindow, RefusedWriteKeepsTheWindowOpenAndTheValuesInMemory) {
    start();
    const auto readOnly =
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    configure([&](TconfigForm& c) {
        ui(c).timeoutEdit->setText(u"30"_s);
        QFile::setPermissions(dir.path(), readOnly);
        {
            test::ActAsUnprivileged nobody; // as root, permissions would not stop the write
            ui(c).SaveButton->click();
        }
        QFile::setPermissions(dir.path(), readOnly | QFile::WriteOwner);
        EXPECT_TRUE(c.isVisible());
    });
    EXPECT_EQ(dialogs.messages, QStringList{u"Unable to write to ./corvane3.ini"_s});
    EXPECT_EQ(windows->settings.timeout, 30) << "the values copied before the write stay in effect";
    EXPECT_FALSE(QFile::exists(dir.filePath(u"corvane3.ini"_s)));
}

TEST_F(ConfigWindow, ClosingRefillsTheGroupsListButLeavesTheSelection) {
    writeSettings("[Groups]\r\ngroup3Name=Nurses\r\n");
    start();
    ui(form()).groupsListBox->setCurrentRow(0);
    form().groupsListBoxClick();
    configure([&](TconfigForm& c) { ui(c).CancelButton->click(); });
    EXPECT_EQ(ui(form()).groupsListBox->count(), 1);
    EXPECT_TRUE(ui(form()).groupsListBox->selectedItems().isEmpty());
    EXPECT_EQ(ui(form()).toNameLabel->text(), u"[Group 3]"_s);
    EXPECT_FALSE(ui(form()).groupSelectingLabel->isHidden());
}

TEST_F(ConfigWindow, LongLogDirectoryShowsItsStart) {
    QDir().mkpath(u"var/spool/paging/site-one/logs"_s);
    writeSettings("[LOGGING]\r\nloggingDir=./var/spool/paging/site-one/logs/\r\n");
    start();
    configure([&](TconfigForm& c) {
        ASSERT_EQ(ui(c).loggingDirEdit->text(), u"./var/spool/paging/site-one/logs/"_s);
        EXPECT_EQ(ui(c).loggingDirEdit->cursorPosition(), 0);
    });
}

// The edits' limits are for typing. Values longer than that, read from the file, are shown whole and
// written back whole by a Save that did not touch them; typing into them can shorten them only.
TEST_F(ConfigWindow, SaveKeepsLongerValuesFromTheFileWhole) {
    const QString message(150, u'm');
    writeSettings("[General]\r\ntimeout=1000\r\nmessage1=" + message.toLatin1() + "\r\n");
    start();
    configure([&](TconfigForm& c) {
        EXPECT_EQ(ui(c).timeoutEdit->text(), u"1000"_s);
        EXPECT_EQ(ui(c).messageEdits[1]->text(), message);
        ui(c).messageEdits[1]->setFocus();
        ui(c).messageEdits[1]->end(false);
        QTest::keyClick(ui(c).messageEdits[1], Qt::Key_X);
        EXPECT_EQ(ui(c).messageEdits[1]->text(), message) << "typing never lengthens a value over the limit";
        ui(c).SaveButton->click();
    });
    EXPECT_EQ(windows->settings.timeout, 1000);
    EXPECT_EQ(windows->settings.quickMessages[1], message);
    const QByteArray file = dir.read(u"corvane3.ini"_s);
    EXPECT_TRUE(file.contains("timeout=1000\r\n")) << file.toStdString();
    EXPECT_TRUE(file.contains(QByteArray("message1=" + message.toLatin1() + "\r\n"))) << file.toStdString();

    configure([&](TconfigForm& c) {
        QLineEdit* edit = ui(c).messageEdits[1];
        edit->setFocus();
        edit->end(false);
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        }
        QTest::keyClicks(edit, u"abcdefghijklmnop"_s);
        EXPECT_EQ(edit->text(), message.left(90) + u"abcdefghij"_s) << "back within the limit, the limit holds";
    });
}

// No button is the window's default: Enter presses the button that has the keyboard focus, and
// nothing while an edit has it.
TEST_F(ConfigWindow, EnterPressesOnlyTheFocusedButton) {
    start();
    configure([&](TconfigForm& c) {
        ui(c).timeoutEdit->setFocus();
        QTest::keyClick(ui(c).timeoutEdit, Qt::Key_Return);
        EXPECT_TRUE(c.isVisible()) << "Enter in an edit presses nothing";
        ui(c).timeoutEdit->setText(u"12"_s);
        ui(c).SaveButton->setFocus();
        QTest::keyClick(ui(c).SaveButton, Qt::Key_Return);
        EXPECT_FALSE(c.isVisible());
    });
    EXPECT_EQ(windows->settings.timeout, 12);
    configure([&](TconfigForm& c) {
        ui(c).timeoutEdit->setText(u"30"_s);
        ui(c).CancelButton->setFocus();
        QTest::keyClick(ui(c).CancelButton, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_FALSE(c.isVisible());
    });
    EXPECT_EQ(windows->settings.timeout, 12);
}

} // namespace
} // namespace corvane
