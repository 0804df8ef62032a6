// corvane-page as its users run it: the real program, built to page scripted SNPP servers on
// 127.0.0.1, in a directory of its own with a real contacts table and settings file. That build
// takes each service's port from the environment, so every test hands it the ports its own servers
// were given.
#include "contactsFixture.h"
#include "eventLoopWait.h"
#include "hostileFiles.h"
#include "namedRows.h"
#include "otherProgram.h"
#include "platform/oneBased.h"
#include "printers.h"
#include "scriptedSnppServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

using test::ScriptedSnppServer;
using Reply = ScriptedSnppServer::Reply;

struct Outcome {
    int exitCode = -1;
    QStringList out;
    QStringList err;
};

class CorvanePage : public test::ContactsFixture {
protected:
    CorvanePage() {
        ports[1] = ports[2] = refusing.port();
        QFile::copy(QString::fromUtf8(CORVANE_PAGE_LOOPBACK), dir.filePath(u"corvane-page"_s));
        contactsCursor cursor(dataModule);
        cursor.Open();
        addContact(cursor, u"Ann Lee"_s, u"101"_s, 1, {3});
        addContact(cursor, u"Bob"_s, u"102"_s, 1, {3});
        addContact(cursor, u"Cy"_s, u"201"_s, 2, {3});
        cursor.Close();
    }

    Outcome run(const QStringList& args, const QByteArray& input = {}) {
        QProcess process;
        return run(process, args, input);
    }
    // Service 1 or 2 pages this server; a service given none refuses the connection.
    void serve(int service, const ScriptedSnppServer& server) { ports[service] = server.port(); }

    Outcome run(QProcess& process, const QStringList& args, const QByteArray& input = {}) {
        process.setWorkingDirectory(startedIn.isEmpty() ? dir.path() : startedIn);
        setServicePorts(process);
        process.start(dir.filePath(u"corvane-page"_s), args);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000));
        Outcome r;
        r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = QString::fromLocal8Bit(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        r.err = QString::fromLocal8Bit(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        return r;
    }
    // Runs the build made for a gateway that takes 128 characters and must be told to queue.
    void useQueueingBuild() {
        QFile::remove(dir.filePath(u"corvane-page"_s));
        QFile::copy(QString::fromUtf8(CORVANE_PAGE_QUEUEING), dir.filePath(u"corvane-page"_s));
    }
    void setServicePorts(QProcess& process) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"CORVANE_TEST_SERVICE1_PORT"_s, QString::number(ports[1]));
        environment.insert(u"CORVANE_TEST_SERVICE2_PORT"_s, QString::number(ports[2]));
        if (!timeZone.isEmpty()) {
            environment.insert(u"TZ"_s, timeZone);
        }
        process.setProcessEnvironment(environment);
    }
    QByteArray todaysLog() {
        const QStringList logs = QDir(dir.filePath(u"logs"_s)).entryList(QDir::Files);
        return logs.size() == 1 ? dir.read(u"logs/"_s + logs.first()) : QByteArray();
    }

    const test::RefusingPort refusing;
    OneBased<int, 2> ports;
    QString startedIn; // the working directory corvane-page is started in; empty: the test's own
    QString timeZone;  // TZ for corvane-page; empty: the test's own
};

