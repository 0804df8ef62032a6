#include "engineHarness.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

class SendCommand : public test::EngineHarness {
protected:
    SendCommand() {
        contacts.add(u"Ann"_s, u"101"_s, 1, {2});
        contacts.add(u"Bob"_s, u"102"_s, 1, {2});
        contacts.add(u"Cy"_s, u"103"_s, 1, {2});
        contacts.add(u"Zero"_s, u"900"_s, 0, {2});
        contacts.add(u"Thirteen"_s, u"913"_s, 13, {2});
        contacts.add(u"Nowhere"_s, u"905"_s, 5, {});
        contacts.add(u"Spaced"_s, u"555 0100"_s, 1, {});
    }
};

struct UnsendableCase {
    const char* what;
    RecipientSelection selection;
    QString status;
    QString phase;
    QStringList notPaged; // what a program waiting on the job hears
};

class UnsendableSelection : public SendCommand, public ::testing::WithParamInterface<UnsendableCase> {};

TEST_P(UnsendableSelection, SaysWhyAndStartsNothing) {
    const UnsendableCase& c = GetParam();
    outputs.results = QStringList{u"old line"_s};
    outputs.phase = u"NONE"_s;
    engine.sendButtonClick(c.selection);
    EXPECT_EQ(outputs.status, c.status);
    EXPECT_EQ(outputs.phase, c.phase);
    EXPECT_TRUE(outputs.results.isEmpty()) << "the results list is cleared first";
    EXPECT_EQ(client.connectRequests, 0);
    EXPECT_EQ(engine.job().state, EngineState::Idle);
    EXPECT_EQ(outputs.notPaged, c.notPaged);
}

RecipientSelection selection(const QString& marker, const QString& message) {
    RecipientSelection s;
    s.toMarker = marker;
    s.message = message;
    return s;
}

const QString problem = u"Error: Problem with contact and/or service"_s;

INSTANTIATE_TEST_SUITE_P(
    Selections, UnsendableSelection,
    ::testing::Values(
        UnsendableCase{"no recipient", selection(QString(), u"hi"_s), u"Error: No recipient selected"_s, u""_s, {}},
        UnsendableCase{"no message", selection(u"Ann"_s, QString()), u"Error: No message entered"_s, u""_s, {}},
        UnsendableCase{"marker before any selection",
                       SendCommand::single(u"[ ]"_s),
                       problem,
                       u"NONE"_s,
                       {u"[ ]: no contact of that name"_s}},
        UnsendableCase{"select all on an empty list",
                       SendCommand::single(u"[selected names]"_s),
                       problem,
                       u"NONE"_s,
                       {u"[selected names]: no contact of that name"_s}},
        UnsendableCase{"unknown contact",
                       SendCommand::single(u"Nobody"_s),
                       problem,
                       u"NONE"_s,
                       {u"Nobody: no contact of that name"_s}},
        UnsendableCase{"service number 0",
                       SendCommand::single(u"Zero"_s),
                       problem,
                       u"NONE"_s,
                       {u"Zero: service number 0 names no paging service"_s}},
        UnsendableCase{"service number 13",
                       SendCommand::single(u"Thirteen"_s),
                       problem,
                       u"NONE"_s,
                       {u"Thirteen: service number 13 names no paging service"_s}},
        UnsendableCase{"service without host",
                       SendCommand::single(u"Nowhere"_s),
                       problem,
                       u"NONE"_s,
                       {u"Nowhere: service 5 cannot be paged"_s}},
        UnsendableCase{"direct entry without ID",
                       selection(u"DIRECT ID ENTRY"_s, u"hi"_s),
                       problem,
                       u"NONE"_s,
                       {u"DIRECT ID ENTRY: no pager ID entered"_s}},
        // Mended: "PAGE 555 0100" pages pager 555 with the password 0100.
        UnsendableCase{"direct entry with a blank in the ID",
                       [] {
                           RecipientSelection s = selection(u"DIRECT ID ENTRY"_s, u"hi"_s);
                           s.idField = u"555 0100"_s;
                           return s;
                       }(),
                       u"Error: A pager ID is one word, without blanks or control characters"_s,
                       u"NONE"_s,
                       {u"DIRECT ID ENTRY: pager ID \"555 0100\" is not one word"_s}},
        UnsendableCase{"direct entry with a control character in the ID",
                       [] {
                           RecipientSelection s = selection(u"DIRECT ID ENTRY"_s, u"hi"_s);
                           s.idField = u"5550100\x1b"_s;
                           return s;
                       }(),
                       u"Error: A pager ID is one word, without blanks or control characters"_s,
                       u"NONE"_s,
                       {u"DIRECT ID ENTRY: pager ID \"5550100\\x1b\" is not one word"_s}},
        UnsendableCase{"stored ID with a blank",
                       SendCommand::single(u"Spaced"_s),
                       u"Error: The pager ID of Spaced is not one word"_s,
                       u"NONE"_s,
                       {u"Spaced: pager ID \"555 0100\" is not one word"_s}}),
    test::NamedByWhat());

