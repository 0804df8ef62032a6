#include "engine/pagingEngine.h"
#include "guiFixture.h"
#include "printers.h"
#include "ui/toolkit/checkListBox.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using InformationWindows = test::GuiFixture;

TEST_F(InformationWindows, AboutShowsTheVersionBesideTheMainWindow) {
    TForm1& f = start();
    f.move(400, 300);
    f.About1Click();
    EXPECT_EQ(dialogs.modalShows, 1);
    TAboutForm& about = windows->AboutForm;
    EXPECT_EQ(about.versionLabel->text(), u"Version: 3.53"_s);
    about.show();
    EXPECT_EQ(about.pos(), f.pos() + QPoint(50, 50));
    EXPECT_EQ(about.windowTitle(), u"About"_s);
    EXPECT_EQ(about.size(), QSize(245, 272));
}

TEST_F(InformationWindows, ContactInformationShowsTheServiceLine) {
    struct Case {
        QString name;
        QString service;
    };
    TForm1& f = start({{u"Two"_s, u"222"_s, 2}, {u"Zero"_s, u"000"_s, 0}, {u"Thirteen"_s, u"131"_s, 13}});
    f.move(100, 100);
    const QString serviceTwo = f.engine().serviceTable()[2].name;
    for (const Case& c :
         {Case{u"Two"_s, u"2  ["_s + serviceTwo + u"]"_s}, Case{u"Zero"_s, u""_s}, Case{u"Thirteen"_s, u""_s}}) {
        ui(f).namesListbox->setItemIndex(namesInList().indexOf(c.name));
        f.namesListboxDblClick();
        TviewContactForm& view = windows->viewContactForm;
        EXPECT_EQ(ui(view).nameLabel->text(), c.name);
        EXPECT_EQ(ui(view).serviceLabel->text(), c.service) << c.name.toStdString();
        EXPECT_EQ(view.pos(), f.pos() + QPoint(150, 50));
    }
    EXPECT_EQ(ui(windows->viewContactForm).idLabel->text(), u"131"_s);
    EXPECT_EQ(dialogs.modalShows, 3);
}

TEST_F(InformationWindows, DoubleClickWhileNamesAreTickedKeepsCheckedMode) {
    TForm1& f = start({{u"Ann"_s, u"1"_s, 1}, {u"Bob"_s, u"2"_s, 1}});
    ui(f).namesListbox->setState(0, Qt::Checked);
    ui(f).namesListbox->setItemIndex(1);
    f.namesListboxDblClick();
    EXPECT_EQ(ui(windows->viewContactForm).nameLabel->text(), u"Bob"_s);
    EXPECT_EQ(ui(f).toNameLabel->text(), u"[selected names]"_s);
    ui(f).namesListbox->setItemIndex(-1);
    f.namesListboxDblClick();
    EXPECT_EQ(dialogs.modalShows, 1) << "no highlighted name opens nothing";
}

TEST_F(InformationWindows, InstructionsOpenOnceWithTheirTwentyLines) {
    TForm1& f = start();
    ui(f).instructionsButton->click();
    ui(f).instructionsButton->click();
    TInstructionsForm& instructions = windows->InstructionsForm;
    EXPECT_TRUE(instructions.isVisible());
    EXPECT_EQ(instructions.windowTitle(), u"Instructions  -  Corvane"_s);
    const QStringList lines = instructions.Memo1->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 20);
    EXPECT_EQ(lines[0], u"--> To Send to ONE Recipient:"_s);
    for (int n : {4, 8, 18, 19}) {
        EXPECT_TRUE(lines[n - 1].endsWith(u' ')) << "line " << n;
    }
    for (int n : {6, 11, 15}) {
        EXPECT_TRUE(lines[n - 1].isEmpty()) << "line " << n;
    }
    EXPECT_EQ(lines[19], u"group."_s);
    instructions.findChild<QPushButton*>(u"okButton"_s)->click();
    EXPECT_FALSE(instructions.isVisible());
}

TEST_F(InformationWindows, ResultsWindowCollectsWhatTheEngineReports) {
    TForm1& f = start();
    TsendingMemoForm& results = windows->sendingMemoForm;
    EXPECT_EQ(results.windowTitle(), u"SNPP Results"_s);
    f.clearResults();
    f.appendResult(u"CONNECTING TO SERVICE: X ..."_s);
    f.appendResult(u""_s);
    f.appendResult(u"1 of 1 MESSAGES SENT OK"_s);
    f.showResults();
    EXPECT_TRUE(results.isVisible());
    EXPECT_EQ(results.lines(), (QStringList{u"CONNECTING TO SERVICE: X ..."_s, u""_s, u"1 of 1 MESSAGES SENT OK"_s}));
    results.hide();
    f.appendResult(u"later"_s); // the engine goes on appending to the hidden window
    EXPECT_EQ(results.lines().last(), u"later"_s);
}

// Without a window manager to place them, the windows that are not modal still open beside the main
// window; one that is already open stays where the operator put it.
TEST_F(InformationWindows, InstructionsAndResultsOpenBesideTheMainWindow) {
    TForm1& f = start();
    f.move(200, 100);
    TInstructionsForm& instructions = windows->InstructionsForm;
    ui(f).instructionsButton->click();
    EXPECT_EQ(instructions.pos(), QPoint(250, 150));
    instructions.move(10, 10);
    ui(f).instructionsButton->click();
    EXPECT_EQ(instructions.pos(), QPoint(10, 10));

    TsendingMemoForm& results = windows->sendingMemoForm;
    f.showResults();
    EXPECT_EQ(results.pos(), QPoint(350, 150));
    results.hide();
    f.move(300, 200);
    f.showResults();
    EXPECT_EQ(results.pos(), QPoint(450, 250));
}

} // namespace
} // namespace corvane
