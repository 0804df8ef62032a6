#include "guiFixture.h"
#include "printers.h"
#include "ui/nameSearch.h"
#include "ui/results.h"
#include "ui/toolkit/checkListBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

class RecipientSelectionTest : public test::GuiFixture {
protected:
    TForm1& startWithNames() {
        writeSettings("[Groups]\r\ngroup1Name=Ops\r\ngroup3Name=Nurses\r\ngroup10Name=Everyone\r\n");
        return start({{u"clark"_s, u"300"_s, 1}, {u"adams"_s, u"100"_s, 1, {1}}, {u"baker"_s, u"200"_s, 2, {10}}});
    }
    // A click in the list as the operator makes it: in the tick box, or on the name's text.
    void clickName(int row, bool inTickBox) {
        CheckListBox* list = ui(form()).namesListbox;
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        const QPoint at =
            inTickBox ? QPoint(rect.left() + 10, rect.center().y()) : QPoint(rect.right() - 10, rect.center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    void clickGroup(int row) {
        QListWidget* groups = ui(form()).groupsListBox;
        QTest::mouseClick(groups->viewport(), Qt::LeftButton, {}, groups->visualItemRect(groups->item(row)).center());
    }
    QString marker() { return ui(form()).toNameLabel->text(); }
};

TEST_F(RecipientSelectionTest, ListsAreFilledSortedAndGroupsByNumber) {
    TForm1& f = startWithNames();
    EXPECT_EQ(namesInList(), (QStringList{u"adams"_s, u"baker"_s, u"clark"_s}));
    EXPECT_EQ(ui(f).namesListbox->ItemIndex(), -1);
    EXPECT_EQ(ui(f).groupsListBox->count(), 3);
}

TEST_F(RecipientSelectionTest, PickingANameShowsItAndTheArrowForTwoTicks) {
    TForm1& f = startWithNames();
    windows->sendingMemoForm.show();
    clickName(1, false);
    EXPECT_EQ(marker(), u"baker"_s);
    EXPECT_EQ(ui(f).toIdedit->text(), u"200"_s);
    EXPECT_FALSE(ui(f).toIdedit->isEnabled());
    EXPECT_FALSE(ui(f).arrowlabel->isHidden());
    EXPECT_FALSE(windows->sendingMemoForm.isVisible()) << "a pick closes the results window";
    f.Timer1Timer();
    EXPECT_FALSE(ui(f).arrowlabel->isHidden());
    f.Timer1Timer();
    EXPECT_TRUE(ui(f).arrowlabel->isHidden());
}

TEST_F(RecipientSelectionTest, TicksTakePriorityAndTheLastUntickPicksThatName) {
    TForm1& f = startWithNames();
    clickName(0, true);
    EXPECT_EQ(marker(), u"[selected names]"_s);
    EXPECT_FALSE(ui(f).NamesSelectingPanel->isHidden());
    EXPECT_EQ(ui(f).namesListbox->state(0), Qt::Checked);
    clickName(2, false); // another name's text: nothing changes while a tick remains
    EXPECT_EQ(marker(), u"[selected names]"_s);
    clickName(1, true);
    clickName(1, true); // untick baker: adams is still ticked
    EXPECT_EQ(marker(), u"[selected names]"_s);
    clickName(0, true); // untick the last one: the click that follows picks it
    EXPECT_EQ(ui(f).namesListbox->stateCount(Qt::Checked), 0);
    EXPECT_EQ(marker(), u"adams"_s);
    EXPECT_EQ(ui(f).toIdedit->text(), u"100"_s);
}

TEST_F(RecipientSelectionTest, SelectAllAndDeselectAll) {
    TForm1& f = start();
    ui(f).checkAllButton->click(); // even on an empty list
    EXPECT_EQ(marker(), u"[selected names]"_s);
    EXPECT_FALSE(ui(f).NamesSelectingPanel->isHidden());
    ui(f).uncheckAllButton->click();
    EXPECT_EQ(marker(), u""_s);
    EXPECT_TRUE(ui(f).NamesSelectingPanel->isHidden());
}

TEST_F(RecipientSelectionTest, SelectAllTicksEveryNameAndDeselectAllKeepsGroupMode) {
    TForm1& f = startWithNames();
    int stateEvents = 0;
    QObject::connect(ui(f).namesListbox, &CheckListBox::stateChanged, ui(f).namesListbox, [&] { ++stateEvents; });
    ui(f).checkAllButton->click();
    EXPECT_EQ(ui(f).namesListbox->stateCount(Qt::Checked), 3);
    EXPECT_EQ(stateEvents, 3);
    ui(f).uncheckAllButton->click();
    EXPECT_EQ(stateEvents, 6) << "setting a state always raises the event";
    clickGroup(1);
    EXPECT_EQ(marker(), u"[Group 3]"_s);
    ui(f).uncheckAllButton->click();
    EXPECT_EQ(marker(), u"[Group 3]"_s);
    EXPECT_FALSE(ui(f).groupSelectingLabel->isHidden());
}

TEST_F(RecipientSelectionTest, GroupEntriesReadTheirNumberFromTheText) {
    TForm1& f = startWithNames();
    windows->sendingMemoForm.show();
    clickGroup(2);
    EXPECT_EQ(marker(), u"[Group 10]"_s);
    EXPECT_FALSE(windows->sendingMemoForm.isVisible());
    clickGroup(0);
    EXPECT_EQ(marker(), u"[Group 1]"_s);
    EXPECT_FALSE(ui(f).groupSelectingLabel->isHidden());
    EXPECT_EQ(ui(f).namesListbox->ItemIndex(), -1);
    clickName(0, false); // a pick leaves group mode
    EXPECT_EQ(marker(), u"adams"_s);
    EXPECT_TRUE(ui(f).groupSelectingLabel->isHidden());
    EXPECT_EQ(ui(f).groupsListBox->selectedItems().size(), 0);
}

TEST_F(RecipientSelectionTest, DirectEntryOpensTheIdFieldAndKeepsTheGroupHighlight) {
    TForm1& f = startWithNames();
    clickGroup(1);
    ui(f).editIdButton->click();
    EXPECT_EQ(marker(), u"DIRECT ID ENTRY"_s);
    EXPECT_TRUE(ui(f).toIdedit->isEnabled());
    EXPECT_NE(ui(f).toIdedit->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_TRUE(ui(f).groupSelectingLabel->isHidden());
    EXPECT_EQ(ui(f).groupsListBox->selectedItems().size(), 1);
    QTest::keyClicks(ui(f).toIdedit, QString(25, u'7'));
    EXPECT_EQ(ui(f).toIdedit->text(), QString(20, u'7'));
}

TEST_F(RecipientSelectionTest, NameSearchWalksToTheFirstNameNotBelowTheText) {
    TForm1& f = startWithNames();
    struct Step {
        QString typed;
        QString highlighted;
    };
    for (const Step& step :
         {Step{u"b"_s, u"baker"_s}, Step{u"z"_s, u"clark"_s}, Step{u""_s, u"adams"_s}, Step{u"BA"_s, u"baker"_s},
          Step{u"ba"_s, u"baker"_s}, Step{u"c"_s, u"clark"_s}, Step{u"a"_s, u"adams"_s}}) {
        ui(f).typeNameedit->setText(step.typed);
        f.typeNameeditChange();
        ASSERT_GE(ui(f).namesListbox->ItemIndex(), 0);
        EXPECT_EQ(ui(f).namesListbox->Items().item(ui(f).namesListbox->ItemIndex()), step.highlighted)
            << step.typed.toStdString();
    }
    EXPECT_EQ(marker(), u"[ ]"_s) << "searching highlights but does not pick";
}

TEST_F(RecipientSelectionTest, SearchFieldKeysPickFromTheList) {
    TForm1& f = startWithNames();
    QTest::keyClick(ui(f).typeNameedit, Qt::Key_Up); // no highlight: nothing is picked
    EXPECT_EQ(marker(), u"[ ]"_s);
    QTest::keyClick(ui(f).typeNameedit, Qt::Key_Down);
    EXPECT_EQ(marker(), u"adams"_s);
    QTest::keyClick(ui(f).typeNameedit, Qt::Key_Down);
    EXPECT_EQ(marker(), u"baker"_s);
    QTest::keyClick(ui(f).typeNameedit, Qt::Key_Up);
    EXPECT_EQ(marker(), u"adams"_s);
    ui(f).typeNameedit->setText(u"cl"_s);
    f.typeNameeditChange();
    QTest::keyClick(ui(f).typeNameedit, Qt::Key_Return);
    EXPECT_EQ(marker(), u"clark"_s);
    ui(f).namesListbox->setState(0, Qt::Checked);
    ui(f).namesListbox->setItemIndex(2);
    QTest::keyClick(ui(f).typeNameedit, Qt::Key_Return);
    EXPECT_EQ(marker(), u"[selected names]"_s) << "Enter with names ticked does nothing";
}

TEST_F(RecipientSelectionTest, SendReadsTheSelectionFromTheWindow) {
    TForm1& f = startWithNames();
    ui(f).messageMemo->setPlainText(u"hello"_s);
    ui(f).sendButton->click(); // right after start-up the marker "[ ]" is no contact
    EXPECT_EQ(ui(f).StatusBar1->currentMessage(), u"Error: Problem with contact and/or service"_s);
    clickName(0, true);
    clickName(2, true);
    const RecipientSelection ticked = f.currentSelection(true);
    EXPECT_EQ(ticked.tickedNames, (QStringList{u"adams"_s, u"clark"_s}));
    clickGroup(2);
    const RecipientSelection group = f.currentSelection(false);
    EXPECT_TRUE(group.groupMode);
    EXPECT_EQ(group.highlightedGroup, 10);
    EXPECT_TRUE(group.tickedNames.isEmpty());
    EXPECT_FALSE(group.fromSendButton);
}

TEST_F(RecipientSelectionTest, ResetAfterTheContactsWindowLeavesNoRecipient) {
    TForm1& f = startWithNames();
    clickGroup(0);
    f.resetToNoRecipient();
    EXPECT_EQ(marker(), u""_s);
    EXPECT_TRUE(ui(f).groupSelectingLabel->isHidden());
    EXPECT_EQ(ui(f).groupsListBox->selectedItems().size(), 0);
}

// The list sorts as a reader of the language expects, and the search walks in that same order.
TEST(NameSearch, ListOrderIsTheLanguagesAlphabetWithoutCaseAndTheSearchFollowsIt) {
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale::c()}) {
        SCOPED_TRACE(locale.name().toStdString());
        const NameOrder order(locale);
        QStringList names{
            u"Zoe"_s, u"\u00c5ngstr\u00f6m"_s, u"Mueller"_s, u"adams"_s, u"M\u00fcller"_s, u"Baker"_s, u"mills"_s,
            u"Abel"_s};
        order.sort(names);
        EXPECT_EQ(names, (QStringList{u"Abel"_s, u"adams"_s, u"\u00c5ngstr\u00f6m"_s, u"Baker"_s, u"mills"_s,
                                      u"Mueller"_s, u"M\u00fcller"_s, u"Zoe"_s}));
        auto entry = [&](int i) -> const QString& { return names[i]; };
        struct Step {
            const char* typed;
            int from;
            int highlighted;
        };
        for (const Step& step : {Step{"x", -1, 7}, Step{"b", 7, 3}, Step{"AN", 0, 2}, Step{"mu", 0, 5},
                                 Step{"M\u00fcl", 0, 6}, Step{"zz", 2, 7}, Step{"", 4, 0}}) {
            EXPECT_EQ(nameSearchWalk(int(names.size()), entry, step.from, QString::fromUtf8(step.typed), order),
                      step.highlighted)
                << step.typed;
        }
        EXPECT_EQ(nameSearchWalk(0, entry, -1, u"x"_s, order), -1);
    }
}

// Names of letters, digits and blanks are put in order without the collator; that order must be the
// collator's, name for name.
TEST(NameSearch, PlainNamesOrderAsTheCollatorOrdersThem) {
    const NameOrder order(QLocale::c());
    const QString alphabet = u" 09azAZbmBM"_s;
    std::mt19937 random(7);
    const auto plainName = [&] {
        QString name;
        const int length = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < length; ++i) {
            name += alphabet[static_cast<qsizetype>(random() % alphabet.size())];
        }
        return name;
    };
    for (int i = 0; i < 20000; ++i) {
        const QString a = plainName();
        const QString b = i % 10 == 0 ? a.toUpper() : plainName();
        const int c = order.collate(a, b);
        ASSERT_EQ(order.before(a, b), c != 0 ? c < 0 : a < b) << a.toStdString() << " | " << b.toStdString();
    }
}

