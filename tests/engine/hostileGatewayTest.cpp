// Hostile gateways, through the real socket client and a loopback scripted gateway: whatever the
// gateway does, the job ends, every recipient gets at most one outcome, the tally and the outcome
// are right, and the activity log holds whole lines only. The 333 ms tick runs every 10 ms here, so
// a watchdog of ten seconds (a single page, or the group's time-out of 10) fires after 0.3 s.
#include "contacts/contactsStore.h"
#include "engine/eventLoopDeferredRequests.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "eventLoopWait.h"
#include "fixedClock.h"
#include "namedRows.h"
#include "printers.h"
#include "recordingOutputs.h"
#include "scriptedSnppServer.h"
#include "settings/activityLog.h"
#include "settings/settings.h"
#include "socketEngineFixture.h"
#include "transport/socketClient.h"

#include <QDir>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

using test::ScriptedSnppServer;
using Reply = ScriptedSnppServer::Reply;
using Responder = ScriptedSnppServer::Responder;

// A gateway that answers the commands starting with `verb` with `reply`, and the rest as usual.
Responder on(const std::string& verb, Reply reply) {
    return [verb, reply](const std::string& line, int) {
        return line.rfind(verb, 0) == 0 ? reply : ScriptedSnppServer::standardReply(line);
    };
}

// Every reply split into single bytes.
Responder byteByByte() {
    return [](const std::string& line, int) {
        Reply whole = ScriptedSnppServer::standardReply(line);
        Reply split = Reply::byteByByte(whole.segments.front(), 1);
        split.close = whole.close;
        return split;
    };
}

enum class Single { Success, Fail, NotStarted };

struct Cell {
    const char* what;
    Reply greeting;
    Responder responder; // null: a well-behaved gateway
    Single single;       // the outcome of a single page through this gateway
    int groupSentOk;     // of the four recipients of a group (two here, two on a good gateway)
    int port = 0;        // 0: the hostile gateway's; -1: a port where nothing listens
    QString host = u"127.0.0.1"_s;
};

const Reply ready("220 ready\r\n");

std::vector<Cell> cells() {
    Reply never = Reply::none();
    Reply closeAfterGreeting("220 ready\r\n");
    closeAfterGreeting.close = true;
    Reply resetAfterGreeting = closeAfterGreeting;
    resetAfterGreeting.reset = true;
    Reply goAway("421 Too busy, goodbye\r\n", true);
    Reply late("250 OK\r\n");
    late.delayMs = 1000;
    std::string garbage;
    for (int i = 0; i < 64; ++i) {
        garbage += static_cast<char>((i * 73 + 11) % 256);
    }
    return {
        {"random bytes for PAGE", ready, on("PAGE", Reply(garbage + "\r\n")), Single::Fail, 2},
        {"1 MB reply without a line end", ready, on("PAGE", Reply(std::string(1 << 20, 'x'))), Single::Fail, 2},
        {"NUL bytes inside the replies", ready,
         [](const std::string& line, int) {
             Reply r = ScriptedSnppServer::standardReply(line);
             r.segments.front().insert(3, 1, '\0');
             return r;
         },
         Single::Success, 4},
        {"replies split byte by byte", Reply::byteByByte("220 ready\r\n", 1), byteByByte(), Single::Success, 4},
        {"several replies in one delivery", ready, on("PAGE", Reply("250 OK\r\n250 OK\r\n250 OK\r\n")), Single::Success,
         4},
        {"accepts and never speaks", never, nullptr, Single::Fail, 2},
        {"closes after the greeting", closeAfterGreeting, nullptr, Single::Fail, 2},
        {"resets after the greeting", resetAfterGreeting, nullptr, Single::Fail, 2},
        {"closes on PAGE", ready, on("PAGE", Reply::hangUp(false)), Single::Fail, 2},
        {"resets on PAGE", ready, on("PAGE", Reply::hangUp(true)), Single::Fail, 2},
        {"closes in the middle of MESS", ready, on("MESS", Reply::split({"25"})), Single::Fail, 2},
        {"resets on MESS", ready, on("MESS", Reply::hangUp(true)), Single::Fail, 2},
        {"closes on SEND", ready, on("SEND", Reply::hangUp(false)), Single::Fail, 2},
        {"closes before its goodbye", ready, on("QUIT", Reply::hangUp(false)), Single::Success, 4},
        {"resets before its goodbye", ready, on("QUIT", Reply::hangUp(true)), Single::Success, 4},
        {"421 instead of the greeting", goAway, nullptr, Single::Fail, 2},
        {"421 to PAGE", ready, on("PAGE", Reply("421 Shutting down\r\n")), Single::Fail, 2},
        {"421 to MESS", ready, on("MESS", Reply("421 Shutting down\r\n")), Single::Fail, 2},
        {"421 to SEND", ready, on("SEND", Reply("421 Shutting down\r\n")), Single::Fail, 2},
        {"421 to QUIT", ready, on("QUIT", Reply("421 Shutting down\r\n")), Single::Success, 4},
        {"a reply after the time-out", ready, on("PAGE", late), Single::Fail, 2},
        {"nothing listens", ready, nullptr, Single::Fail, 2, -1},
        {"no such host", ready, nullptr, Single::NotStarted, 2, 0, u"no-such-host.invalid"_s},
    };
}

