// corvane-gateway: its SNPP dialogue with each knob, and the real engine paging it over loopback.
#include "app/gateway/gatewayServer.h"
#include "app/gateway/snppSession.h"
#include "contacts/contactsStore.h"
#include "engine/eventLoopDeferredRequests.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "engine/snppCommands.h"
#include "eventLoopWait.h"
#include "fixedClock.h"
#include "printers.h"
#include "recordingOutputs.h"
#include "settings/activityLog.h"
#include "settings/settings.h"
#include "socketEngineFixture.h"
#include "transport/socketClient.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using gateway::GatewayRules;
using gateway::PageSent;
using gateway::SnppSession;

// The first reply line to each command, without its line end, and the pages sent.
struct Dialogue {
    QStringList replies;
    std::vector<PageSent> pages;
    std::vector<int> delays;
};

Dialogue talk(const GatewayRules& rules, const QStringList& commands) {
    Dialogue d;
    SnppSession session(rules, [&](const std::vector<PageSent>& pages) {
        d.pages.insert(d.pages.end(), pages.begin(), pages.end());
        return true;
    });
    for (const QString& command : commands) {
        const auto replies = session.handleLine(command);
        d.replies.append(replies.back().text.chopped(2));
        d.delays.push_back(replies.back().delayMs);
    }
    return d;
}