// Whatever key moves the highlight, the marker, the group indicator and what Send reads agree with
// the entry the window highlights.
TEST_F(RecipientSelectionTest, KeyboardMovesInTheGroupsListPickTheHighlightedGroup) {
    TForm1& f = startWithNames();
    struct Step {
        Qt::Key key;
        QString marker;
    };
    const Step steps[] = {
        {Qt::Key_Down, u"[Group 3]"_s}, {Qt::Key_End, u"[Group 10]"_s},      {Qt::Key_Up, u"[Group 3]"_s},
        {Qt::Key_Home, u"[Group 1]"_s}, {Qt::Key_PageDown, u"[Group 10]"_s}, {Qt::Key_PageUp, u"[Group 1]"_s},
    };
    clickGroup(0);
    ASSERT_EQ(marker(), u"[Group 1]"_s);
    for (const Step& step : steps) {
        QTest::keyClick(ui(f).groupsListBox, step.key);
        const RecipientSelection selection = f.currentSelection(true);
        EXPECT_EQ(marker(), step.marker) << QTest::toString(step.key);
        EXPECT_EQ(u"[Group "_s + QString::number(selection.highlightedGroup) + u']', marker());
        EXPECT_TRUE(selection.groupMode);
    }
}

TEST_F(RecipientSelectionTest, TypedLetterInTheNamesListPicksTheNameItMovesTo) {
    TForm1& f = startWithNames();
    clickName(0, false);
    ASSERT_EQ(marker(), u"adams"_s);
    QTest::keyClick(ui(f).namesListbox, Qt::Key_C);
    EXPECT_EQ(ui(f).namesListbox->ItemIndex(), 2);
    EXPECT_EQ(marker(), u"clark"_s);
    EXPECT_EQ(ui(f).toIdedit->text(), u"300"_s);
}

