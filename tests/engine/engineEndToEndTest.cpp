// The engine through the real socket client, against scripted SNPP servers on 127.0.0.1, with a
// real contacts table.
#include "contacts/contactsStore.h"
#include "engine/eventLoopDeferredRequests.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "eventLoopWait.h"
#include "fixedClock.h"
#include "namedRows.h"
#include "otherProgram.h"
#include "printers.h"
#include "recordingOutputs.h"
#include "scriptedSnppServer.h"
#include "settings/activityLog.h"
#include "settings/settings.h"
#include "socketEngineFixture.h"
#include "transport/socketClient.h"

#include <QFile>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;
using test::ScriptedSnppServer;
using Reply = ScriptedSnppServer::Reply;

class EngineEndToEnd : public test::SocketEngineFixture {
protected:
    EngineEndToEnd()
        : SocketEngineFixture({{u"Ann"_s, u"101"_s, 1, {4}},
                               {u"Bob"_s, u"102"_s, 1, {4}},
                               {u"Cy"_s, u"201"_s, 2, {4}},
                               {u"Dee"_s, u"202"_s, 2, {4}}},
                              333) {}
    void pointServiceAt(int service, const ScriptedSnppServer& server) {
        pointService(service, u"127.0.0.1"_s, server.port());
    }
    bool waitForPhase(const QString& phase) {
        return test::waitUntil([&] { return outputs.phase == phase; }, 8000);
    }
    // The outcome shows before the goodbye: the job is idle once the server has answered QUIT (or
    // closed), so by then the server has taken in every line.
    bool waitForIdle() {
        return test::waitUntil([&] { return engine.job().state == EngineState::Idle; });
    }
    RecipientSelection selection(const QString& marker) {
        RecipientSelection s;
        s.toMarker = marker;
        s.message = u"Meet at gate 4"_s;
        return s;
    }
};

TEST_F(EngineEndToEnd, SingleContactIsPagedAndTheConnectionClosed) {
    ScriptedSnppServer server;
    pointServiceAt(1, server);
    engine.sendButtonClick(selection(u"Bob"_s));
    ASSERT_TRUE(waitForPhase(u"SUCCESS"_s));
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(server.lines(), (std::vector<std::string>{"PAGE 102", "MESS Meet at gate 4", "SEND", "QUIT"}));
    EXPECT_EQ(outputs.status, u""_s);
}

TEST_F(EngineEndToEnd, DirectIdEntryGoesToServiceOne) {
    ScriptedSnppServer server;
    pointServiceAt(1, server);
    RecipientSelection direct = selection(u"DIRECT ID ENTRY"_s);
    direct.idField = u"9998887"_s;
    engine.sendButtonClick(direct);
    ASSERT_TRUE(waitForPhase(u"SUCCESS"_s));
    EXPECT_EQ(server.lines().front(), "PAGE 9998887");
}

TEST_F(EngineEndToEnd, GroupOverTwoServicesWithARefusalEndsWithTheTally) {
    ScriptedSnppServer plain([](const std::string& line, int) {
        return line == "PAGE 102" ? Reply("550 Pager unknown\r\n") : ScriptedSnppServer::standardReply(line);
    });
    ScriptedSnppServer encrypted;
    pointServiceAt(1, plain);
    pointServiceAt(2, encrypted);
    RecipientSelection group = selection(u"[Group 4]"_s);
    group.groupMode = true;
    group.highlightedGroup = 4;
    engine.sendButtonClick(group);
    ASSERT_TRUE(waitForPhase(u"DONE"_s)) << outputs.results.join(u'\n').toStdString();
    EXPECT_EQ(outputs.results.last(), u"3 of 4 MESSAGES SENT OK"_s);
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(plain.lines(), (std::vector<std::string>{"PAGE 101", "MESS Meet at gate 4", "SEND", "PAGE 102", "QUIT"}));
    const auto lines = encrypted.lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "PAGE 201");
    EXPECT_EQ(lines[1].rfind("MESS SNPPENCRYPTED001", 0), 0u) << lines[1];
    EXPECT_EQ(lines[1], lines[4]) << "the same text gives the same encrypted line";
    EXPECT_EQ(lines[6], "QUIT");
}

TEST_F(EngineEndToEnd, ServerClosingInTheMiddleOfABatchMovesTheJobOn) {
    ScriptedSnppServer dropping([](const std::string& line, int) {
        return line == "PAGE 102" ? Reply("", true) : ScriptedSnppServer::standardReply(line);
    });
    ScriptedSnppServer second;
    pointServiceAt(1, dropping);
    pointServiceAt(2, second);
    RecipientSelection names = selection(u"[selected names]"_s);
    names.tickedNames = {u"Ann"_s, u"Bob"_s, u"Cy"_s};
    engine.sendButtonClick(names);
    ASSERT_TRUE(waitForPhase(u"DONE"_s)) << outputs.results.join(u'\n').toStdString();
    EXPECT_EQ(outputs.results.last(), u"2 of 3 MESSAGES SENT OK"_s);
    EXPECT_EQ(second.lines().front(), "PAGE 201");
}