TEST_F(SendCommand, SendDuringARunningJobChangesNothing) {
    engine.sendButtonClick(single(u"Ann"_s));
    outputs.results = QStringList{u"kept"_s};
    engine.sendButtonClick(single(u"Bob"_s));
    EXPECT_EQ(outputs.results, QStringList{u"kept"_s});
    EXPECT_EQ(client.connectRequests, 1);
    EXPECT_EQ(outputs.resultsCleared, 1);
}

TEST_F(SendCommand, DirectIdEntryGoesToServiceOneAsTyped) {
    settings.loggingEnabled = true;
    contacts.add(u"DIRECT ID ENTRY"_s, u"000"_s, 2); // a contact of that name must not be used
    RecipientSelection direct = single(u"DIRECT ID ENTRY"_s);
    direct.idField = u"7775551"_s;
    engine.sendButtonClick(direct);
    serve();
    EXPECT_EQ(client.hostsSet, QStringList{u"gw1.test"_s});
    EXPECT_EQ(wire().first(), u"PAGE 7775551"_s);
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
    EXPECT_EQ(logFile(), "3:07:45 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:DIRECT ID ENTRY, MSG:hello\r\n");
}

struct MaximumCase {
    const char* what;
    int maxChars;
    QString mess;
};

class MessageMaximum : public SendCommand, public ::testing::WithParamInterface<MaximumCase> {};

const QString longMessage = QString(100, u'a') + QString(200, u'b');

TEST_P(MessageMaximum, CutsTheMessageForTheService) {
    const MaximumCase& c = GetParam();
    engine.serviceTable()[1].maxChars = c.maxChars;
    engine.sendButtonClick(single(u"Ann"_s, longMessage));
    serve();
    ASSERT_GE(wire().size(), 2);
    EXPECT_EQ(wire()[1], c.mess);
}

INSTANTIATE_TEST_SUITE_P(Maximums, MessageMaximum,
                         ::testing::Values(MaximumCase{"160", 160, u"MESS "_s + QString(100, u'a') + QString(60, u'b')},
                                           MaximumCase{"0", 0, u"MESS "_s}, MaximumCase{"negative", -3, u"MESS "_s},
                                           MaximumCase{"999", 999, u"MESS "_s + longMessage}),
                         test::NamedByWhat());

TEST_F(SendCommand, GroupQueuesMembersOfUsableNumbersAndTicksSkipTheRest) {
    engine.sendButtonClick(group(2));
    serve();
    EXPECT_EQ(engine.job().totalRecipients, 3) << "service numbers 0 and 13 are left out";
    EXPECT_EQ(outputs.results.last(), u"3 of 3 MESSAGES SENT OK"_s);

    engine.sendButtonClick(ticked({u"Thirteen"_s, u"Cy"_s, u"Nobody"_s}));
    serve();
    EXPECT_EQ(engine.job().totalRecipients, 1);
    EXPECT_EQ(outputs.results.last(), u"1 of 1 MESSAGES SENT OK"_s);

    const int connectionsBefore = client.connectRequests;
    RecipientSelection noGroup = group(2);
    noGroup.highlightedGroup = 0;
    outputs.status = u"old"_s;
    engine.sendButtonClick(noGroup);
    EXPECT_EQ(outputs.status, u""_s);
    EXPECT_TRUE(outputs.results.isEmpty());
    EXPECT_EQ(client.connectRequests, connectionsBefore);
}

TEST_F(SendCommand, GroupTenIsReadFromItsEntry) {
    contacts.add(u"Ten"_s, u"110"_s, 1, {10});
    engine.sendButtonClick(group(10));
    serve();
    EXPECT_EQ(engine.job().totalRecipients, 1);
    EXPECT_EQ(wire().first(), u"PAGE 110"_s);
}