// A pager ID of 20 digits does not fit the field: it shows its first digits, not its last.
TEST_F(RecipientSelectionTest, LongPagerIdShowsItsStart) {
    writeSettings("");
    TForm1& f = start({{u"Long Id"_s, u"12345678901234567890"_s, 1}});
    clickName(0, false);
    ASSERT_EQ(ui(f).toIdedit->text(), u"12345678901234567890"_s);
    EXPECT_EQ(ui(f).toIdedit->cursorPosition(), 0);
}

// The groups list keeps its pick when the operator clicks beside the entries or Ctrl+clicks the
// picked one: the marker and the indicator still name the group, so Send must page it.
TEST_F(RecipientSelectionTest, AGroupPickSurvivesStrayClicksAndKeys) {
    TForm1& f = startWithNames();
    QListWidget* groups = ui(f).groupsListBox;
    struct Stray {
        const char* what;
        std::function<void()> act;
    };
    const Stray strays[] = {
        {"click below the entries",
         [&] {
             const QRect last = groups->visualItemRect(groups->item(groups->count() - 1));
             QTest::mouseClick(groups->viewport(), Qt::LeftButton, {}, QPoint(last.center().x(), last.bottom() + 20));
         }},
        {"Ctrl+click on the picked entry",
         [&] {
             QTest::mouseClick(groups->viewport(), Qt::LeftButton, Qt::ControlModifier,
                               groups->visualItemRect(groups->item(0)).center());
         }},
        {"Ctrl+Space on the picked entry", [&] { QTest::keyClick(groups, Qt::Key_Space, Qt::ControlModifier); }},
    };
    for (const Stray& stray : strays) {
        SCOPED_TRACE(stray.what);
        clickGroup(0);
        ASSERT_EQ(marker(), u"[Group 1]"_s);
        stray.act();
        const RecipientSelection selection = f.currentSelection(true);
        EXPECT_EQ(selection.highlightedGroup, 1);
        EXPECT_TRUE(selection.groupMode);
        EXPECT_EQ(marker(), u"[Group 1]"_s);
        EXPECT_EQ(groups->selectedItems().size(), 1);
    }
}

// The ID field's limit is for typing a pager ID; a stored ID longer than that is shown whole, and
// the service number field shows a three-digit service as it is stored.
TEST_F(RecipientSelectionTest, AStoredIdLongerThanTheTypingLimitIsShownWhole) {
    writeSettings("");
    const QString id = u"1234567890123456789012345"_s;
    TForm1& f = start({{u"Long Id"_s, id, 1}});
    clickName(0, false);
    EXPECT_EQ(ui(f).toIdedit->text(), id);
    EXPECT_EQ(ui(f).toIdedit->cursorPosition(), 0);
    // Typing a direct entry still stops at the limit.
    QTest::mouseClick(ui(f).editIdButton, Qt::LeftButton);
    QTest::keyClicks(ui(f).toIdedit, id);
    EXPECT_EQ(ui(f).toIdedit->text(), id.left(pagerIdMaxLength));
}

} // namespace
} // namespace corvane