TEST(GatewaySession, AnswersAsAnSnppGatewayWithEachKnob) {
    struct Case {
        const char* what;
        GatewayRules rules;
        QStringList commands;
        QStringList codes; // the first three characters of each reply
        int pages;
    };
    GatewayRules refusing;
    refusing.refusedIds = {u"666"_s};
    GatewayRules small;
    small.maxMessage = 5;
    GatewayRules login;
    login.loginId = u"ops"_s;
    login.loginPassword = u"pw"_s;
    const Case cases[] = {
        {"a page", {}, {u"PAGE 1"_s, u"MESS hi"_s, u"SEND"_s, u"QUIT"_s}, {u"250"_s, u"250"_s, u"250"_s, u"221"_s}, 1},
        {"two pagers, one message",
         {},
         {u"PAGE 1"_s, u"PAGE 2 pw"_s, u"MESS hi"_s, u"SEND"_s},
         {u"250"_s, u"250"_s, u"250"_s, u"250"_s},
         2},
        {"out of order",
         {},
         {u"MESS hi"_s, u"SEND"_s, u"PAGE 1"_s, u"MESS a"_s, u"MESS b"_s},
         {u"503"_s, u"503"_s, u"250"_s, u"250"_s, u"503"_s},
         0},
        {"reset after SEND",
         {},
         {u"PAGE 1"_s, u"MESS a"_s, u"SEND"_s, u"SEND"_s},
         {u"250"_s, u"250"_s, u"250"_s, u"503"_s},
         1},
        {"RESE", {}, {u"PAGE 1"_s, u"MESS a"_s, u"RESE"_s, u"SEND"_s}, {u"250"_s, u"250"_s, u"250"_s, u"503"_s}, 0},
        {"bad HOLD", {}, {u"HOLD 2612"_s, u"HOLD 261231120000"_s}, {u"550"_s, u"250"_s}, 0},
        {"HOLD at a moment that does not exist",
         {},
         {u"HOLD 991399999999"_s, u"HOLD 260230120000"_s, u"HOLD 261231250000"_s, u"HOLD 261231126000"_s,
          u"HOLD 261231120000 +2500"_s, u"HOLD 280229235959 -0530"_s},
         {u"550"_s, u"550"_s, u"550"_s, u"550"_s, u"550"_s, u"250"_s},
         0},
        {"unknown command", {}, {u"XYZZY"_s}, {u"500"_s}, 0},
        {"refused pager", refusing, {u"PAGE 666"_s, u"PAGE 7"_s}, {u"550"_s, u"250"_s}, 0},
        {"message too long",
         small,
         {u"PAGE 1"_s, u"MESS 123456"_s, u"MESS 12345"_s, u"SEND"_s},
         {u"250"_s, u"550"_s, u"250"_s, u"250"_s},
         1},
        {"login required",
         login,
         {u"PAGE 1"_s, u"LOGI ops bad"_s, u"PAGE 1"_s, u"LOGI ops pw"_s, u"PAGE 1"_s},
         {u"530"_s, u"550"_s, u"530"_s, u"250"_s, u"250"_s},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Dialogue d = talk(c.rules, c.commands);
        QStringList codes;
        for (const QString& reply : d.replies) {
            codes.append(reply.left(3));
        }
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(int(d.pages.size()), c.pages);
    }
}

// A transaction holds a bounded number of pagers: past it PAGE is refused, and SEND pages those
// taken. Without the bound, PAGE lines without SEND grow the gateway without end.
TEST(GatewaySession, ATransactionTakesABoundedNumberOfPagers) {
    QStringList commands;
    for (int i = 0; i <= SnppSession::maxPagersPerTransaction; ++i) {
        commands.append(u"PAGE "_s + QString::number(1000 + i));
    }
    commands.append({u"MESS hi"_s, u"SEND"_s, u"PAGE 1"_s});
    const Dialogue d = talk({}, commands);
    const int max = SnppSession::maxPagersPerTransaction;
    EXPECT_EQ(d.replies.mid(max - 1, 1).value(0).left(3), u"250"_s);
    EXPECT_TRUE(d.replies.value(max).startsWith(u"550 "_s)) << d.replies.value(max).toStdString();
    EXPECT_EQ(int(d.pages.size()), max);
    EXPECT_EQ(d.replies.last().left(3), u"250"_s) << "the next transaction starts empty";
}

// A page the gateway cannot record is refused to the sender, never answered as sent.
TEST(GatewaySession, APageThatCannotBeRecordedIsRefused) {
    int offered = 0;
    const GatewayRules rules; // the session keeps a reference to its rules
    SnppSession session(rules, [&](const std::vector<PageSent>& pages) {
        offered += static_cast<int>(pages.size());
        return false;
    });
    for (const QString& command : {u"PAGE 1"_s, u"PAGE 2"_s, u"MESS hi"_s}) {
        session.handleLine(command);
    }
    const auto replies = session.handleLine(u"SEND"_s);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(replies[0].text.startsWith(u"554 "_s)) << replies[0].text.toStdString();
    EXPECT_EQ(offered, 2);
    EXPECT_EQ(session.handleLine(u"SEND"_s)[0].text.left(3), u"503"_s) << "the transaction is over";
}

TEST(GatewaySession, SendIsSlowUnlessTheQueueCommandCameFirst) {
    GatewayRules queueing;
    queueing.queueCommand = u"SITE JQUEUE YES"_s;
    queueing.slowSendMs = 20000;
    const Dialogue d = talk(
        queueing, {u"PAGE 1"_s, u"MESS a"_s, u"SEND"_s, u"site jqueue yes"_s, u"PAGE 1"_s, u"MESS a"_s, u"SEND"_s});
    EXPECT_EQ(d.delays, (std::vector<int>{0, 0, 20000, 0, 0, 0, 0}));
    EXPECT_EQ(d.pages.size(), 2u);
}

TEST(GatewaySession, EncryptedFormIsDecodedAndMarked) {
    const QString message = u"Meet at gate 4, \u00e9t\u00e9"_s;
    const QString mess = encryptedMessLine(message).chopped(2); // as the engine sends it
    const Dialogue d = talk({}, {u"PAGE 9 secret"_s, mess, u"HOLD 261231120000"_s, u"SEND"_s});
    ASSERT_EQ(d.pages.size(), 1u);
    EXPECT_EQ(d.pages[0].message, message);
    EXPECT_TRUE(d.pages[0].encrypted);
    EXPECT_TRUE(d.pages[0].withPassword);
    EXPECT_EQ(d.pages[0].hold, u"261231120000"_s);
}

// The engine pages the gateway as it would a paging service: a group over both services, one of
// them taking the encrypted form, with a refused pager among them.
class GatewayEndToEnd : public test::SocketEngineFixture {
protected:
    GatewayEndToEnd()
        : SocketEngineFixture({{u"Ann"_s, u"101"_s, 1, {4}}, {u"Bob"_s, u"666"_s, 1, {4}}, {u"Cy"_s, u"201"_s, 2, {4}}},
                              333) {}
};

TEST_F(GatewayEndToEnd, GroupIsPagedThroughTheGateway) {
    GatewayRules rules;
    rules.refusedIds = {u"666"_s};
    std::vector<PageSent> pages;
    gateway::GatewayServer server(rules, 60, [&](const std::vector<PageSent>& sent) {
        pages.insert(pages.end(), sent.begin(), sent.end());
        return true;
    });
    QString error;
    ASSERT_TRUE(server.listen(u"127.0.0.1"_s, 0, error)) << error.toStdString();
    pointService(1, u"127.0.0.1"_s, server.port());
    pointService(2, u"127.0.0.1"_s, server.port());
    RecipientSelection group;
    group.groupMode = true;
    group.highlightedGroup = 4;
    group.toMarker = u"[Group 4]"_s;
    group.message = u"Fire drill"_s;
    engine.sendButtonClick(group);
    ASSERT_TRUE(test::waitUntil([&] { return !outputs.reports.empty(); }, 10000));
    EXPECT_EQ(outputs.results.last(), u"2 of 3 MESSAGES SENT OK"_s);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].pagerId, u"101"_s);
    EXPECT_FALSE(pages[0].encrypted);
    EXPECT_EQ(pages[1].pagerId, u"201"_s);
    EXPECT_TRUE(pages[1].encrypted);
    EXPECT_EQ(pages[1].message, u"Fire drill"_s);
    EXPECT_TRUE(test::waitUntil([&] { return server.connectionCount() == 0; }, 5000)) << "connections end";
}

} // namespace
} // namespace corvane