TEST_F(SendCommand, SendButtonClearsTheHoldValueAndTheFutureDeliveryPathKeepsIt) {
    engine.job().holdValue = u"130130184500"_s;
    RecipientSelection later = single(u"Ann"_s);
    later.fromSendButton = false;
    engine.sendButtonClick(later);
    serve();
    EXPECT_EQ(wire().first(), u"HOLD 130130184500"_s);
    EXPECT_EQ(engine.job().holdValue, u"130130184500"_s) << "the hold value survives the job";
    engine.sendButtonClick(single(u"Ann"_s));
    EXPECT_TRUE(engine.job().holdValue.isEmpty());
}

TEST_F(SendCommand, RefusedHostForASingleRecipientIsReportedAndLogged) {
    settings.loggingEnabled = true;
    client.failingHosts = {u"gw1.test"_s};
    engine.sendButtonClick(single(u"Ann"_s));
    EXPECT_EQ(outputs.status, u"Error setting remotehost: gw1.test"_s);
    EXPECT_EQ(engine.job().state, EngineState::Idle);
    EXPECT_EQ(logFile(), "3:07:45 PM, ERROR connecting to service, SRVC:ACMEORG, CONTACTS:Ann, MSG:hello\r\n");
}

// Mended: a queued contact whose stored pager ID is not one word is never sent; it is named not paged
// and the others are paged.
TEST_F(SendCommand, QueuedContactWithABlankInItsIdIsNamedAndNeverSent) {
    engine.sendButtonClick(ticked({u"Ann"_s, u"Spaced"_s, u"Bob"_s}));
    serve();
    EXPECT_EQ(wire().filter(u"PAGE"_s), (QStringList{u"PAGE 101"_s, u"PAGE 102"_s}));
    EXPECT_TRUE(outputs.results.contains(u"NOT SENT: Spaced (pager ID \"555 0100\" is not one word)"_s));
    EXPECT_EQ(outputs.results.last(), u"2 of 3 MESSAGES SENT OK"_s);
}

// Mended: a queued name that can no longer be found is passed over, and the rest still paged.
TEST_F(SendCommand, ContactDeletedWhileQueuedIsSkipped) {
    engine.sendButtonClick(ticked({u"Ann"_s, u"Bob"_s, u"Cy"_s}));
    contacts.remove(u"Bob"_s);
    serve();
    EXPECT_EQ(outputs.results,
              (QStringList{u"CONNECTING TO SERVICE: ACMEORG ..."_s, u"Sending to: Ann ..."_s, u"MESSAGE SENT OK"_s,
                           u"NOT SENT: Bob (no longer in the contacts table)"_s, u"Sending to: Cy ..."_s,
                           u"MESSAGE SENT OK"_s, u""_s, u"2 of 3 MESSAGES SENT OK"_s}));
}

// Mended: line breaks typed into any argument go out as spaces; the log keeps the message as typed.
TEST_F(SendCommand, LineBreaksCannotInjectCommands) {
    settings.loggingEnabled = true;
    contacts.add(u"Sly"_s, u"555"_s, 1, {}, u"pw\nQUIT"_s);
    engine.serviceTable()[1].ip = u"gw1.test,id\r\nx,pw"_s; // a login id cannot hold a comma, but can hold a break
    splitIPintoParts(engine.serviceTable());
    engine.job().holdValue = u"1301\r\n184500"_s;
    RecipientSelection later = single(u"Sly"_s, u"line one\r\nSEND"_s);
    later.fromSendButton = false;
    engine.sendButtonClick(later);
    serve();
    EXPECT_EQ(wire(), (QStringList{u"LOGI id  x pw"_s, u"HOLD 1301  184500"_s, u"PAGE 555 pw QUIT"_s,
                                   u"MESS line one  SEND"_s, u"SEND"_s, u"QUIT"_s}));
    for (const QString& line : client.sent) {
        EXPECT_EQ(line.count(u'\n'), 1) << line.toStdString();
    }
    EXPECT_TRUE(logFile().contains("MSG:line one\r\nSEND\r\n"));
}

// Mended: a log line that cannot be written is reported, and paging goes on regardless.
TEST_F(SendCommand, FailedLogWriteIsReportedAndPagingGoesOn) {
    settings.loggingEnabled = true;
    settings.loggingDir = u"./gone/"_s;
    engine.sendButtonClick(ticked({u"Ann"_s, u"Bob"_s}));
    serve();
    EXPECT_EQ(outputs.results.last(), u"2 of 2 MESSAGES SENT OK"_s);
    EXPECT_EQ(outputs.statusHistory.count(u"Error writing log file: ./gone/03_14_13.txt"_s), 2);
    EXPECT_EQ(outputs.phase, u"DONE"_s);
}

