// corvane-page as its users run it: the real program, built to page scripted SNPP servers on fixed
// loopback ports, in a directory of its own with a real contacts table and settings file.
#include "contactsFixture.h"
#include "printers.h"
#include "scriptedSnppServer.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

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
        process.setWorkingDirectory(dir.path());
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
};

TEST_F(CorvanePage, SingleContactPrintsSuccessAndExitsZero) {
    ScriptedSnppServer server(nullptr, "220 ready\r\n", LOOPBACK_PORT1);
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
        "220 ready\r\n", LOOPBACK_PORT1);
    ScriptedSnppServer two(nullptr, "220 ready\r\n", LOOPBACK_PORT2);
    const Outcome r = run({u"--to"_s, u"Cy"_s, u"--to"_s, u"Bob"_s, u"--to"_s, u"Ann Lee"_s, u"-"_s}, "Fire drill\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, (QStringList{u"CONNECTING TO SERVICE: LOOPBCK ..."_s, u"Sending to: Bob ..."_s,
                                  u"Sending to: Ann Lee ..."_s, u"MESSAGE SENT OK"_s,
                                  u"CONNECTING TO SERVICE: LOOPBCK -ENCRY ..."_s, u"Sending to: Cy ..."_s,
                                  u"MESSAGE SENT OK"_s, u"2 of 3 MESSAGES SENT OK"_s, u"DONE"_s}));
    EXPECT_EQ(one.lines()[0], "PAGE 102");
    EXPECT_EQ(one.lines()[2], "MESS Fire drill") << "the line end from standard input is not paged";
    ASSERT_FALSE(two.lines().empty());
    EXPECT_EQ(two.lines()[1].rfind("MESS SNPPENCRYPTED001", 0), 0u) << "service 2 takes the encrypted form";
}

TEST_F(CorvanePage, GroupWithHoldValueAllPagedExitsZero) {
    ScriptedSnppServer one(nullptr, "220 ready\r\n", LOOPBACK_PORT1);
    ScriptedSnppServer two(nullptr, "220 ready\r\n", LOOPBACK_PORT2);
    const Outcome r = run({u"--group"_s, u"3"_s, u"--hold"_s, u"261210083000"_s, u"Standup moved"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
    EXPECT_EQ(r.out.last(), u"DONE"_s);
    EXPECT_EQ(r.out[r.out.size() - 2], u"3 of 3 MESSAGES SENT OK"_s);
    EXPECT_EQ(one.lines().front(), "HOLD 261210083000");
    EXPECT_EQ(two.lines().front(), "HOLD 261210083000");
}

TEST_F(CorvanePage, DirectIdGoesToServiceOne) {
    ScriptedSnppServer one(nullptr, "220 ready\r\n", LOOPBACK_PORT1);
    const Outcome r = run({u"--id"_s, u"4445556"_s, u"Call NOC"_s});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(one.lines().front(), "PAGE 4445556");
}

TEST_F(CorvanePage, SilentServerIsEndedByTheWatchdog) {
    dir.write(u"corvane3.ini"_s, "[General]\r\ntimeout=2\r\n[LOGGING]\r\nloggingEnabled=1\r\n");
    ScriptedSnppServer silent([](const std::string&, int) { return Reply::none(); }, "", LOOPBACK_PORT1);
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
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.what;
        ASSERT_FALSE(r.err.isEmpty()) << c.what;
        EXPECT_TRUE(r.err.last().startsWith(c.errorStart)) << c.what << ": " << r.err.last().toStdString();
    }
}

} // namespace
} // namespace corvane
