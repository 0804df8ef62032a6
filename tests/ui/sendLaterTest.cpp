#include "engine/pagingEngine.h"
#include "eventLoopWait.h"
#include "fixedClock.h"
#include "guiFixture.h"
#include "printers.h"
#include "scriptedSnppServer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

class SendLater : public test::GuiFixture {
protected:
    SendLater() { clock = std::make_unique<test::FixedClock>(QDateTime(QDate(2013, 1, 30), QTime(9, 0))); }
    TSendLaterForm& later() { return windows->SendLaterForm; }
    QString& hold() { return form().engine().job().holdValue; }
};

struct TimeCase {
    const char* what;
    QString time;
    const char* amPm;
    QString hold; // empty: refused with message
    QString message;
};

class SendLaterTime : public SendLater, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(SendLaterTime, DateIsPrefilledAndTimeTurnsIntoTheHoldValue) {
    const TimeCase& c = GetParam();
    start();
    hold() = u"unchanged"_s;
    later().show();
    EXPECT_EQ(ui(later()).monthEdit->text(), u"01"_s);
    EXPECT_EQ(ui(later()).dateEdit->text(), u"30"_s);
    EXPECT_EQ(ui(later()).yearEdit->text(), u"13"_s);
    ui(later()).timeEdit->setText(c.time);
    ui(later()).amPmComboBox->setCurrentText(QString::fromLatin1(c.amPm));
    ui(later()).sendButton->click();
    if (c.hold.isEmpty()) {
        EXPECT_EQ(dialogs.messages, QStringList{c.message});
        EXPECT_TRUE(later().isVisible());
        EXPECT_EQ(hold(), u"unchanged"_s);
    } else {
        EXPECT_EQ(hold(), c.hold);
        EXPECT_FALSE(later().isVisible());
    }
}

const QString badTimeFormat = u"Error in time field. Use format hh:mm"_s;

INSTANTIATE_TEST_SUITE_P(
    Times, SendLaterTime,
    ::testing::Values(TimeCase{"evening", u"6:45"_s, "PM", u"130130184500"_s, {}},
                      TimeCase{"half past midnight", u"12:30"_s, "AM", u"130130003000"_s, {}},
                      TimeCase{"half past noon", u"12:30"_s, "PM", u"130130123000"_s, {}},
                      TimeCase{"hour 00 with PM", u"00:15"_s, "PM", u"130130001500"_s, {}},
                      TimeCase{"hour 13 with AM", u"13:05"_s, "AM", u"130130130500"_s, {}},
                      TimeCase{"minutes not digits", u"06:xx"_s, "AM", u"13013006xx00"_s, {}},
                      TimeCase{"no colon", u"0645"_s, "AM", {}, badTimeFormat},
                      TimeCase{"one minute digit", u"6:4"_s, "AM", {}, badTimeFormat},
                      TimeCase{"three digits", u"645"_s, "AM", {}, badTimeFormat},
                      TimeCase{"hour not digits", u"ab:cd"_s, "AM", {}, u"Error formatting your hour input"_s}),
    test::NamedByWhat());

TEST_F(SendLater, TimeFormIsCheckedBeforeTheDateAndTheHourLast) {
    start();
    later().show();
    ui(later()).yearEdit->setText(u"3"_s);
    ui(later()).timeEdit->setText(u"ab:cd"_s);
    ui(later()).sendButton->click();
    EXPECT_EQ(dialogs.messages, QStringList{u"Error formatting your date input"_s});
    ui(later()).timeEdit->setText(u"abcd"_s);
    ui(later()).sendButton->click();
    EXPECT_EQ(dialogs.messages.last(), u"Error in time field. Use format hh:mm"_s);
}

TEST_F(SendLater, CancelEmptiesTheHoldAndASecondShowingKeepsTheTime) {
    start();
    later().show();
    ui(later()).timeEdit->setText(u"07:15"_s);
    ui(later()).amPmComboBox->setCurrentText(u"PM"_s);
    ui(later()).sendButton->click();
    later().show();
    ui(later()).yearEdit->setText(u"99"_s);
    ui(later()).cancelButton->click();
    EXPECT_EQ(hold(), u""_s);
    later().show();
    EXPECT_EQ(ui(later()).timeEdit->text(), u"07:15"_s);
    EXPECT_EQ(ui(later()).amPmComboBox->currentText(), u"PM"_s);
    EXPECT_EQ(ui(later()).yearEdit->text(), u"13"_s) << "the date is filled again";
}

TEST_F(SendLater, AcceptedTimeSendsWithHoldAndAHeldValueNeverReachesARunningJob) {
    test::ScriptedSnppServer server([](const std::string& line, int) {
        return line.rfind("QUIT", 0) == 0 ? test::ScriptedSnppServer::Reply("221 Bye\r\n", true)
                                          : test::ScriptedSnppServer::Reply("250 OK\r\n");
    });
    TForm1& f = start({{u"Dana"_s, u"5557777"_s, 1}});
    form().move(100, 100);
    test::pointService(f.engine().serviceTable(), 1, u"127.0.0.1"_s, server.port());
    ui(f).namesListbox->setItemIndex(0);
    f.namesListboxClick();
    ui(f).messageMemo->setPlainText(u"Later"_s);
    dialogs.whileModal = [&](QWidget& w) {
        EXPECT_EQ(w.pos(), QPoint(250, 150));
        ui(later()).timeEdit->setText(u"6:45"_s);
        ui(later()).amPmComboBox->setCurrentText(u"PM"_s);
        ui(later()).sendButton->click();
    };
    ui(f).SendFutureDelivery1->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return ui(f).messageStatusLabel->text() == u"SUCCESS"_s; }, 8000));
    EXPECT_EQ(server.lines().front(), "HOLD 130130184500");

    // While a job runs, an accepted time starts nothing and is not left for that job to pick up.
    ASSERT_TRUE(test::waitUntil([&] { return f.engine().isIdle(); }));
    test::ScriptedSnppServer silent(nullptr, test::ScriptedSnppServer::Reply::none());
    test::pointService(f.engine().serviceTable(), 1, u"127.0.0.1"_s, silent.port());
    QTest::mouseClick(ui(f).sendButton, Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return silent.sessions() == 1; }));
    ASSERT_TRUE(f.engine().jobRunning());
    ui(f).SendFutureDelivery1->trigger();
    EXPECT_EQ(hold(), u""_s);
    EXPECT_TRUE(dialogs.messages.last().startsWith(u"A send is in progress."_s));
    QTest::mouseClick(ui(f).cancelSendButton, Qt::LeftButton);
    EXPECT_TRUE(f.engine().isIdle());
    EXPECT_TRUE(silent.lines().empty());
}

} // namespace
} // namespace corvane