class HostileGateway : public test::SocketEngineFixture, public ::testing::WithParamInterface<Cell> {
protected:
    HostileGateway()
        : SocketEngineFixture({{u"Ann"_s, u"101"_s, 1, {}},
                               {u"Bob"_s, u"102"_s, 1, {}},
                               {u"Cy"_s, u"201"_s, 2, {}},
                               {u"Dee"_s, u"202"_s, 2, {}}},
                              10) {
        QDir().mkdir(u"logs"_s);
        settings.loggingEnabled = true;
        settings.timeout = 10;
    }
    // Sends and waits for the job's end; false when it never ended.
    bool sendAndWait(const RecipientSelection& selection) {
        engine.sendButtonClick(selection);
        if (engine.isIdle() && outputs.reports.empty()) {
            return true; // never started
        }
        return test::waitUntil([&] { return !outputs.reports.empty(); }, 15000);
    }
    // Every line of the day's log is whole: a time stamp, a comma, and its own line end.
    void expectWholeLogLines() {
        const QStringList logs = QDir(u"logs"_s).entryList(QDir::Files);
        static const QRegularExpression whole(u"^\\d{1,2}:\\d\\d:\\d\\d( [AP]M)?, [^\\r\\n]*$"_s);
        for (const QString& name : logs) {
            const QByteArray bytes = dir.read(u"logs/"_s + name);
            EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n")) << "last line cut";
            for (const QByteArray& line : bytes.split('\n')) {
                if (!line.isEmpty()) {
                    EXPECT_TRUE(line.endsWith('\r') && whole.match(QString::fromLatin1(line.chopped(1))).hasMatch())
                        << line.toStdString();
                }
            }
        }
    }
    // Every chosen recipient has exactly one outcome: in the results list, "Sending to" followed by
    // "MESSAGE SENT OK", or a "NOT SENT" line naming it; and to a program waiting on the job, paged
    // or not paged. Nobody is tried twice.
    void expectOneOutcomeEach(const QStringList& chosen) {
        QStringList tried;
        QStringList fromResults;
        QString pending;
        for (const QString& line : outputs.results) {
            if (line.startsWith(u"Sending to: "_s)) {
                EXPECT_FALSE(tried.contains(line)) << "paged twice: " << line.toStdString();
                tried.append(line);
                pending = line.mid(12).chopped(4);
            } else if (line == u"MESSAGE SENT OK"_s) {
                EXPECT_FALSE(pending.isEmpty()) << "an outcome with no recipient before it";
                fromResults.append(std::exchange(pending, QString()));
            } else if (line.startsWith(u"NOT SENT: "_s)) {
                fromResults.append(line.mid(10).section(u" ("_s, 0, 0));
                pending.clear();
            }
        }
        QStringList fromOutcomes;
        for (const RecipientOutcome& outcome : outputs.outcomes) {
            fromOutcomes.append(outcome.name);
            EXPECT_EQ(outcome.paged, outcome.reason.isEmpty()) << outcome.name.toStdString();
        }
        QStringList expected = chosen;
        expected.sort();
        fromResults.sort();
        fromOutcomes.sort();
        EXPECT_EQ(fromResults, expected) << outputs.results.join(u'\n').toStdString();
        EXPECT_EQ(fromOutcomes, expected);
        EXPECT_EQ(outputs.paged.size(), outputs.results.count(u"MESSAGE SENT OK"_s));
    }
};