// The gateway sends the second half of its reply only once the client has taken in the first
// half on its own, so the two halves are sure to arrive as two deliveries.
TEST_F(EngineEndToEnd, ReplySplitOverTwoSegmentsStillCounts) {
    // Counts what the client hands the engine; the gateway's thread waits on the count.
    class CountingEvents final : public TcpClientEvents {
    public:
        explicit CountingEvents(TcpClientEvents& engine)
            : m_engine(engine) {}
        std::atomic<int> deliveries{0};
        std::mutex mutex;
        QStringList texts;

        void clientSocketConnected(TcpClient& s, int code, const QString& d) override {
            m_engine.clientSocketConnected(s, code, d);
        }
        void clientSocketDataIn(TcpClient& s, const QString& text, bool eol) override {
            {
                std::lock_guard lock(mutex);
                texts.append(text);
            }
            ++deliveries;
            m_engine.clientSocketDataIn(s, text, eol);
        }
        void clientSocketDisconnected(TcpClient& s, int code, const QString& d) override {
            m_engine.clientSocketDisconnected(s, code, d);
        }
        void clientSocketError(TcpClient& s, int code, const QString& d) override {
            m_engine.clientSocketError(s, code, d);
        }

    private:
        TcpClientEvents& m_engine;
    } counting(engine);
    client.setEvents(&counting);

    ScriptedSnppServer splitting([&](const std::string& line, int) {
        if (line.rfind("PAGE", 0) != 0) {
            return ScriptedSnppServer::standardReply(line);
        }
        Reply halves = Reply::split({"25", "0 Pager ok\r\n"});
        const int before = counting.deliveries.load();
        halves.between = [&counting, before] {
            for (int waited = 0; counting.deliveries.load() == before && waited < 5000; ++waited) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
        return halves;
    });
    pointServiceAt(1, splitting);
    engine.sendButtonClick(selection(u"Ann"_s));
    ASSERT_TRUE(waitForPhase(u"SUCCESS"_s)) << outputs.status.toStdString();
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(splitting.lines().back(), "QUIT");
    std::lock_guard lock(counting.mutex);
    EXPECT_TRUE(counting.texts.contains(u"25"_s)) << "the first half came on its own";
}

struct MidJobChange {
    const char* what;
    const char* otherProgram; // run while Ann's page is under way
    std::vector<std::string> pages;
    QStringList notPaged;
    // Instead of otherProgram: before the job, given the table's path, makes what act puts in place
    // while Ann's page is under way.
    std::function<std::function<void()>(const QString& file)> prepare;
};

// A copy of the table made now, with Bob's pager ID changed in it by SQLite.
QString copyWithBobAt999(const QString& file, const char* moreSql = "") {
    const QString copy = file + u".new"_s;
    QFile::remove(copy);
    EXPECT_TRUE(QFile::copy(file, copy));
    test::OtherProgram program(copy);
    const QByteArray sql =
        QByteArray("BEGIN; UPDATE contacts SET id = '999' WHERE name = 'Bob'; ") + moreSql + " COMMIT;";
    EXPECT_EQ(program.run(sql.constData()), 0);
    return copy;
}

class ChangeBetweenRecipients : public EngineEndToEnd, public ::testing::WithParamInterface<MidJobChange> {};

// The job has read its group whole before paging; another program's change made between two
// recipients is still what the second one is paged with (or not paged, when it is gone).
TEST_P(ChangeBetweenRecipients, IsSeenByTheNextRecipient) {
    const MidJobChange& c = GetParam();
    const QString file = dataModule.tableFilePath();
    const std::function<void()> act = c.prepare ? c.prepare(file) : nullptr;
    bool changed = false;
    ScriptedSnppServer one([&](const std::string& line, int) {
        if (line == "PAGE 101" && !changed) {
            changed = true;
            if (act) {
                act();
            } else {
                test::OtherProgram program(file);
                EXPECT_EQ(program.run(c.otherProgram), 0);
            }
        }
        return ScriptedSnppServer::standardReply(line);
    });
    ScriptedSnppServer two;
    pointServiceAt(1, one);
    pointServiceAt(2, two);
    RecipientSelection s = selection(u"[Group 4]"_s);
    s.groupMode = true;
    s.highlightedGroup = 4;
    engine.sendButtonClick(s);
    ASSERT_TRUE(test::waitUntil([&] { return !outputs.reports.empty(); }, 8000));
    ASSERT_TRUE(waitForIdle());
    std::vector<std::string> pages;
    for (const std::string& line : one.lines()) {
        if (line.rfind("PAGE", 0) == 0) {
            pages.push_back(line);
        }
    }
    EXPECT_EQ(pages, c.pages);
    EXPECT_EQ(outputs.notPaged, c.notPaged);
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangeBetweenRecipients,
                         ::testing::Values(MidJobChange{"a new pager ID",
                                                        "UPDATE contacts SET id = '999' WHERE name = 'Bob'",
                                                        {"PAGE 101", "PAGE 999"},
                                                        {},
                                                        nullptr},
                                           MidJobChange{"a new password",
                                                        "UPDATE contacts SET password = 'pw' WHERE name = 'Bob'",
                                                        {"PAGE 101", "PAGE 102 pw"},
                                                        {},
                                                        nullptr},
                                           MidJobChange{"deleted",
                                                        "DELETE FROM contacts WHERE name = 'Bob'",
                                                        {"PAGE 101"},
                                                        {u"Bob: no longer in the contacts table"_s},
                                                        nullptr},
                                           MidJobChange{"a copy with an equal change counter written over it",
                                                        nullptr,
                                                        {"PAGE 101", "PAGE 999"},
                                                        {},
                                                        [](const QString& file) -> std::function<void()> {
                                                            // The copy grows by many pages in its one
                                                            // commit; the table takes one small commit:
                                                            // both counters moved by one.
                                                            const QString copy = copyWithBobAt999(
                                                                file, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                                                      "SELECT i + 1 FROM n WHERE i < 400) INSERT "
                                                                      "INTO contacts (name, id, serviceNumber) "
                                                                      "SELECT 'Filler ' || i, i, 3 FROM n;");
                                                            test::OtherProgram program(file);
                                                            EXPECT_EQ(program.run("UPDATE contacts SET password "
                                                                                  "= 'x' WHERE name = 'Dee'"),
                                                                      0);
                                                            return [file, copy] {
                                                                QFile from(copy);
                                                                QFile to(file);
                                                                ASSERT_TRUE(from.open(QIODevice::ReadOnly));
                                                                ASSERT_TRUE(to.open(QIODevice::ReadWrite));
                                                                to.write(from.readAll());
                                                            };
                                                        }},
                                           MidJobChange{"another table renamed over it",
                                                        nullptr,
                                                        {"PAGE 101", "PAGE 999"},
                                                        {},
                                                        [](const QString& file) -> std::function<void()> {
                                                            const QString copy = copyWithBobAt999(file);
                                                            return [file, copy] {
                                                                ASSERT_EQ(::rename(QFile::encodeName(copy).constData(),
                                                                                   QFile::encodeName(file).constData()),
                                                                          0);
                                                            };
                                                        }}),
                         test::NamedByWhat());

// Mended: another program holding a write lock on the contacts table past the lookup's wait, in the
// middle of a group send, costs only the recipients whose lookups ran out of time; they are named
// with the reason, and the job goes on to its tally.
TEST_F(EngineEndToEnd, TableBusyElsewhereMidJobCostsOnlyTheLookupsThatTimedOut) {
    std::atomic<bool> locked{false};
    std::thread other;
    const QString file = dataModule.tableFilePath();
    ScriptedSnppServer one([&](const std::string& line, int) {
        if (line == "PAGE 101" && !other.joinable()) {
            // Ann's page is under way: another program changes the table (so that what the job read
            // of it no longer holds), then takes it for longer than one lookup waits, and lets go
            // before a second lookup has waited as long.
            other = std::thread([&] {
                test::OtherProgram program(file);
                program.run("UPDATE contacts SET password = 'changed' WHERE name = 'Ann'");
                program.run("BEGIN EXCLUSIVE");
                locked = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(4500));
                program.run("COMMIT");
            });
            while (!locked) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return ScriptedSnppServer::standardReply(line);
    });
    ScriptedSnppServer two;
    pointServiceAt(1, one);
    pointServiceAt(2, two);
    RecipientSelection s = selection(u"[selected names]"_s);
    s.tickedNames = QStringList{u"Ann"_s, u"Bob"_s, u"Cy"_s};
    engine.sendButtonClick(s);
    const bool ended = test::waitUntil([&] { return !outputs.reports.empty(); }, 20000);
    if (other.joinable()) {
        other.join();
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(outputs.paged, (QStringList{u"Ann"_s, u"Cy"_s}));
    ASSERT_EQ(outputs.notPaged.size(), 1);
    EXPECT_TRUE(
        outputs.notPaged[0].startsWith(u"Bob: The contacts table is in use by another program and could not be read"_s))
        << outputs.notPaged[0].toStdString();
    EXPECT_EQ(outputs.results.last(), u"2 of 3 MESSAGES SENT OK"_s);
    EXPECT_EQ(outputs.phase, u"DONE"_s);
}

} // namespace
} // namespace corvane
