#include "engineHarness.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

class ConnectionControl : public test::EngineHarness {
protected:
    ConnectionControl() {
        contacts.add(u"Ann"_s, u"101"_s, 1, {1});
        contacts.add(u"Bob"_s, u"102"_s, 1, {1});
        contacts.add(u"Cy"_s, u"201"_s, 2, {1});
        contacts.add(u"Dee"_s, u"202"_s, 2, {1});
    }
    // Pages nothing: greets, then never answers.
    void silentAfterGreeting() {
        responder = [](const QString&, int) { return QString(); };
    }
    QStringList connectingLines() const { return outputs.results.filter(u"CONNECTING TO SERVICE"_s); }
};

TEST_F(ConnectionControl, GroupJobVisitsEachServiceInTurnAndEndsWithTheTally) {
    engine.sendButtonClick(group(1));
    serve();
    EXPECT_EQ(outputs.results, (QStringList{u"CONNECTING TO SERVICE: ACMEORG ..."_s, u"Sending to: Ann ..."_s,
                                            u"MESSAGE SENT OK"_s, u"Sending to: Bob ..."_s, u"MESSAGE SENT OK"_s,
                                            u"CONNECTING TO SERVICE: ACMEORG -ENCRY ..."_s, u"Sending to: Cy ..."_s,
                                            u"MESSAGE SENT OK"_s, u"Sending to: Dee ..."_s, u"MESSAGE SENT OK"_s, u""_s,
                                            u"4 of 4 MESSAGES SENT OK"_s}));
    EXPECT_EQ(outputs.phase, u"DONE"_s);
    EXPECT_EQ(client.hostsSet, (QStringList{u"gw1.test"_s, u"gw2.test"_s}));
    EXPECT_EQ(client.portsSet, (QList<int>{444, 444}));
}

struct WatchdogCase {
    const char* what;
    int timeout;
    int ticksBefore; // ticks already counted towards the next second when the watchdog is armed
    int quietTicks;  // ticks after arming that must pass without a time-out
};

class Watchdog : public ConnectionControl, public ::testing::WithParamInterface<WatchdogCase> {};