// What a program waiting on the job is told: every chosen recipient not paged, by name and why, and
// one report of how the job ended, which says whether everybody chosen was paged.
struct ReportCase {
    const char* what;
    RecipientSelection selection;
    std::function<QString(const QString&)> reply;
    JobReport::Outcome outcome;
    int sentOk;
    int total;
    int skipped;
    QStringList notPaged;
};

class JobReportTest : public SendCommand, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(JobReportTest, JobEndsWithOneReportThatCountsEveryChosenRecipient) {
    const ReportCase& c = GetParam();
    responder = [&c](const QString& line, int) { return c.reply(line); };
    engine.sendButtonClick(c.selection);
    serve();
    ASSERT_EQ(outputs.reports.size(), 1u);
    const JobReport& r = outputs.reports[0];
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.sentOk, c.sentOk);
    EXPECT_EQ(r.total, c.total);
    EXPECT_EQ(r.skipped, c.skipped);
    EXPECT_EQ(r.allPaged(), c.sentOk == c.total && c.skipped == 0);
    EXPECT_EQ(outputs.notPaged, c.notPaged);
    EXPECT_EQ(outputs.paged.size(), c.sentOk);
}

QString answerEverything(const QString& line) {
    return test::EngineHarness::standardReply(line);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, JobReportTest,
    ::testing::Values(
        ReportCase{
            "single_paged", SendCommand::single(u"Ann"_s), answerEverything, JobReport::Outcome::Success, 1, 1, 0, {}},
        ReportCase{
            "single_refused",
            SendCommand::single(u"Ann"_s),
            [](const QString& line) { return line.startsWith(u"SEND"_s) ? u"554 No\r\n"_s : answerEverything(line); },
            JobReport::Outcome::Fail,
            0,
            1,
            0,
            {u"Ann: 554 No"_s}},
        ReportCase{"ticked_one_not_in_the_contacts",
                   SendCommand::ticked({u"Ann"_s, u"Bob Smtih"_s}),
                   answerEverything,
                   JobReport::Outcome::Tally,
                   1,
                   1,
                   1,
                   {u"Bob Smtih: no contact of that name"_s}},
        ReportCase{"ticked_one_without_a_paging_service",
                   SendCommand::ticked({u"Ann"_s, u"Thirteen"_s}),
                   answerEverything,
                   JobReport::Outcome::Tally,
                   1,
                   1,
                   1,
                   {u"Thirteen: service number 13 names no paging service"_s}},
        ReportCase{"ticked_one_on_a_service_without_a_host",
                   SendCommand::ticked({u"Ann"_s, u"Nowhere"_s}),
                   answerEverything,
                   JobReport::Outcome::Tally,
                   1,
                   2,
                   0,
                   {u"Nowhere: service 5 cannot be paged"_s}},
        ReportCase{"group_with_members_outside_the_services",
                   SendCommand::group(2),
                   answerEverything,
                   JobReport::Outcome::Tally,
                   3,
                   3,
                   2,
                   {u"Zero: service number 0 names no paging service"_s,
                    u"Thirteen: service number 13 names no paging service"_s}}),
    test::NamedByWhat());

TEST_F(SendCommand, SingleJobWhoseServerHangsUpEndsWithFailAndCancelWithCancel) {
    responder = [this](const QString& line, int) {
        if (line.startsWith(u"MESS"_s)) {
            client.serverCloses();
        }
        return line.startsWith(u"MESS"_s) ? QString() : standardReply(line);
    };
    engine.sendButtonClick(single(u"Ann"_s));
    serve();
    EXPECT_EQ(outputs.phase, u"FAIL"_s) << "a closed connection must not leave the job looking under way";
    ASSERT_EQ(outputs.reports.size(), 1u);
    EXPECT_EQ(outputs.reports[0].outcome, JobReport::Outcome::Fail);

    greeting.clear(); // the server never speaks: the operator gives up
    engine.sendButtonClick(single(u"Ann"_s));
    serve();
    engine.cancelSendButtonClick();
    EXPECT_EQ(outputs.phaseHistory.mid(outputs.phaseHistory.size() - 2), (QStringList{u"FAIL"_s, u"CANCEL"_s}));
    ASSERT_EQ(outputs.reports.size(), 2u);
    EXPECT_EQ(outputs.reports[1].outcome, JobReport::Outcome::Cancel);
}

} // namespace
} // namespace corvane