TEST_F(CorvanePage, SingleContactPrintsSuccessAndExitsZero) {
    ScriptedSnppServer server(nullptr, "220 ready\r\n");
    serve(1, server);
    const Outcome r = run({u"--to"_s, u"Ann Lee"_s, u"Server room is hot"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(r.out, QStringList{u"SUCCESS"_s});
    EXPECT_EQ(server.lines(), (std::vector<std::string>{"PAGE 101", "MESS Server room is hot", "SEND", "QUIT"}));
}

TEST_F(CorvanePage, TickedNamesOverTwoServicesReportEachRecipientAndTheTally) {
    ScriptedSnppServer one(
        [](const std::string& line, int) {
            return line == "PAGE 102" ? Reply("550 No such pager\r\n") : ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, one);
    ScriptedSnppServer two(nullptr, "220 ready\r\n");
    serve(2, two);
    const Outcome r = run({u"--to"_s, u"Cy"_s, u"--to"_s, u"Bob"_s, u"--to"_s, u"Ann Lee"_s, u"-"_s}, "Fire drill\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              (QStringList{u"CONNECTING TO SERVICE: LOOPBCK ..."_s, u"Sending to: Bob ..."_s,
                           u"NOT SENT: Bob (550 No such pager)"_s, u"Sending to: Ann Lee ..."_s, u"MESSAGE SENT OK"_s,
                           u"CONNECTING TO SERVICE: LOOPBCK -ENCRY ..."_s, u"Sending to: Cy ..."_s,
                           u"MESSAGE SENT OK"_s, u"2 of 3 MESSAGES SENT OK"_s, u"DONE"_s}));
    EXPECT_EQ(r.err.filter(u"not paged"_s), QStringList{u"corvane-page: not paged: Bob (550 No such pager)"_s});
    EXPECT_EQ(one.lines()[0], "PAGE 102");
    EXPECT_EQ(one.lines()[2], "MESS Fire drill") << "the line end from standard input is not paged";
    ASSERT_FALSE(two.lines().empty());
    EXPECT_EQ(two.lines()[1].rfind("MESS SNPPENCRYPTED001", 0), 0u) << "service 2 takes the encrypted form";
}

TEST_F(CorvanePage, GroupWithHoldValueAllPagedExitsZero) {
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    ScriptedSnppServer two(nullptr, "220 ready\r\n");
    serve(2, two);
    const Outcome r = run({u"--group"_s, u"3"_s, u"--hold"_s, u"261210083000"_s, u"Standup moved"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(r.out.last(), u"DONE"_s);
    EXPECT_EQ(r.out[r.out.size() - 2], u"3 of 3 MESSAGES SENT OK"_s);
    EXPECT_EQ(one.lines().front(), "HOLD 261210083000");
    EXPECT_EQ(two.lines().front(), "HOLD 261210083000");
}

TEST_F(CorvanePage, DirectIdGoesToServiceOne) {
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    const Outcome r = run({u"--id"_s, u"4445556"_s, u"Call NOC"_s});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(one.lines().front(), "PAGE 4445556");
}

TEST_F(CorvanePage, SilentServerIsEndedByTheWatchdog) {
    dir.write(u"corvane3.ini"_s, "[General]\r\ntimeout=2\r\n[LOGGING]\r\nloggingEnabled=1\r\n");
    ScriptedSnppServer silent([](const std::string&, int) { return Reply::none(); }, "");
    serve(1, silent);
    const Outcome r = run({u"--to"_s, u"Ann Lee"_s, u"--to"_s, u"Bob"_s, u"Anyone there?"_s});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.last(), u"DONE"_s);
    EXPECT_EQ(r.out[r.out.size() - 2], u"0 of 2 MESSAGES SENT OK"_s);
    QStringList logs = QDir(dir.filePath(u"logs"_s)).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(dir.read(u"logs/"_s + logs.first()).contains("ERROR: Timeout when sending to service."));
}

TEST_F(CorvanePage, BadArgumentsAndRefusedSelectionsExitTwo) {
    struct Case {
        const char* what;
        QStringList args;
        QString errorStart;
    };
    const Case cases[] = {
        {"no recipient", {u"hello"_s}, u"corvane-page: choose the recipients one way"_s},
        {"two ways at once", {u"--to"_s, u"Bob"_s, u"--group"_s, u"3"_s, u"hi"_s}, u"corvane-page: choose"_s},
        {"group out of range", {u"--group"_s, u"11"_s, u"hi"_s}, u"corvane-page: --group takes"_s},
        {"short hold", {u"--id"_s, u"1"_s, u"--hold"_s, u"2612100830"_s, u"hi"_s}, u"corvane-page: --hold takes"_s},
        {"long message", {u"--id"_s, u"1"_s, QString(1000, u'x')}, u"corvane-page: the message is 1000 characters"_s},
        {"two messages", {u"--id"_s, u"1"_s, u"a"_s, u"b"_s}, u"corvane-page: give the message as one"_s},
        {"unknown option", {u"--bogus"_s}, u"corvane-page: Unknown option"_s},
        {"unknown contact", {u"--to"_s, u"Nobody"_s, u"hi"_s}, u"status: Error: Problem with contact and/or service"_s},
        {"empty message", {u"--to"_s, u"Bob"_s, u""_s}, u"status: Error: No message entered"_s},
        {"pager ID with a blank",
         {u"--id"_s, u"555 0100"_s, u"hi"_s},
         u"corvane-page: --id takes a pager ID as one word, without blanks or control characters"_s},
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.what;
        ASSERT_FALSE(r.err.isEmpty()) << c.what;
        EXPECT_TRUE(r.err.last().startsWith(c.errorStart)) << c.what << ": " << r.err.last().toStdString();
    }
}

// Both help options the usage offers answer with the usage and page nobody.
TEST_F(CorvanePage, EachHelpOptionShowsTheUsageAndPagesNobody) {
    ScriptedSnppServer server(nullptr, "220 ready\r\n");
    serve(1, server);
    for (const QString& option : {u"--help"_s, u"--help-all"_s}) {
        const Outcome r = run({option, u"--id"_s, u"5550100"_s, u"hi"_s});
        EXPECT_EQ(r.exitCode, 0) << option.toStdString();
        EXPECT_TRUE(!r.out.isEmpty() && r.out.first().startsWith(u"Usage: "_s)) << option.toStdString();
    }
    EXPECT_TRUE(server.lines().empty());
}

// A settings file that is a FIFO nobody writes: the program reads it as no file and pages, at once.
TEST_F(CorvanePage, SettingsFileThatIsAFifoIsReadAsNone) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"corvane3.ini"_s)).constData(), 0644), 0);
    ScriptedSnppServer server(nullptr, "220 ready\r\n");
    serve(1, server);
    const Outcome r = run({u"--id"_s, u"5550100"_s, u"hi"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(r.out, QStringList{u"SUCCESS"_s});
}

struct NotPagedCase {
    const char* what;
    QStringList names;
    int exitCode;
    QStringList notPaged; // standard error lines naming those left out
};

class NamedRecipientsNotPaged : public CorvanePage, public ::testing::WithParamInterface<NotPagedCase> {};

TEST_P(NamedRecipientsNotPaged, AreReportedAndDecideTheExitStatus) {
    const NotPagedCase& c = GetParam();
    contactsCursor cursor(dataModule);
    cursor.Open();
    addContact(cursor, u"Far Away"_s, u"501"_s, 5);
    cursor.Close();
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    QStringList args;
    for (const QString& name : c.names) {
        args << u"--to"_s << name;
    }
    const Outcome r = run(args << u"hi"_s);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err.filter(u"not paged"_s), c.notPaged);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NamedRecipientsNotPaged,
    ::testing::Values(NotPagedCase{"one name misspelt",
                                   {u"Bob Smtih"_s, u"Ann Lee"_s},
                                   1,
                                   {u"corvane-page: not paged: Bob Smtih (no contact of that name)"_s}},
                      NotPagedCase{"one on a service without a host",
                                   {u"Far Away"_s, u"Ann Lee"_s},
                                   1,
                                   {u"corvane-page: not paged: Far Away (service 5 cannot be paged)"_s}},
                      NotPagedCase{"one name alone, not found",
                                   {u"Nobody"_s},
                                   2,
                                   {u"corvane-page: not paged: Nobody (no contact of that name)"_s}},
                      NotPagedCase{"nobody found",
                                   {u"Nobody"_s, u"Noone"_s},
                                   2,
                                   {u"corvane-page: not paged: Nobody (no contact of that name)"_s,
                                    u"corvane-page: not paged: Noone (no contact of that name)"_s}}),
    test::NamedByWhat());

