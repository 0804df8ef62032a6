#include "ui/toolkit/typingLimit.h"

#include "engine/pagingEngine.h"
#include "eventLoopWait.h"
#include "guiFixture.h"
#include "pointService.h"
#include "printers.h"
#include "scriptedSnppServer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

// What the operator sees of an edit, and what Ctrl+Z and Ctrl+Shift+Z would do.
struct EditState {
    QString text;
    int cursor = 0;
    QString selected;
    bool undo = false;
    bool redo = false;

    explicit EditState(const QLineEdit& edit)
        : text(edit.text())
        , cursor(edit.cursorPosition())
        , selected(edit.selectedText())
        , undo(edit.isUndoAvailable())
        , redo(edit.isRedoAvailable()) {}
    bool operator==(const EditState&) const = default;
};

void PrintTo(const EditState& s, std::ostream* os) {
    *os << '"' << s.text.toStdString() << "\" cursor " << s.cursor << " selected \"" << s.selected.toStdString()
        << "\" undo " << s.undo << " redo " << s.redo;
}

void paste(QLineEdit* edit, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keySequence(edit, QKeySequence::Paste);
}

// One editing session, as an operator makes it, for an edit with the given typing limit: typing,
// inserting in the middle, typing at the limit, replacing a selection, undo and redo, pasting more
// than fits, deleting. Digits only, which every limited edit takes.
using EditStep = std::function<void(QLineEdit*)>;
std::vector<std::pair<const char*, EditStep>> editingSession(int limit) {
    const QString digits = u"1234567890123456789012345678901234567890"_s;
    return {
        {"type up to one short of the limit", [=](QLineEdit* e) { QTest::keyClicks(e, digits.left(limit - 1)); }},
        {"go to the middle",
         [=](QLineEdit* e) {
             QTest::keyClick(e, Qt::Key_Home);
             for (int i = 0; i < (limit - 1) / 2; ++i) {
                 QTest::keyClick(e, Qt::Key_Right);
             }
         }},
        {"insert in the middle", [](QLineEdit* e) { QTest::keyClicks(e, u"9"_s); }},
        {"type at the limit", [](QLineEdit* e) { QTest::keyClicks(e, u"8"_s); }},
        {"select to the end", [](QLineEdit* e) { QTest::keyClick(e, Qt::Key_End, Qt::ShiftModifier); }},
        {"replace the selection", [](QLineEdit* e) { QTest::keyClicks(e, u"7"_s); }},
        {"undo", [](QLineEdit* e) { QTest::keySequence(e, QKeySequence::Undo); }},
        {"undo again", [](QLineEdit* e) { QTest::keySequence(e, QKeySequence::Undo); }},
        {"redo", [](QLineEdit* e) { QTest::keySequence(e, QKeySequence::Redo); }},
        {"select all", [](QLineEdit* e) { QTest::keySequence(e, QKeySequence::SelectAll); }},
        {"paste more than fits over it", [=](QLineEdit* e) { paste(e, QString(limit + 3, u'4')); }},
        {"delete two at the end",
         [](QLineEdit* e) {
             QTest::keyClick(e, Qt::Key_End);
             QTest::keyClick(e, Qt::Key_Backspace);
             QTest::keyClick(e, Qt::Key_Backspace);
         }},
        {"paste at the start, more than fits",
         [](QLineEdit* e) {
             QTest::keyClick(e, Qt::Key_Home);
             paste(e, u"556"_s);
         }},
        {"undo the paste", [](QLineEdit* e) { QTest::keySequence(e, QKeySequence::Undo); }},
        {"select one and delete it",
         [](QLineEdit* e) {
             QTest::keyClick(e, Qt::Key_Right);
             QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
             QTest::keyClick(e, Qt::Key_Delete);
         }},
        {"undo the delete", [](QLineEdit* e) { QTest::keySequence(e, QKeySequence::Undo); }},
    };
}