TEST_P(HostileGateway, SinglePageEndsWithTheRightOutcome) {
    const Cell& cell = GetParam();
    ScriptedSnppServer hostile(cell.responder, cell.greeting);
    test::RefusingPort refusing;
    pointService(1, cell.host, cell.port < 0 ? refusing.port() : hostile.port());
    settings.timeout = 0; // the single page's own watchdog still ends it
    RecipientSelection single;
    single.toMarker = u"Ann"_s;
    single.message = u"hello"_s;
    ASSERT_TRUE(sendAndWait(single)) << "the job never ended";
    if (cell.single == Single::NotStarted) {
        EXPECT_TRUE(outputs.reports.empty());
        EXPECT_TRUE(outputs.status.startsWith(u"Error setting remotehost: "_s));
    } else {
        ASSERT_EQ(outputs.reports.size(), 1u);
        EXPECT_EQ(outputs.reports[0].outcome,
                  cell.single == Single::Success ? JobReport::Outcome::Success : JobReport::Outcome::Fail);
        EXPECT_EQ(outputs.phase, cell.single == Single::Success ? u"SUCCESS"_s : u"FAIL"_s);
    }
    EXPECT_TRUE(test::waitUntil([&] { return engine.isIdle(); }, 15000));
    ASSERT_EQ(outputs.outcomes.size(), 1u) << "one outcome for the one recipient";
    EXPECT_EQ(outputs.outcomes[0].name, u"Ann"_s);
    EXPECT_EQ(outputs.outcomes[0].paged, cell.single == Single::Success);
    expectWholeLogLines();
}

TEST_P(HostileGateway, GroupOverTwoServicesEndsWithTheRightTally) {
    const Cell& cell = GetParam();
    ScriptedSnppServer hostile(cell.responder, cell.greeting);
    ScriptedSnppServer good;
    test::RefusingPort refusing;
    pointService(1, cell.host, cell.port < 0 ? refusing.port() : hostile.port());
    pointService(2, u"127.0.0.1"_s, good.port());
    RecipientSelection group;
    group.tickedNames = QStringList{u"Ann"_s, u"Bob"_s, u"Cy"_s, u"Dee"_s};
    group.toMarker = u"[selected names]"_s;
    group.message = u"hello"_s;
    ASSERT_TRUE(sendAndWait(group)) << "the job never ended";
    ASSERT_EQ(outputs.reports.size(), 1u);
    const JobReport& report = outputs.reports[0];
    EXPECT_EQ(report.outcome, JobReport::Outcome::Tally);
    EXPECT_EQ(report.total, 4);
    EXPECT_EQ(report.sentOk, cell.groupSentOk);
    EXPECT_EQ(report.allPaged(), cell.groupSentOk == 4);
    EXPECT_EQ(outputs.results.count(u"MESSAGE SENT OK"_s), cell.groupSentOk);
    EXPECT_EQ(outputs.results.last(), u"%1 of 4 MESSAGES SENT OK"_s.arg(cell.groupSentOk));
    expectOneOutcomeEach(group.tickedNames);
    expectWholeLogLines();
}

// With no time-out a gateway that never speaks holds the job until the operator cancels; Cancel
// ends that connection only, and the job goes on with the next service.
TEST_F(HostileGateway, SilentGatewayWithoutATimeoutIsEndedByCancel) {
    ScriptedSnppServer silent(nullptr, Reply::none());
    ScriptedSnppServer good;
    pointService(1, u"127.0.0.1"_s, silent.port());
    pointService(2, u"127.0.0.1"_s, good.port());
    settings.timeout = 0;
    RecipientSelection group;
    group.tickedNames = QStringList{u"Ann"_s, u"Cy"_s};
    group.toMarker = u"[selected names]"_s;
    group.message = u"hello"_s;
    engine.sendButtonClick(group);
    ASSERT_TRUE(test::waitUntil([&] { return outputs.phase == u"CONNECTED..."_s; }, 5000));
    test::runEventsFor(200);
    EXPECT_TRUE(outputs.reports.empty()) << "nothing ends it but the operator";
    engine.cancelSendButtonClick();
    ASSERT_TRUE(test::waitUntil([&] { return !outputs.reports.empty(); }, 5000));
    EXPECT_EQ(outputs.reports[0].sentOk, 1);
    EXPECT_EQ(outputs.results.last(), u"1 of 2 MESSAGES SENT OK"_s);
}

INSTANTIATE_TEST_SUITE_P(Matrix, HostileGateway, ::testing::ValuesIn(cells()), test::NamedByWhat());

} // namespace
} // namespace corvane