struct UnreadableCase {
    const char* what;
    const char* sql;
    QStringList args;
    QString error;
};

class UnreadableStoredValue : public CorvanePage, public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableStoredValue, IsReportedByContactAndFieldNotACrash) {
    const UnreadableCase& c = GetParam();
    dataModule.database().exec(QString::fromUtf8(c.sql));
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    const Outcome r = run(c.args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.value(r.err.size() - 1), c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, UnreadableStoredValue,
    ::testing::Values(
        UnreadableCase{"group flag",
                       "UPDATE contacts SET memberGr2 = '1.5' WHERE name = 'Bob'",
                       {u"--group"_s, u"3"_s, u"hi"_s},
                       u"corvane-page: Contact 'Bob': '1.5' is not a valid boolean value for field 'memberGr2'"_s},
        UnreadableCase{"service number",
                       "UPDATE contacts SET serviceNumber = 'abc' WHERE name = 'Bob'",
                       {u"--to"_s, u"Bob"_s, u"hi"_s},
                       u"corvane-page: Contact 'Bob': 'abc' is not a valid integer value for field 'serviceNumber'"_s}),
    test::NamedByWhat());

// A reader that goes away (`corvane-page ... | head -1`) must not stop the pages.
TEST_F(CorvanePage, ClosedStandardOutputDoesNotStopThePaging) {
    dir.write(u"corvane3.ini"_s, "[LOGGING]\r\nloggingEnabled=1\r\n");
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    ScriptedSnppServer two(nullptr, "220 ready\r\n");
    serve(2, two);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]); // nobody will ever read
    QProcess process;
    process.setChildProcessModifier([&] { ::dup2(pipeEnds[1], STDOUT_FILENO); });
    const Outcome r = run(process, {u"--group"_s, u"3"_s, u"Standup moved"_s});
    ::close(pipeEnds[1]);
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(todaysLog().count("Message Sent OK"), 3);
}

TEST_F(CorvanePage, EndlessStandardInputIsRefusedOnceItIsTooLong) {
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(dir.filePath(u"corvane-page"_s), {u"--id"_s, u"7"_s, u"-"_s});
    ASSERT_TRUE(process.waitForStarted());
    process.write(QByteArray(256 * 1024, 'y')); // and the input never ends
    ASSERT_TRUE(process.waitForFinished(10000)) << "still reading";
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("longer than 999 characters"));
}

TEST_F(CorvanePage, LastLineIsTheOutcomeWhenTheServerHangsUp) {
    ScriptedSnppServer one(
        [](const std::string& line, int) {
            return line.rfind("MESS", 0) == 0 ? Reply("", true) : ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, one);
    const Outcome r = run({u"--to"_s, u"Ann Lee"_s, u"hi"_s});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QStringList{u"FAIL"_s});
}

TEST_F(CorvanePage, ServerTextReachesTheTerminalWithControlCharactersEscaped) {
    ScriptedSnppServer one(
        [](const std::string& line, int) {
            return line == "SEND" ? Reply("554 \x1b[2J\x1b]0;owned\x07 refused\r\n")
                                  : ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, one);
    QProcess process;
    const Outcome r = run(process, {u"--to"_s, u"Ann Lee"_s, u"hi"_s});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(u"status: 554 \\x1b[2J\\x1b]0;owned\\x07 refused"_s)) << r.err.join(u'\n').toStdString();
    EXPECT_FALSE(r.err.join(QString()).contains(QChar(0x1b)));
}

TEST_F(CorvanePage, GatewayWithASmallLimitGetsItsCommandBeforeEachPage) {
    useQueueingBuild();
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    const std::string message = std::string(128, 'a') + std::string(128, 'b') + std::string(44, 'c');
    const Outcome r = run({u"--to"_s, u"Ann Lee"_s, QString::fromStdString(message)});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    std::vector<std::string> expected;
    for (const std::string& chunk : {message.substr(0, 128), message.substr(128, 128), message.substr(256)}) {
        expected.insert(expected.end(), {"SITE JQUEUE YES", "PAGE 101", "MESS " + chunk, "SEND"});
    }
    expected.push_back("QUIT");
    EXPECT_EQ(one.lines(), expected);
}