class TypingLimits : public test::GuiFixture {
protected:
    // Every edit with a typing limit in the window, so that an edit added later is covered too.
    static std::vector<QLineEdit*> limitedEdits(const QWidget& window) {
        std::vector<QLineEdit*> edits;
        for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
            if (typingLimitOf(*edit) > 0) {
                edits.push_back(edit);
            }
        }
        return edits;
    }

    // Runs the session on each limited edit and on a plain QLineEdit with the same limit, and
    // compares after every step; then checks a longer value put in by the program.
    void checkEveryLimitedEdit(const QWidget& window, const char* windowName) {
        const std::vector<QLineEdit*> edits = limitedEdits(window);
        ASSERT_FALSE(edits.empty()) << windowName << " has no limited edit";
        for (QLineEdit* edit : edits) {
            SCOPED_TRACE(std::string(windowName) + " " + edit->objectName().toStdString());
            ASSERT_TRUE(edit->isEnabled());
            const int limit = typingLimitOf(*edit);
            showWhole(*edit, QString());
            QLineEdit plain;
            plain.setMaxLength(limit);
            plain.show();
            for (const auto& [what, step] : editingSession(limit)) {
                step(edit);
                step(&plain);
                ASSERT_EQ(EditState(*edit), EditState(plain)) << "after: " << what << " (limit " << limit << ")";
            }
            checkLongerValue(edit, limit);
        }
    }

    // A value longer than the limit is shown whole; typing can shorten it but not lengthen it past
    // the limit, and undo brings back what was there.
    static void checkLongerValue(QLineEdit* edit, int limit) {
        const QString stored(limit + 3, u'1');
        showWhole(*edit, stored);
        EXPECT_EQ(edit->text(), stored);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, u"2"_s);
        EXPECT_EQ(edit->text(), stored) << "typed at the end";
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClicks(edit, u"2"_s);
        EXPECT_EQ(edit->text(), stored.left(limit + 2)) << "a shortened value does not grow back";
        EXPECT_EQ(edit->cursorPosition(), 0);
        QTest::keySequence(edit, QKeySequence::Undo);
        EXPECT_EQ(edit->text(), stored) << "undo";
        QTest::keySequence(edit, QKeySequence::SelectAll);
        QTest::keyClicks(edit, QString(limit + 2, u'2'));
        EXPECT_EQ(edit->text(), QString(limit, u'2')) << "typed over it, the limit holds";
        showWhole(*edit, QString());
    }
};

TEST_F(TypingLimits, EveryLimitedEditOfEveryWindowEditsAsAPlainLineEdit) {
    TForm1& f = start({{u"Ann"_s, u"5551111"_s, 1}});
    ui(f).editIdButton->click();
    checkEveryLimitedEdit(f, "main window");

    windows->SendLaterForm.show();
    checkEveryLimitedEdit(windows->SendLaterForm, "future delivery window");
    windows->SendLaterForm.hide();

    actInModal<TconfigForm>(
        windows->configForm, [&] { f.Configure1Click(); },
        [&](TconfigForm& c) { checkEveryLimitedEdit(c, "configuration window"); });
    actInModal<TcontactsGridForm>(
        windows->contactsGridForm, [&] { f.ContactsDatabase1Click(); },
        [&](TcontactsGridForm& c) { checkEveryLimitedEdit(c, "contacts window"); });
}

// A pager ID corrected in the middle pages the pager typed, not another one.
TEST_F(TypingLimits, DirectEntryCorrectedInTheMiddlePagesThatPager) {
    test::ScriptedSnppServer server;
    TForm1& f = start();
    test::pointService(f.engine().serviceTable(), 1, u"127.0.0.1"_s, server.port());
    ui(f).editIdButton->click();
    QLineEdit* id = ui(f).toIdedit;
    QTest::keyClicks(id, u"5550100"_s);
    QTest::keyClick(id, Qt::Key_Home);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(id, Qt::Key_Right);
    }
    QTest::keyClicks(id, u"12"_s);
    EXPECT_EQ(id->text(), u"555120100"_s);
    ui(f).pickButtons[1]->click();
    QTest::mouseClick(ui(f).sendButton, Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return ui(f).messageStatusLabel->text() == u"SUCCESS"_s; }, 8000))
        << ui(f).StatusBar1->currentMessage().toStdString();
    ASSERT_FALSE(server.lines().empty());
    EXPECT_EQ(server.lines().front(), "PAGE 555120100");
}

// Text typed at the start of a quick message goes at the start, and Save writes it so.
TEST_F(TypingLimits, QuickMessageEditedAtItsStartIsSavedAsTyped) {
    start();
    actInModal<TconfigForm>(
        windows->configForm, [&] { form().Configure1Click(); },
        [&](TconfigForm& c) {
            QLineEdit* message = ui(c).messageEdits[1];
            ASSERT_EQ(message->text(), u"Hi"_s);
            message->setFocus();
            QTest::keyClick(message, Qt::Key_Home);
            QTest::keyClicks(message, u"Say "_s);
            EXPECT_EQ(message->text(), u"Say Hi"_s);
            ui(c).SaveButton->click();
        });
    EXPECT_EQ(windows->settings.quickMessages[1], u"Say Hi"_s);
    EXPECT_TRUE(dir.read(u"corvane3.ini"_s).contains("message1=Say Hi\r\n"));
}

} // namespace
} // namespace corvane