// Armed with N, the watchdog fires (N - 1) seconds plus one to three ticks after arming.
TEST_P(Watchdog, CountsWholeSecondsOfThreeTicks) {
    const WatchdogCase& c = GetParam();
    settings.timeout = c.timeout;
    engine.job().tickCount = c.ticksBefore;
    engine.sendButtonClick(group(1));
    greeting.clear();
    silentAfterGreeting();
    serve();
    tick(c.quietTicks);
    EXPECT_EQ(connectingLines().size(), 1);
    tick(1);
    serve();
    EXPECT_EQ(connectingLines().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Arming, Watchdog,
                         ::testing::Values(WatchdogCase{"45 s armed on a fresh second", 45, 0, 44 * 3 + 2},
                                           WatchdogCase{"45 s armed two ticks into a second", 45, 2, 44 * 3},
                                           WatchdogCase{"2 s armed one tick into a second", 2, 1, 3 + 1}),
                         test::NamedByWhat());

TEST_F(ConnectionControl, TimeoutDuringProgressAbandonsTheServiceAndGoesOn) {
    settings.loggingEnabled = true;
    settings.timeout = 45;
    // Service 1 pages Ann, then stops answering while Bob is paged.
    responder = [](const QString& line, int connection) {
        if (connection == 1 && line == u"PAGE 102\r\n"_s) {
            return QString();
        }
        return standardReply(line);
    };
    engine.sendButtonClick(group(1));
    serve();
    EXPECT_EQ(engine.job().sentOkCount, 1);
    tick(45 * 3);
    serve();
    EXPECT_EQ(connectingLines(),
              (QStringList{u"CONNECTING TO SERVICE: ACMEORG ..."_s, u"CONNECTING TO SERVICE: ACMEORG -ENCRY ..."_s}));
    EXPECT_EQ(outputs.results.last(), u"3 of 4 MESSAGES SENT OK"_s);
    // Mended: Bob, whose page was under way, is named in the time-out line and reported not paged.
    EXPECT_TRUE(logFile().contains("ERROR: Timeout when sending to service., SRVC:ACMEORG, CONTACTS:Bob, MSG:hello"))
        << logFile().toStdString();
    EXPECT_TRUE(outputs.results.contains(u"NOT SENT: Bob (no answer in time)"_s))
        << outputs.results.join(u'\n').toStdString();
    EXPECT_EQ(outputs.notPaged, QStringList{u"Bob: no answer in time"_s});
}

TEST_F(ConnectionControl, TimeoutOfZeroNeverEndsAConnection) {
    settings.timeout = 0;
    silentAfterGreeting();
    engine.sendButtonClick(group(1));
    serve();
    tick(3 * 1000);
    serve();
    EXPECT_EQ(connectingLines().size(), 1);
    EXPECT_TRUE(client.open);
}

TEST_F(ConnectionControl, SingleRecipientWhoseServerNeverAnswersFailsAfterTenSeconds) {
    settings.loggingEnabled = true;
    greeting.clear();
    engine.sendButtonClick(single(u"Ann"_s));
    serve();
    tick(3 * 9);
    EXPECT_EQ(outputs.phase, u"CONNECTED..."_s);
    tick(3);
    EXPECT_EQ(outputs.phase, u"FAIL"_s);
    EXPECT_EQ(engine.job().state, EngineState::Idle);
    EXPECT_FALSE(client.open);
    EXPECT_TRUE(deferred.queue.empty());
    EXPECT_EQ(logFile(),
              "3:07:45 PM, ERROR: Timeout when sending to service., SRVC:ACMEORG, CONTACTS:Ann, MSG:hello\r\n");
}

TEST_F(ConnectionControl, RefusedPrimaryIsRetriedOnceOnTheAlternateAtPort444) {
    engine.serviceTable()[1].port = 1444;
    engine.serviceTable()[1].AltIp = u"backup.test,ignored,values"_s;
    splitIPintoParts(engine.serviceTable());
    refuseHost = [](const QString& host, int) { return host == u"gw1.test"_s; };
    engine.sendButtonClick(single(u"Ann"_s));
    serve();
    EXPECT_EQ(client.hostsSet, (QStringList{u"gw1.test"_s, u"backup.test"_s}));
    EXPECT_EQ(client.portsSet, (QList<int>{1444, 444}));
    EXPECT_EQ(pauses, std::vector<int>{150});
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
    EXPECT_EQ(engine.job().altTried, true);
}

TEST_F(ConnectionControl, RefusedAlternateEndsTheJobWithTheSystemsText) {
    engine.serviceTable()[1].AltIp = u"backup.test"_s;
    splitIPintoParts(engine.serviceTable());
    refuseHost = [](const QString&, int) { return true; };
    engine.sendButtonClick(single(u"Ann"_s));
    serve();
    EXPECT_EQ(client.connectRequests, 2);
    EXPECT_EQ(outputs.phase, u"FAIL"_s);
    EXPECT_EQ(outputs.status, u"Error: Connection refused"_s);
    EXPECT_EQ(engine.job().state, EngineState::Idle);
}

TEST_F(ConnectionControl, CancelWhileIdleOnlySaysCancel) {
    outputs.status = u"previous status"_s;
    engine.cancelSendButtonClick();
    EXPECT_EQ(outputs.phaseHistory, (QStringList{u"FAIL"_s, u"CANCEL"_s}));
    EXPECT_EQ(outputs.status, u"previous status"_s);
    EXPECT_TRUE(outputs.results.isEmpty());
    EXPECT_TRUE(deferred.queue.empty());
    EXPECT_EQ(client.closeRequests, 0);
}

TEST_F(ConnectionControl, CancelEndsOnlyTheConnectionUnderWay) {
    silentAfterGreeting();
    engine.sendButtonClick(group(1));
    serve();
    engine.cancelSendButtonClick();
    EXPECT_EQ(outputs.phase, u"CANCEL"_s);
    responder = [](const QString& line, int) { return standardReply(line); };
    serve();
    EXPECT_EQ(connectingLines().size(), 2);
    EXPECT_EQ(outputs.results.last(), u"2 of 4 MESSAGES SENT OK"_s);
}

TEST_F(ConnectionControl, ContactOfAServiceWithoutHostIsCountedButNeverPaged) {
    contacts.add(u"Eve"_s, u"501"_s, 5);
    engine.sendButtonClick(ticked({u"Ann"_s, u"Eve"_s, u"Bob"_s}));
    serve();
    EXPECT_EQ(outputs.results.last(), u"2 of 3 MESSAGES SENT OK"_s);
    EXPECT_EQ(connectingLines().size(), 1);
}

TEST_F(ConnectionControl, RefusedHostWhileQueuingIsReportedAndTheNextServiceTried) {
    settings.loggingEnabled = true;
    client.failingHosts = {u"gw1.test"_s};
    engine.sendButtonClick(group(1));
    serve();
    EXPECT_EQ(outputs.results.first(), u"3:07:45 PM ERROR setting remotehost: gw1.test"_s);
    EXPECT_EQ(outputs.statusHistory.filter(u"Error setting remotehost: gw1.test"_s).size(), 1);
    EXPECT_EQ(outputs.results.last(), u"2 of 4 MESSAGES SENT OK"_s);
    EXPECT_TRUE(
        logFile().startsWith("3:07:45 PM, ERROR connecting to service, SRVC:ACMEORG, CONTACTS:Ann,Bob, MSG:hello"))
        << logFile().toStdString();
}

TEST_F(ConnectionControl, LostConnectionShowsTheSystemsTextAndGoesOn) {
    silentAfterGreeting();
    engine.sendButtonClick(group(1));
    serve();
    client.serverCloses(104, u"Connection reset by peer"_s);
    EXPECT_EQ(outputs.status, u"Error: Connection reset by peer"_s);
    responder = [](const QString& line, int) { return standardReply(line); };
    serve();
    EXPECT_EQ(outputs.results.last(), u"2 of 4 MESSAGES SENT OK"_s);
}

// Mended: a job whose connection to a service is never established goes on with the next service,
// exactly as after a close, and ends with the tally.
struct NeverReachedCase {
    const char* what;
    std::function<void(ConnectionControl&)> start; // starts a group job whose service 1 is never reached
};

class ServiceNeverReached : public ConnectionControl, public ::testing::WithParamInterface<NeverReachedCase> {};

TEST_P(ServiceNeverReached, StillLetsTheJobGoOn) {
    GetParam().start(*this);
    serve();
    EXPECT_EQ(connectingLines(),
              (QStringList{u"CONNECTING TO SERVICE: ACMEORG ..."_s, u"CONNECTING TO SERVICE: ACMEORG -ENCRY ..."_s}));
    EXPECT_EQ(outputs.results.last(), u"2 of 4 MESSAGES SENT OK"_s);
    EXPECT_EQ(outputs.phase, u"DONE"_s);
}

INSTANTIATE_TEST_SUITE_P(Attempts, ServiceNeverReached,
                         ::testing::Values(NeverReachedCase{"attempt refused, no alternate",
                                                            [](ConnectionControl& t) {
                                                                t.refuseHost = [](const QString& h, int) {
                                                                    return h == u"gw1.test"_s;
                                                                };
                                                                t.engine.sendButtonClick(t.group(1));
                                                            }},
                                           NeverReachedCase{"watchdog while still connecting",
                                                            [](ConnectionControl& t) {
                                                                t.engine.sendButtonClick(t.group(1));
                                                                t.tick(45 * 3 + 3);
                                                            }},
                                           NeverReachedCase{"cancel while still connecting",
                                                            [](ConnectionControl& t) {
                                                                t.engine.sendButtonClick(t.group(1));
                                                                t.engine.cancelSendButtonClick();
                                                            }}),
                         test::NamedByWhat());

// Mended: the close of the primary that tryAlt makes posts no next-service request, so the job's
// next step never disturbs the alternate attempt; the page that was under way on the primary is
// paged again from its start on the alternate, and nobody is paged twice.
TEST_F(ConnectionControl, AlternateTakesOverThePageUnderWayAndTheNextServiceWaits) {
    engine.serviceTable()[1].AltIp = u"backup.test"_s;
    splitIPintoParts(engine.serviceTable());
    // The primary stops answering once Bob's page is under way; the alternate answers everything.
    responder = [this](const QString& line, int) {
        if (client.host == u"gw1.test"_s && line == u"PAGE 102\r\n"_s) {
            return QString();
        }
        return standardReply(line);
    };
    engine.sendButtonClick(group(1));
    serve();
    tick(45 * 3 + 3); // the watchdog fires and asks for the alternate
    ASSERT_EQ(deferred.queue, std::deque<char>{'t'});
    runOneDeferred(); // tryAlt: closes the primary and starts the alternate
    ASSERT_TRUE(client.connecting);
    EXPECT_TRUE(deferred.queue.empty());
    EXPECT_EQ(engine.job().currentService, 1);
    serve();
    EXPECT_EQ(client.hostsSet, (QStringList{u"gw1.test"_s, u"backup.test"_s, u"gw2.test"_s}));
    EXPECT_EQ(outputs.results.last(), u"4 of 4 MESSAGES SENT OK"_s);
    EXPECT_EQ(outputs.paged, (QStringList{u"Ann"_s, u"Bob"_s, u"Cy"_s, u"Dee"_s}));
    EXPECT_TRUE(outputs.notPaged.isEmpty());
    EXPECT_EQ(connectingLines().size(), 2);
    EXPECT_EQ(
        outputs.results,
        (QStringList{u"CONNECTING TO SERVICE: ACMEORG ..."_s, u"Sending to: Ann ..."_s, u"MESSAGE SENT OK"_s,
                     u"Sending to: Bob ..."_s, u"TRYING THE ALTERNATE ADDRESS OF SERVICE: ACMEORG ..."_s,
                     u"Sending to: Bob ..."_s, u"MESSAGE SENT OK"_s, u"CONNECTING TO SERVICE: ACMEORG -ENCRY ..."_s,
                     u"Sending to: Cy ..."_s, u"MESSAGE SENT OK"_s, u"Sending to: Dee ..."_s, u"MESSAGE SENT OK"_s,
                     u""_s, u"4 of 4 MESSAGES SENT OK"_s}))
        << "the operator sees why Bob is sent to again";
}

TEST_F(ConnectionControl, AlternateWhoseHostIsRefusedGivesTheServiceUp) {
    settings.loggingEnabled = true;
    engine.serviceTable()[1].AltIp = u"bad-backup.test"_s;
    splitIPintoParts(engine.serviceTable());
    client.failingHosts = {u"bad-backup.test"_s};
    refuseHost = [](const QString& h, int) { return h == u"gw1.test"_s; };
    engine.sendButtonClick(group(1));
    serve();
    EXPECT_EQ(outputs.statusHistory.filter(u"Error setting remotehost: bad-backup.test"_s).size(), 1);
    EXPECT_EQ(outputs.results.last(), u"2 of 4 MESSAGES SENT OK"_s);
    EXPECT_EQ(engine.job().watchdogSeconds, 0);
    EXPECT_TRUE(logFile().contains("ERROR connecting to service, SRVC:ACMEORG, CONTACTS:"));
}

// Mended: a single page sent to the alternate address is one job with one outcome. The close that
// tryAlt makes of the primary is not the end of the job, the alternate pages the whole message from
// its first chunk, and a page the primary already took is not paged again.
struct AlternateCase {
    const char* what;
    bool primaryGreets;
    std::function<bool(const QString& line)> primaryIgnores; // the primary leaves these unanswered
    QStringList alternateWire;                               // empty: the alternate is never tried
};

class SinglePageAlternate : public ConnectionControl, public ::testing::WithParamInterface<AlternateCase> {};

TEST_P(SinglePageAlternate, EndsWithOneOutcome) {
    const AlternateCase& c = GetParam();
    settings.loggingEnabled = true;
    engine.serviceTable()[1].AltIp = u"backup.test"_s;
    engine.serviceTable()[1].splitChars = 5;
    splitIPintoParts(engine.serviceTable());
    responder = [this, &c](const QString& line, int) {
        return client.host == u"gw1.test"_s && c.primaryIgnores(line) ? QString() : standardReply(line);
    };
    if (!c.primaryGreets) {
        greeting.clear();
    }
    engine.sendButtonClick(single(u"Ann"_s, u"hello world"_s));
    serve();
    const qsizetype onPrimary = client.sent.size();
    greeting = u"220 SNPP ready\r\n"_s;
    tick(3 * 10);
    serve();
    ASSERT_EQ(outputs.reports.size(), 1u);
    EXPECT_EQ(outputs.reports[0].outcome, JobReport::Outcome::Success);
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
    EXPECT_FALSE(outputs.phaseHistory.mid(outputs.phaseHistory.lastIndexOf(u"CONNECTING..."_s)).contains(u"FAIL"_s));
    EXPECT_EQ(outputs.paged, QStringList{u"Ann"_s});
    EXPECT_TRUE(outputs.notPaged.isEmpty());
    EXPECT_EQ(logFile().count("Message Sent OK"), 1) << logFile().toStdString();
    QStringList alternate;
    for (const QString& line : wire().mid(onPrimary)) {
        alternate.append(line);
    }
    EXPECT_EQ(alternate, c.alternateWire);
    EXPECT_EQ(client.connectRequests, c.alternateWire.isEmpty() ? 1 : 2);
}

const QStringList wholeMessage{u"PAGE 101"_s, u"MESS hello"_s, u"SEND"_s,   u"PAGE 101"_s, u"MESS  worl"_s,
                               u"SEND"_s,     u"PAGE 101"_s,   u"MESS d"_s, u"SEND"_s,     u"QUIT"_s};

INSTANTIATE_TEST_SUITE_P(
    Primaries, SinglePageAlternate,
    ::testing::Values(AlternateCase{"primary accepts and never greets", false, [](const QString&) { return true; },
                                    wholeMessage},
                      AlternateCase{"primary stalls after taking PAGE", true,
                                    [](const QString& line) { return line.startsWith(u"MESS"_s); }, wholeMessage},
                      AlternateCase{"primary stalls on the second chunk", true,
                                    [](const QString& line) { return line == u"MESS  worl\r\n"_s; }, wholeMessage},
                      AlternateCase{"primary took the page and leaves QUIT unanswered",
                                    true,
                                    [](const QString& line) { return line.startsWith(u"QUIT"_s); },
                                    {}}),
    test::NamedByWhat());

// Mended: however a service's connection ends, everyone it did not page is named, once, in the
// results list and to programs waiting on the job, and the tally counts as before. Ann and Bob are
// on service 1; Cy and Dee on service 2, which always answers.
struct LeftUnpagedCase {
    const char* what;
    std::function<void(ConnectionControl&)> run; // starts the group job and ends service 1 somehow
    QStringList notPaged;                        // "name: reason"
    const char* logged;                          // the log line naming them
};

class LeftUnpaged : public ConnectionControl, public ::testing::WithParamInterface<LeftUnpagedCase> {};

TEST_P(LeftUnpaged, AreNamedOnceAndTheJobGoesOn) {
    const LeftUnpagedCase& c = GetParam();
    settings.loggingEnabled = true;
    c.run(*this);
    responder = [](const QString& line, int) { return standardReply(line); };
    serve();
    EXPECT_EQ(outputs.notPaged, c.notPaged);
    QStringList everyone = outputs.paged;
    for (const QString& line : outputs.notPaged) {
        everyone.append(line.section(u": "_s, 0, 0));
        EXPECT_TRUE(outputs.results.contains(u"NOT SENT: "_s + line.section(u": "_s, 0, 0) + u" ("_s +
                                             line.section(u": "_s, 1) + u')'))
            << outputs.results.join(u'\n').toStdString();
    }
    everyone.sort();
    EXPECT_EQ(everyone, (QStringList{u"Ann"_s, u"Bob"_s, u"Cy"_s, u"Dee"_s})) << "one outcome each";
    EXPECT_EQ(outputs.results.last(), u"%1 of 4 MESSAGES SENT OK"_s.arg(4 - c.notPaged.size()));
    EXPECT_GT(outputs.resultsShown, 0);
    EXPECT_TRUE(logFile().contains(c.logged)) << logFile().toStdString();
}

// Service 1 greets, takes Ann's page, and then leaves Bob's PAGE unanswered.
void stallOnBob(ConnectionControl& t) {
    t.responder = [](const QString& line, int connection) {
        return connection == 1 && line == u"PAGE 102\r\n"_s ? QString() : test::EngineHarness::standardReply(line);
    };
    t.engine.sendButtonClick(t.group(1));
    t.serve();
}

INSTANTIATE_TEST_SUITE_P(
    Ends, LeftUnpaged,
    ::testing::Values(LeftUnpagedCase{"connection refused",
                                      [](ConnectionControl& t) {
                                          t.refuseHost = [](const QString& h, int) { return h == u"gw1.test"_s; };
                                          t.engine.sendButtonClick(t.group(1));
                                      },
                                      {u"Ann: Connection refused"_s, u"Bob: Connection refused"_s},
                                      "ERROR connecting to service., SRVC:ACMEORG, CONTACTS:Ann,Bob"},
                      LeftUnpagedCase{"host cannot be set",
                                      [](ConnectionControl& t) {
                                          t.client.failingHosts = {u"gw1.test"_s};
                                          t.engine.sendButtonClick(t.group(1));
                                      },
                                      {u"Ann: cannot set the remote host gw1.test"_s,
                                       u"Bob: cannot set the remote host gw1.test"_s},
                                      "ERROR connecting to service, SRVC:ACMEORG, CONTACTS:Ann,Bob"},
                      LeftUnpagedCase{"login refused",
                                      [](ConnectionControl& t) {
                                          t.engine.serviceTable()[1].ip = u"gw1.test,me,pw"_s;
                                          splitIPintoParts(t.engine.serviceTable());
                                          t.responder = [](const QString& line, int) {
                                              return line.startsWith(u"LOGI"_s)
                                                         ? u"530 Bad login\r\n"_s
                                                         : test::EngineHarness::standardReply(line);
                                          };
                                          t.engine.sendButtonClick(t.group(1));
                                          t.serve();
                                      },
                                      {u"Ann: login refused: 530 Bad login"_s, u"Bob: login refused: 530 Bad login"_s},
                                      "ERROR: Login refused, code:530, SRVC:ACMEORG, CONTACTS:Ann,Bob"},
                      LeftUnpagedCase{"time-out with Bob's page in flight",
                                      [](ConnectionControl& t) {
                                          stallOnBob(t);
                                          t.tick(45 * 3 + 3);
                                      },
                                      {u"Bob: no answer in time"_s},
                                      "ERROR: Timeout when sending to service., SRVC:ACMEORG, CONTACTS:Bob"},
                      LeftUnpagedCase{"service hangs up with Bob's page in flight",
                                      [](ConnectionControl& t) {
                                          stallOnBob(t);
                                          t.client.serverCloses();
                                      },
                                      {u"Bob: the service closed the connection"_s},
                                      "ERROR: Connection lost while sending to service., SRVC:ACMEORG, CONTACTS:Bob"},
                      LeftUnpagedCase{"connection reset with Bob's page in flight",
                                      [](ConnectionControl& t) {
                                          stallOnBob(t);
                                          t.client.serverCloses(104, u"Connection reset by peer"_s);
                                      },
                                      {u"Bob: Connection reset by peer"_s},
                                      "ERROR: Connection lost while sending to service., SRVC:ACMEORG, CONTACTS:Bob"},
                      LeftUnpagedCase{"cancel with Bob's page in flight",
                                      [](ConnectionControl& t) {
                                          stallOnBob(t);
                                          t.engine.cancelSendButtonClick();
                                      },
                                      {u"Bob: cancelled"_s},
                                      "ERROR: Send cancelled by the operator., SRVC:ACMEORG, CONTACTS:Bob"},
                      LeftUnpagedCase{"alternate host cannot be set after the primary stalled",
                                      [](ConnectionControl& t) {
                                          t.engine.serviceTable()[1].AltIp = u"bad-backup.test"_s;
                                          splitIPintoParts(t.engine.serviceTable());
                                          t.client.failingHosts = {u"bad-backup.test"_s};
                                          stallOnBob(t);
                                          t.tick(45 * 3 + 3);
                                      },
                                      {u"Bob: cannot set the remote host bad-backup.test"_s},
                                      "ERROR connecting to service, SRVC:ACMEORG, CONTACTS:Bob"},
                      LeftUnpagedCase{"the second service refused and its alternate host cannot be set",
                                      [](ConnectionControl& t) {
                                          t.engine.serviceTable()[2].AltIp = u"bad-backup.test"_s;
                                          splitIPintoParts(t.engine.serviceTable());
                                          t.client.failingHosts = {u"bad-backup.test"_s};
                                          t.refuseHost = [](const QString& h, int) { return h == u"gw2.test"_s; };
                                          t.engine.sendButtonClick(t.group(1));
                                      },
                                      {u"Cy: cannot set the remote host bad-backup.test"_s,
                                       u"Dee: cannot set the remote host bad-backup.test"_s},
                                      "ERROR connecting to service, SRVC:ACMEORG -ENCRY, CONTACTS:Cy,Dee"},
                      LeftUnpagedCase{"cancel while still connecting",
                                      [](ConnectionControl& t) {
                                          t.engine.sendButtonClick(t.group(1));
                                          t.engine.cancelSendButtonClick();
                                      },
                                      {u"Ann: cancelled"_s, u"Bob: cancelled"_s},
                                      "ERROR: Send cancelled by the operator., SRVC:ACMEORG, CONTACTS:Ann,Bob"}),
    test::NamedByWhat());

} // namespace
} // namespace corvane