// Mended: a pager ID typed in needs no contact, so a table that is missing, unreadable or held by
// another program does not keep it from being paged.
struct TableCase {
    const char* what;
    std::function<std::unique_ptr<test::OtherProgram>(test::TempWorkingDir& dir)> spoil;
};

class DirectIdWithoutTheTable : public CorvanePage, public ::testing::WithParamInterface<TableCase> {};

TEST_P(DirectIdWithoutTheTable, IsPagedAllTheSame) {
    const std::unique_ptr<test::OtherProgram> holder = GetParam().spoil(dir);
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    const Outcome r = run({u"--id"_s, u"4445556"_s, u"Call NOC"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(one.lines().front(), "PAGE 4445556");
}

INSTANTIATE_TEST_SUITE_P(Tables, DirectIdWithoutTheTable,
                         ::testing::Values(TableCase{"table missing",
                                                     [](test::TempWorkingDir& dir) {
                                                         QFile::remove(dir.filePath(u"contacts.nx1"_s));
                                                         return std::unique_ptr<test::OtherProgram>();
                                                     }},
                                           TableCase{"table not a table",
                                                     [](test::TempWorkingDir& dir) {
                                                         dir.write(u"contacts.nx1"_s, "not a database at all");
                                                         return std::unique_ptr<test::OtherProgram>();
                                                     }},
                                           TableCase{"table locked by another program",
                                                     [](test::TempWorkingDir& dir) {
                                                         auto other = std::make_unique<test::OtherProgram>(
                                                             dir.filePath(u"contacts.nx1"_s));
                                                         other->run("BEGIN EXCLUSIVE");
                                                         return other;
                                                     }}),
                         test::NamedByWhat());

// Mended: a refused delivery time is said on standard error; the page went out, so the exit status
// is still 0.
TEST_F(CorvanePage, RefusedHoldIsSaidAndThePageStillCounts) {
    ScriptedSnppServer one(
        [](const std::string& line, int) {
            return line.rfind("HOLD", 0) == 0 ? Reply("550 No delayed delivery\r\n")
                                              : ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, one);
    const Outcome r = run({u"--to"_s, u"Ann Lee"_s, u"--hold"_s, u"261231120000"_s, u"Year end"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(r.err, QStringList{u"corvane-page: hold refused by LOOPBCK (550 No delayed delivery); paged at once"_s});
}

// Mended: whatever service 1's gateway does, every member of the group is either paged (its
// "Sending to" line followed by "MESSAGE SENT OK") or named once on standard error with the reason.
struct AccountedCase {
    const char* what;
    ScriptedSnppServer::Responder responder; // null: nothing listens on service 1
    QString reason;                          // given for Ann Lee and Bob
};

class EveryRecipientAccountedFor : public CorvanePage, public ::testing::WithParamInterface<AccountedCase> {};

TEST_P(EveryRecipientAccountedFor, OnStandardErrorOrAsPaged) {
    const AccountedCase& c = GetParam();
    dir.write(u"corvane3.ini"_s, "[General]\r\ntimeout=1\r\n");
    std::unique_ptr<ScriptedSnppServer> one;
    if (c.responder) {
        one = std::make_unique<ScriptedSnppServer>(c.responder, "220 ready\r\n");
        serve(1, *one);
    }
    ScriptedSnppServer two(nullptr, "220 ready\r\n");
    serve(2, two);
    const Outcome r = run({u"--group"_s, u"3"_s, u"Fire drill"_s});
    EXPECT_EQ(r.exitCode, 1);
    for (const QString& name : {u"Ann Lee"_s, u"Bob"_s, u"Cy"_s}) {
        const QStringList named = r.err.filter(u"not paged: "_s + name + u" ("_s);
        const qsizetype sending = r.out.indexOf(u"Sending to: "_s + name + u" ..."_s);
        const bool paged = sending >= 0 && r.out.value(sending + 1) == u"MESSAGE SENT OK"_s;
        EXPECT_EQ(named.size() + (paged ? 1 : 0), 1) << name.toStdString() << "\n" << r.err.join(u'\n').toStdString();
        if (name != u"Cy"_s) {
            EXPECT_EQ(named.value(0), u"corvane-page: not paged: "_s + name + u" ("_s + c.reason + u')');
        }
    }
    EXPECT_EQ(r.out.value(r.out.size() - 2), u"1 of 3 MESSAGES SENT OK"_s);
}

ScriptedSnppServer::Responder answering(const std::string& verb, Reply reply) {
    return [verb, reply](const std::string& line, int) {
        return line.rfind(verb, 0) == 0 ? reply : ScriptedSnppServer::standardReply(line);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Gateways, EveryRecipientAccountedFor,
    ::testing::Values(AccountedCase{"nothing listens", nullptr, u"Connection refused"_s},
                      AccountedCase{"refuses every page", answering("PAGE", Reply("550 Unknown pager\r\n")),
                                    u"550 Unknown pager"_s},
                      AccountedCase{"hangs up on the first page", answering("PAGE", Reply::hangUp(false)),
                                    u"the service closed the connection"_s},
                      AccountedCase{"never answers a page", answering("PAGE", Reply::none()), u"no answer in time"_s}),
    test::NamedByWhat());

// --json: every line of standard output is one JSON object, one for each chosen recipient as its
// outcome is known (paged, refused, not found, timed out), then the tally.
TEST_F(CorvanePage, JsonLinesCarryEachRecipientAndTheTally) {
    dir.write(u"corvane3.ini"_s, "[General]\r\ntimeout=1\r\n");
    timeZone = u"IST-5:30"_s; // a POSIX zone 5 h 30 min east of UTC, without the zone database
    ScriptedSnppServer one(answering("PAGE 102", Reply("550 No such pager\r\n")), "220 ready\r\n");
    serve(1, one);
    ScriptedSnppServer two(answering("PAGE", Reply::none()), "220 ready\r\n");
    serve(2, two);
    const Outcome r = run({u"--json"_s, u"--to"_s, u"Ann Lee"_s, u"--to"_s, u"Bob"_s, u"--to"_s, u"Nobody"_s, u"--to"_s,
                           u"Cy"_s, u"Fire drill"_s});
    EXPECT_EQ(r.exitCode, 1);
    std::map<QString, QJsonObject> byName;
    QJsonObject last;
    for (const QString& line : r.out) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        ASSERT_TRUE(document.isObject()) << line.toStdString();
        last = document.object();
        if (last.contains(u"name"_s)) {
            EXPECT_FALSE(byName.count(last[u"name"_s].toString())) << "one object per recipient";
            byName[last[u"name"_s].toString()] = last;
        }
    }
    struct Expected {
        QString name;
        QString pager;
        int service;
        bool paged;
        QString reason;
    };
    const Expected expected[] = {
        {u"Ann Lee"_s, u"101"_s, 1, true, {}},
        {u"Bob"_s, u"102"_s, 1, false, u"550 No such pager"_s},
        {u"Nobody"_s, {}, 0, false, u"no contact of that name"_s},
        {u"Cy"_s, u"201"_s, 2, false, u"no answer in time"_s},
    };
    static const QRegularExpression isoLocal(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+05:30$"_s);
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name.toStdString());
        ASSERT_TRUE(byName.count(e.name));
        const QJsonObject& o = byName[e.name];
        EXPECT_EQ(o[u"pager"_s].toString(), e.pager);
        EXPECT_EQ(o[u"service"_s].toInt(-1), e.service);
        EXPECT_EQ(o[u"paged"_s].toBool(!e.paged), e.paged);
        EXPECT_EQ(o.contains(u"reason"_s), !e.paged);
        EXPECT_EQ(o[u"reason"_s].toString(), e.reason);
        EXPECT_TRUE(isoLocal.match(o[u"time"_s].toString()).hasMatch()) << o[u"time"_s].toString().toStdString();
    }
    EXPECT_EQ(last, (QJsonObject{{u"paged"_s, 1}, {u"total"_s, 4}, {u"outcome"_s, u"DONE"_s}}));
    EXPECT_EQ(byName.size(), 4u);
    EXPECT_EQ(r.out.size(), 5) << "nothing but the objects on standard output";
}

// The names not paged go to --failed-file; --to-file with that file pages exactly those again, and
// a list that names nobody pages nobody.
TEST_F(CorvanePage, FailedFileThenToFilePagesExactlyThoseAgain) {
    bool refuseBob = true;
    ScriptedSnppServer one(
        [&](const std::string& line, int) {
            return line == "PAGE 102" && refuseBob ? Reply("550 No such pager\r\n")
                                                   : ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, one);
    ScriptedSnppServer two(nullptr, "220 ready\r\n");
    serve(2, two);
    const QString failed = dir.filePath(u"failed.txt"_s);
    const Outcome first = run({u"--group"_s, u"3"_s, u"--failed-file"_s, failed, u"Fire drill"_s});
    EXPECT_EQ(first.exitCode, 1);
    EXPECT_EQ(dir.read(u"failed.txt"_s), "Bob\n");

    refuseBob = false;
    const std::size_t before = one.lines().size();
    const QString again = dir.filePath(u"again.txt"_s);
    const Outcome second = run({u"--to-file"_s, failed, u"--failed-file"_s, again, u"Fire drill"_s});
    EXPECT_EQ(second.exitCode, 0) << second.err.join(u'\n').toStdString();
    const std::vector<std::string> lines = one.lines();
    const std::vector<std::string> pages(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end());
    EXPECT_EQ(std::count_if(pages.begin(), pages.end(), [](const std::string& l) { return l.rfind("PAGE", 0) == 0; }),
              1);
    EXPECT_NE(std::find(pages.begin(), pages.end(), "PAGE 102"), pages.end());
    EXPECT_TRUE(QFile::exists(again));
    EXPECT_EQ(dir.read(u"again.txt"_s), QByteArray());

    const Outcome third = run({u"--to-file"_s, again, u"Fire drill"_s});
    EXPECT_EQ(third.exitCode, 0);
    EXPECT_EQ(one.lines().size(), lines.size()) << "nobody to page";
}

// A list with blank lines, a name given twice and one more by --to: each named contact once.
TEST_F(CorvanePage, ToFileSkipsBlankLinesAndAddsToTo) {
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    dir.write(u"names-to-page.txt"_s, "Bob\r\n\r\n  \nbob\n");
    const Outcome r =
        run({u"--to-file"_s, dir.filePath(u"names-to-page.txt"_s), u"--to"_s, u"Ann Lee"_s, u"Fire drill"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(r.out.value(r.out.size() - 2), u"2 of 2 MESSAGES SENT OK"_s);
    const Outcome missing = run({u"--to-file"_s, dir.filePath(u"no-such-list.txt"_s), u"hi"_s});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.value(0).startsWith(u"corvane-page: --to-file "_s))
        << missing.err.join(u'\n').toStdString();
}

// -C DIR: started somewhere else (cron starts programs in /), it reads DIR's settings file and logs
// in DIR's log folder, and creates nothing where it was started.
TEST_F(CorvanePage, DirectoryOptionTakesSettingsAndLogFromThere) {
    dir.write(u"corvane3.ini"_s, "[LOGGING]\r\nloggingEnabled=1\r\n");
    const QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    startedIn = elsewhere.path();
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    const Outcome r = run({u"-C"_s, dir.path(), u"--to"_s, u"Ann Lee"_s, u"Fire drill"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(todaysLog().count("Message Sent OK"), 1);
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

TEST_F(CorvanePage, DirectoryOptionThatIsNoDirectoryIsAUsageError) {
    dir.write(u"plain-file"_s, "x");
    const struct {
        const char* what;
        QString directory;
        QString error;
    } cases[] = {
        {"missing", dir.filePath(u"missing"_s), u"no such directory"_s},
        {"a file", dir.filePath(u"plain-file"_s), u"not a directory"_s},
    };
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    for (const auto& c : cases) {
        const Outcome r = run({u"-C"_s, c.directory, u"--id"_s, u"5550100"_s, u"hi"_s});
        EXPECT_EQ(r.exitCode, 2) << c.what;
        EXPECT_EQ(r.err.value(0), u"corvane-page: -C "_s + c.directory + u": "_s + c.error) << c.what;
    }
    EXPECT_TRUE(one.lines().empty()) << "nothing was sent";
}

// A site points the programs at its own gateway with a services file, without rebuilding: beside
// the program, or named with --services. A faulty file stops the program before anything is sent.
struct ServicesFileCase {
    const char* what;
    const char* fileName; // written in the test directory, where the program is
    bool givenByOption;
};

class ServicesFileUse : public CorvanePage, public ::testing::WithParamInterface<ServicesFileCase> {};

TEST_P(ServicesFileUse, MovesServiceOneToTheSitesGateway) {
    const ServicesFileCase& c = GetParam();
    ScriptedSnppServer site(nullptr, "220 site gateway\r\n");
    dir.write(QString::fromUtf8(c.fileName),
              "[Service1]\r\nname=SITE\r\naddress=127.0.0.1\r\nport=" + QByteArray::number(site.port()) + "\r\n");
    QStringList args;
    if (c.givenByOption) {
        args << u"--services"_s << dir.filePath(QString::fromUtf8(c.fileName));
    }
    const Outcome r = run(args << u"--to"_s << u"Ann Lee"_s << u"--to"_s << u"Bob"_s << u"hi"_s);
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(r.out.value(0), u"CONNECTING TO SERVICE: SITE ..."_s);
    EXPECT_EQ(site.lines().front(), "PAGE 101");
}

INSTANTIATE_TEST_SUITE_P(Files, ServicesFileUse,
                         ::testing::Values(ServicesFileCase{"beside the program", "services.ini", false},
                                           ServicesFileCase{"named by --services", "site.ini", true}),
                         test::NamedByWhat());

TEST_F(CorvanePage, FaultyServicesFileStopsItBeforeAnythingIsSent) {
    ScriptedSnppServer one(nullptr, "220 ready\r\n");
    serve(1, one);
    dir.write(u"services.ini"_s, "[Service1]\r\nport=99999\r\n");
    const Outcome r = run({u"--to"_s, u"Ann Lee"_s, u"hi"_s});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.value(0), u"corvane-page: "_s + dir.filePath(u"services.ini"_s) +
                                  u", line 2, key port: '99999' is not a port number from 1 to 65535"_s);
    EXPECT_EQ(one.sessions(), 0) << "nothing on the wire";
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

class ToFileOfAnOddKind : public CorvanePage, public ::testing::WithParamInterface<test::HostileFileCase> {};

// --to-file reads its list as every program reads a user's file: the names it holds (here paged
// through a service that refuses, so each is named as not paged), or a usage error naming the file
// and what is wrong, before anyone is paged.
TEST_P(ToFileOfAnOddKind, IsReadOrRefusedAsEveryReaderDoes) {
    test::makeHostileFile(dir.filePath(u"list.txt"_s), GetParam().kind, "Ann Lee\nBob\n", 16 << 20);
    const QString error = test::hostileFileError(u"list.txt"_s, GetParam().kind, u"16 MiB"_s);
    const Outcome r = run({u"--to-file"_s, u"list.txt"_s, u"Fire drill"_s});
    if (error.isEmpty()) {
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(u"corvane-page: not paged: Ann Lee (Connection refused)"_s))
            << r.err.join(u'\n').toStdString();
        EXPECT_TRUE(r.err.contains(u"corvane-page: not paged: Bob (Connection refused)"_s));
    } else {
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, QStringList{u"corvane-page: --to-file "_s + error});
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ToFileOfAnOddKind, ::testing::ValuesIn(test::hostileFileCases), test::NamedByWhat());

// An unset variable in a script gives --services an empty value: that is a mistake, not a wish for
// the built-in services.
TEST_F(CorvanePage, AnEmptyServicesFileNameIsAUsageError) {
    const Outcome r = run({u"--services"_s, u""_s, u"--to"_s, u"Bob"_s, u"Fire drill"_s});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, QStringList{u"corvane-page: --services needs a file name"_s});
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// A list kept in an editor: blanks left at the end of a line do not lose the contact, and a name
// given twice that way is paged once.
TEST_F(CorvanePage, AToFileLineWithTrailingBlanksPagesTheContact) {
    ScriptedSnppServer server(nullptr, "220 ready\r\n");
    serve(1, server);
    dir.write(u"list.txt"_s, "Bob  \nAnn Lee\t\nBob\n");
    const Outcome r = run({u"--to-file"_s, u"list.txt"_s, u"Fire drill"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    std::vector<std::string> pages;
    for (const std::string& line : server.lines()) {
        if (line.rfind("PAGE", 0) == 0) {
            pages.push_back(line);
        }
    }
    EXPECT_EQ(pages, (std::vector<std::string>{"PAGE 102", "PAGE 101"}));
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// --to finds a contact whatever the case of its letters, in any alphabet.
TEST_F(CorvanePage, ANameInAnotherCaseOfAnyAlphabetPagesTheContact) {
    {
        contactsCursor cursor(dataModule);
        cursor.Open();
        addContact(cursor, u"\u0416\u0435\u043d\u044f"_s, u"301"_s, 1);
    }
    ScriptedSnppServer server(nullptr, "220 ready\r\n");
    serve(1, server);
    const Outcome r = run({u"--to"_s, u"\u0436\u0415\u041d\u042f"_s, u"Fire drill"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    ASSERT_FALSE(server.lines().empty());
    EXPECT_EQ(server.lines().front(), "PAGE 301");
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

struct StopCase {
    const char* what;
    int signal;
};

class StoppedMidGroup : public CorvanePage, public ::testing::WithParamInterface<StopCase> {};

// Stopped while Bob's page is under way (a timeout, Ctrl-C, a service manager): the job ends in
// order, as a Cancel of everything left. Everyone is named, the tally and the list of those not
// paged are written, the log says so, and the exit status says not everyone was paged.
TEST_P(StoppedMidGroup, EndsInOrder) {
    dir.write(u"corvane3.ini"_s, "[LOGGING]\r\nloggingEnabled=1\r\n");
    std::atomic<bool> bobPaging{false};
    ScriptedSnppServer one(
        [&](const std::string& line, int) {
            if (line == "PAGE 102") {
                bobPaging = true;
                return Reply::none();
            }
            return ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, one);
    ScriptedSnppServer two(nullptr, "220 ready\r\n");
    serve(2, two);
    dir.write(u"failed.txt"_s, "an older run's list\n");
    QProcess process;
    process.setWorkingDirectory(dir.path());
    setServicePorts(process);
    process.start(dir.filePath(u"corvane-page"_s),
                  {u"--group"_s, u"3"_s, u"--failed-file"_s, u"failed.txt"_s, u"Fire drill"_s});
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(test::waitUntil([&] { return bobPaging.load(); }, 8000));
    ::kill(static_cast<pid_t>(process.processId()), GetParam().signal);
    ASSERT_TRUE(process.waitForFinished(8000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QStringList out = QString::fromLocal8Bit(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(out.contains(u"NOT SENT: Bob (cancelled)"_s)) << out.join(u'\n').toStdString();
    EXPECT_TRUE(out.contains(u"NOT SENT: Cy (cancelled)"_s));
    EXPECT_TRUE(out.contains(u"1 of 3 MESSAGES SENT OK"_s));
    EXPECT_EQ(dir.read(u"failed.txt"_s), "Bob\nCy\n");
    EXPECT_TRUE(todaysLog().contains("ERROR: Send cancelled, the program was stopped.")) << todaysLog().toStdString();
    EXPECT_TRUE(two.lines().empty()) << "the service after the stop is not paged";
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedMidGroup,
                         ::testing::Values(StopCase{"SIGTERM", SIGTERM}, StopCase{"SIGINT", SIGINT},
                                           StopCase{"SIGHUP", SIGHUP}),
                         test::NamedByWhat());

// Started with standard output and standard error closed (as cron or a careless script may): no
// message goes to the server as a command, and the page goes out whole.
TEST_F(CorvanePage, ClosedStandardDescriptorsNeverReachTheServer) {
    ScriptedSnppServer server(
        [](const std::string& line, int) {
            return line.rfind("HOLD", 0) == 0 ? Reply("550 No delivery times here\r\n")
                                              : ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, server);
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    setServicePorts(shell);
    shell.start(u"/bin/sh"_s, {u"-c"_s, u"exec ./corvane-page --id 5550100 --hold 301231120000 Hello >&- 2>&-"_s});
    ASSERT_TRUE(shell.waitForFinished(15000));
    EXPECT_EQ(shell.exitCode(), 0);
    EXPECT_EQ(server.lines(),
              (std::vector<std::string>{"HOLD 301231120000", "PAGE 5550100", "MESS Hello", "SEND", "QUIT"}));
}

// The list of those not paged is never a file put over what is not one: a pipe is written as a
// stream, one that nobody reads is refused before anyone is paged.
TEST_F(CorvanePage, AFailedFileThatIsAPipeIsWrittenAsAStream) {
    ScriptedSnppServer one(
        [](const std::string& line, int) {
            return line == "PAGE 102" ? Reply("550 No such pager\r\n") : ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, one);
    const QByteArray fifo = QFile::encodeName(dir.filePath(u"failed.fifo"_s));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const Outcome nobodyReads = run({u"--to"_s, u"Bob"_s, u"--failed-file"_s, u"failed.fifo"_s, u"Hi"_s});
    EXPECT_EQ(nobodyReads.exitCode, 2);
    EXPECT_EQ(nobodyReads.err, QStringList{u"corvane-page: --failed-file failed.fifo: a pipe that nobody reads"_s});
    EXPECT_TRUE(one.lines().empty()) << "refused before anyone is paged";

    QProcess reader;
    reader.start(u"cat"_s, {QFile::decodeName(fifo)});
    ASSERT_TRUE(reader.waitForStarted());
    ASSERT_TRUE(test::waitUntil([&] { return reader.state() == QProcess::Running; }));
    QThread::msleep(100); // cat has the pipe open
    const Outcome read =
        run({u"--to"_s, u"Bob"_s, u"--to"_s, u"Ann Lee"_s, u"--failed-file"_s, u"failed.fifo"_s, u"Hi"_s});
    EXPECT_EQ(read.exitCode, 1);
    ASSERT_TRUE(reader.waitForFinished(8000));
    EXPECT_EQ(reader.readAllStandardOutput(), "Bob\n");
    struct stat st {};
    ASSERT_EQ(::stat(fifo.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "still the pipe";
}

// A group whose members could not be read: any list would claim more than is known (an empty one,
// that everyone was paged). None is left, and standard error says why.
TEST_F(CorvanePage, NoFailedListIsLeftWhenTheGroupCouldNotBeRead) {
    dir.write(u"failed.txt"_s, "an older run's list\n");
    QFile::remove(dir.filePath(u"contacts.nx1"_s));
    const Outcome r = run({u"--group"_s, u"3"_s, u"--failed-file"_s, u"failed.txt"_s, u"Hi"_s});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"failed.txt"_s)));
    EXPECT_TRUE(r.err.contains(u"corvane-page: --failed-file "_s + u"failed.txt"_s +
                               u" not written (and any old one removed): who was chosen is not known"_s))
        << r.err.join(u'\n').toStdString();
}

// Where the test may make a private mount namespace (as root): a device node given as the list is
// written as a stream and stays a device, and a full disk is said in the system's words.
TEST_F(CorvanePage, AFailedFileOnADeviceOrAFullDiskSaysWhatHappened) {
    if (::geteuid() != 0 || QStandardPaths::findExecutable(u"unshare"_s).isEmpty()) {
        GTEST_SKIP() << "needs root and unshare for a private mount namespace";
    }
    ScriptedSnppServer one(
        [](const std::string& line, int) {
            return line == "PAGE 102" ? Reply("550 No such pager\r\n") : ScriptedSnppServer::standardReply(line);
        },
        "220 ready\r\n");
    serve(1, one);
    QDir().mkdir(dir.filePath(u"mnt"_s));
    const QString script =
        u"set -e; mount -t tmpfs -o size=64k tmpfs mnt; mknod mnt/null c 1 3; "
        "./corvane-page --to Bob --failed-file mnt/null Hi >/dev/null 2>mnt/err1 || echo \"status $?\"; "
        "stat -c %F mnt/null; cat mnt/err1; "
        "dd if=/dev/zero of=mnt/fill bs=1k count=64 2>/dev/null || true; "
        "./corvane-page --to Bob --failed-file mnt/list Hi >/dev/null 2>err2 || echo \"status $?\"; "
        "grep -v 'not paged' err2 || true; ls mnt"_s;
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    setServicePorts(shell);
    shell.start(u"unshare"_s, {u"-m"_s, u"--propagation"_s, u"private"_s, u"/bin/sh"_s, u"-c"_s, script});
    ASSERT_TRUE(shell.waitForFinished(30000));
    const QStringList out = QString::fromLocal8Bit(shell.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (shell.exitCode() != 0 && out.isEmpty()) {
        GTEST_SKIP() << "no private mount here: " << shell.readAllStandardError().toStdString();
    }
    ASSERT_GE(out.size(), 3) << out.join(u'\n').toStdString();
    EXPECT_EQ(out[0], u"status 1"_s);
    EXPECT_EQ(out[1], u"character special file"_s) << "the device is still a device";
    EXPECT_TRUE(out.contains(u"corvane-page: --failed-file mnt/list: No space left on device"_s))
        << out.join(u'\n').toStdString();
}

} // namespace
} // namespace corvane
