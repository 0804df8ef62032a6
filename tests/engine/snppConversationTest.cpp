#include "engineHarness.h"
#include "namedRows.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

class SnppConversation : public test::EngineHarness {
protected:
    SnppConversation() {
        contacts.add(u"Jane Doe"_s, u"5551234"_s, 1);
        contacts.add(u"Bob Smith"_s, u"5550001"_s, 1, {}, u"0042"_s);
        contacts.add(u"Cy Young"_s, u"5550002"_s, 1);
        contacts.add(u"Encrypted Ed"_s, u"5550003"_s, 2);
    }
    // Jane Doe, Bob Smith and Cy Young ticked, and Bob's page refused with reply: what the results
    // list shows, and what a program waiting on the job hears.
    void expectBobsPageRefused(const QString& reply) {
        EXPECT_EQ(
            outputs.results,
            (QStringList{u"CONNECTING TO SERVICE: ACMEORG ..."_s, u"Sending to: Jane Doe ..."_s, u"MESSAGE SENT OK"_s,
                         u"Sending to: Bob Smith ..."_s, u"NOT SENT: Bob Smith ("_s + reply + u')',
                         u"Sending to: Cy Young ..."_s, u"MESSAGE SENT OK"_s, u""_s, u"2 of 3 MESSAGES SENT OK"_s}));
        EXPECT_EQ(outputs.paged, (QStringList{u"Jane Doe"_s, u"Cy Young"_s}));
        EXPECT_EQ(outputs.notPaged, QStringList{u"Bob Smith: "_s + reply});
    }
};

TEST_F(SnppConversation, SingleContactPagesAndQuitsAfterTheServersGoodbye) {
    settings.loggingEnabled = true;
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_EQ(wire(), (QStringList{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s}));
    EXPECT_EQ(outputs.phaseHistory, (QStringList{u"CONNECTING..."_s, u"CONNECTED..."_s, u"SUCCESS"_s}));
    EXPECT_EQ(engine.job().state, EngineState::Idle);
    EXPECT_EQ(engine.job().watchdogSeconds, 0);
    EXPECT_TRUE(deferred.queue.empty());
    EXPECT_EQ(client.hostsSet, QStringList{u"gw1.test"_s});
    EXPECT_EQ(logFile(), "3:07:45 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:Jane Doe, MSG:hello\r\n");
}

struct BannerCase {
    const char* what;
    QString greeting;
    QString banner;
};

class GreetingBanner : public SnppConversation, public ::testing::WithParamInterface<BannerCase> {};

TEST_P(GreetingBanner, ComesFromTheTextAfterStx) {
    const BannerCase& c = GetParam();
    outputs.banner = u"old banner"_s;
    greeting = c.greeting;
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_EQ(outputs.banner, c.banner);
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
}

INSTANTIATE_TEST_SUITE_P(Greetings, GreetingBanner,
                         ::testing::Values(BannerCase{"notice after STX", u"220 \u0002Gateway maintenance at 5\r\n"_s,
                                                      u"Gateway maintenance at 5"_s},
                                           BannerCase{"cut to 40 characters",
                                                      u"220 \u0002"_s + QString(60, u'x') + u"\r\n"_s,
                                                      QString(40, u'x')},
                                           BannerCase{"no STX in the 5th place", u"220 SNPP ready\r\n"_s, u""_s},
                                           BannerCase{"STX but nothing after it", u"220 \u0002\r\n"_s, u""_s}),
                         test::NamedByWhat());

// Gateways apply HOLD to the next transaction only, so it goes before every PAGE; LOGI goes once.
struct LoginHoldCase {
    const char* what;
    QString ip;
    QString hold;
    QStringList login;  // lines before the first transaction
    QStringList before; // lines before every PAGE
};

class LoginAndHold : public SnppConversation, public ::testing::WithParamInterface<LoginHoldCase> {};

TEST_P(LoginAndHold, LoginGoesOutOnceAndHoldBeforeEveryPage) {
    const LoginHoldCase& c = GetParam();
    engine.serviceTable()[1].ip = c.ip;
    engine.serviceTable()[1].splitChars = 3;
    splitIPintoParts(engine.serviceTable());
    engine.setHoldValue(c.hold);
    RecipientSelection later = ticked({u"Jane Doe"_s, u"Cy Young"_s}, u"hello"_s);
    later.fromSendButton = false; // the future delivery path keeps the hold value
    engine.sendButtonClick(later);
    serve();
    QStringList expected = c.login;
    for (const QString& page : {u"PAGE 5551234"_s, u"PAGE 5550002"_s}) {
        for (const QString& chunk : {u"hel"_s, u"lo"_s}) {
            expected += c.before + QStringList{page, u"MESS "_s + chunk, u"SEND"_s};
        }
    }
    expected += u"QUIT"_s;
    EXPECT_EQ(wire(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, LoginAndHold,
    ::testing::Values(
        LoginHoldCase{"login and hold",
                      u"gw1.test,my id,se cret"_s,
                      u"130130184500"_s,
                      {u"LOGI myid secret"_s},
                      {u"HOLD 130130184500"_s}},
        LoginHoldCase{
            "login id without password: no LOGI", u"gw1.test,myid"_s, u"130130184500"_s, {}, {u"HOLD 130130184500"_s}},
        LoginHoldCase{"hold of 11 characters is none", u"gw1.test"_s, u"13013018450"_s, {}, {}},
        LoginHoldCase{"hold of 13 characters is none", u"gw1.test"_s, u"1301301845001"_s, {}, {}}),
    test::NamedByWhat());

// Mended: a page whose delivery time was refused went out at once, and its log line and the
// program waiting on it say so.
TEST_F(SnppConversation, RefusedHoldIsLoggedOncePerConnectionAndThePagesGoOutForNow) {
    settings.loggingEnabled = true;
    engine.setHoldValue(u"130130184500"_s);
    responder = [](const QString& line, int) {
        return line.startsWith(u"HOLD"_s) ? u"550 No future delivery\r\n"_s : standardReply(line);
    };
    RecipientSelection later = ticked({u"Jane Doe"_s, u"Cy Young"_s});
    later.fromSendButton = false;
    engine.sendButtonClick(later);
    serve();
    EXPECT_EQ(wire(), (QStringList{u"HOLD 130130184500"_s, u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s,
                                   u"HOLD 130130184500"_s, u"PAGE 5550002"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s}));
    EXPECT_EQ(outputs.phase, u"DONE"_s);
    EXPECT_EQ(logFile(), "3:07:45 PM, WARNING: Server did not accept HOLD command (future delivery)., SRVC:ACMEORG, "
                         "CONTACTS:Jane Doe,Cy Young, MSG:hello\r\n"
                         "3:07:45 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:Jane Doe, MSG:hello\r\n"
                         "3:07:45 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:Cy Young, MSG:hello\r\n");
    EXPECT_EQ(outputs.holdRefusals, QStringList{u"ACMEORG: 550 No future delivery"_s});
}

TEST_F(SnppConversation, LongMessageGoesAsOneTransactionPerChunkToTheSamePager) {
    engine.serviceTable()[1].splitChars = 400;
    const QString message = QString(400, u'a') + QString(400, u'b') + QString(199, u'c');
    engine.sendButtonClick(single(u"Bob Smith"_s, message));
    serve();
    EXPECT_EQ(wire(), (QStringList{u"PAGE 5550001 0042"_s, u"MESS "_s + QString(400, u'a'), u"SEND"_s,
                                   u"PAGE 5550001 0042"_s, u"MESS "_s + QString(400, u'b'), u"SEND"_s,
                                   u"PAGE 5550001 0042"_s, u"MESS "_s + QString(199, u'c'), u"SEND"_s, u"QUIT"_s}));
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
}

TEST_F(SnppConversation, EncryptedServiceGetsTheEncryptedMessLine) {
    engine.sendButtonClick(single(u"Encrypted Ed"_s, u"x"_s));
    serve();
    ASSERT_EQ(wire().size(), 4);
    EXPECT_EQ(client.hostsSet, QStringList{u"gw2.test"_s});
    EXPECT_TRUE(wire()[1].startsWith(u"MESS SNPPENCRYPTED001"_s)) << wire()[1].toStdString();
    EXPECT_TRUE(wire()[1].endsWith(u"=="_s));
}

TEST_F(SnppConversation, RefusalInATickedJobSkipsToTheNextRecipient) {
    settings.loggingEnabled = true;
    int pages = 0;
    responder = [&](const QString& line, int) {
        if (line.startsWith(u"PAGE"_s) && ++pages == 2) {
            return u"550 Unknown pager\r\n"_s;
        }
        return standardReply(line);
    };
    engine.sendButtonClick(ticked({u"Jane Doe"_s, u"Bob Smith"_s, u"Cy Young"_s}));
    serve();
    expectBobsPageRefused(u"550 Unknown pager"_s);
    EXPECT_EQ(engine.job().sentOkCount, 2);
    EXPECT_EQ(outputs.phase, u"DONE"_s);
    EXPECT_GE(outputs.resultsShown, 1);
    EXPECT_EQ(wire().last(), u"QUIT"_s);
    EXPECT_TRUE(logFile().contains("ERROR code:550, SRVC:ACMEORG, CONTACTS:Bob Smith, MSG:hello"));
}

TEST_F(SnppConversation, RefusalInASingleJobEndsItWithFail) {
    settings.loggingEnabled = true;
    responder = [](const QString& line, int) {
        return line.startsWith(u"SEND"_s) ? u"554 Message failed\r\n"_s : standardReply(line);
    };
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_EQ(outputs.phase, u"FAIL"_s);
    EXPECT_EQ(outputs.status, u"554 Message failed\r\n"_s);
    EXPECT_EQ(outputs.results, QStringList{u"FAIL, Send process terminated"_s});
    EXPECT_EQ(wire(), (QStringList{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s}));
    EXPECT_EQ(engine.job().state, EngineState::Idle);
    EXPECT_EQ(logFile(), "3:07:45 PM, ERROR code:554, SRVC:ACMEORG, CONTACTS:Jane Doe, MSG:hello\r\n");
}

TEST_F(SnppConversation, UnexpectedReplyIsShownAndTheConnectionClosed) {
    responder = [](const QString& line, int) {
        return line.startsWith(u"MESS"_s) ? u"214 Help text\r\n"_s : standardReply(line);
    };
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_EQ(outputs.status, u"214 Help text\r\n"_s);
    EXPECT_EQ(engine.job().state, EngineState::Idle);
    EXPECT_FALSE(client.open);
}

TEST_F(SnppConversation, GreetingThatIsNotA220IsIgnoredUntilTheServerCloses) {
    greeting = u"421 Too busy\r\n"_s;
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_TRUE(client.sent.isEmpty());
    EXPECT_EQ(engine.job().state, EngineState::AwaitingGreeting);
    client.serverCloses();
    EXPECT_EQ(engine.job().state, EngineState::Idle);
}

TEST_F(SnppConversation, ReplySplitAtAnyByteIsPutTogetherBeforeItIsAnswered) {
    engine.sendButtonClick(single(u"Jane Doe"_s));
    client.accept();
    for (const QChar c : u"220 SNPP ready\r\n"_s) {
        client.deliver(QString(c));
    }
    ASSERT_EQ(wire(), QStringList{u"PAGE 5551234"_s});
    client.deliver(u"25"_s); // half a reply: nothing is decided on it
    EXPECT_EQ(wire().size(), 1);
    client.deliver(u"0 OK\r"_s);
    EXPECT_EQ(wire().size(), 1);
    client.deliver(u"\n"_s);
    EXPECT_EQ(wire().last(), u"MESS hello"_s);
}

// A delivery holding a line end is one reply: its first line counts, and whatever the server put
// after it in the same delivery cannot answer a command that has not been sent yet.
struct DeliveryCase {
    const char* what;
    QString greeting;
    std::function<QString(const QString&)> reply; // answer to each command line
    QString phase;
    QStringList wire;
};

class OneReplyPerDelivery : public SnppConversation, public ::testing::WithParamInterface<DeliveryCase> {};

TEST_P(OneReplyPerDelivery, KeepsTheDialogueInStep) {
    const DeliveryCase& c = GetParam();
    greeting = c.greeting;
    responder = [&c](const QString& line, int) { return c.reply(line); };
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_EQ(outputs.phase, c.phase);
    EXPECT_EQ(wire(), c.wire);
    EXPECT_TRUE(engine.isIdle());
}

INSTANTIATE_TEST_SUITE_P(
    Deliveries, OneReplyPerDelivery,
    ::testing::Values(DeliveryCase{"greeting_of_two_lines", u"220 SNPP gateway ready\r\nAuthorised use only\r\n"_s,
                                   [](const QString& line) { return SnppConversation::standardReply(line); },
                                   u"SUCCESS"_s, QStringList{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s}},
                      DeliveryCase{"stray_line_after_the_greeting_then_SEND_refused", u"220 ready\r\n250 x\r\n"_s,
                                   [](const QString& line) {
                                       return line.startsWith(u"SEND"_s) ? u"554 Refused\r\n"_s
                                                                         : SnppConversation::standardReply(line);
                                   },
                                   u"FAIL"_s, QStringList{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s}},
                      DeliveryCase{"PAGE_answered_with_two_lines", u"220 ready\r\n"_s,
                                   [](const QString& line) {
                                       return line.startsWith(u"PAGE"_s) ? u"250 Pager ok\r\n250 Really ok\r\n"_s
                                                                         : SnppConversation::standardReply(line);
                                   },
                                   u"SUCCESS"_s,
                                   QStringList{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s}}),
    test::NamedByWhat());

TEST_F(SnppConversation, GroupWhoseServerAnswersPageWithTwoLinesReportsEachRecipientTruly) {
    int sends = 0;
    responder = [&sends](const QString& line, int) {
        if (line.startsWith(u"PAGE 5550001"_s)) {
            return u"250 Pager ok\r\n250 Really ok\r\n"_s;
        }
        if (line.startsWith(u"SEND"_s)) {
            return ++sends == 2 ? u"554 Not delivered\r\n"_s : standardReply(line);
        }
        return standardReply(line);
    };
    engine.sendButtonClick(ticked({u"Jane Doe"_s, u"Bob Smith"_s, u"Cy Young"_s}));
    serve();
    expectBobsPageRefused(u"554 Not delivered"_s);
}

struct RefusalCase {
    const char* what;
    QString refusal;
    const char* logLine;
};

class RefusedLogin : public SnppConversation, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedLogin, EndsTheAttemptAtOnce) {
    const RefusalCase& c = GetParam();
    settings.loggingEnabled = true;
    engine.serviceTable()[1].ip = u"gw1.test,ops,pw"_s;
    splitIPintoParts(engine.serviceTable());
    responder = [&c](const QString& line, int) { return line.startsWith(u"LOGI"_s) ? c.refusal : standardReply(line); };
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_EQ(wire(), QStringList{u"LOGI ops pw"_s});
    EXPECT_TRUE(engine.isIdle());
    EXPECT_FALSE(client.open);
    EXPECT_EQ(outputs.status, c.refusal);
    EXPECT_EQ(outputs.phase, u"FAIL"_s);
    ASSERT_EQ(outputs.reports.size(), 1u);
    EXPECT_EQ(outputs.reports[0].outcome, JobReport::Outcome::Fail);
    EXPECT_TRUE(logFile().contains(c.logLine)) << logFile().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Replies, RefusedLogin,
    ::testing::Values(RefusalCase{"bad login", u"550 Bad login\r\n"_s,
                                  "ERROR: Login refused, code:550, SRVC:ACMEORG, CONTACTS:Jane Doe"},
                      RefusalCase{"closing", u"421 Go away\r\n"_s,
                                  "ERROR: Login refused, code:421, SRVC:ACMEORG, CONTACTS:Jane Doe"}),
    test::NamedByWhat());

TEST_F(SnppConversation, GroupWhoseFirstServiceRefusesTheLoginGoesOnWithTheNext) {
    engine.serviceTable()[1].ip = u"gw1.test,ops,pw"_s;
    splitIPintoParts(engine.serviceTable());
    responder = [](const QString& line, int) {
        return line.startsWith(u"LOGI"_s) ? u"550 Bad login\r\n"_s : standardReply(line);
    };
    engine.sendButtonClick(ticked({u"Jane Doe"_s, u"Encrypted Ed"_s}));
    serve();
    EXPECT_EQ(outputs.results.last(), u"1 of 2 MESSAGES SENT OK"_s);
    EXPECT_EQ(client.hostsSet, (QStringList{u"gw1.test"_s, u"gw2.test"_s}));
}

// A gateway that must be told to queue the page gets its command before every PAGE (and before
// HOLD); its answer does not matter unless the gateway is closing.
TEST_F(SnppConversation, ServiceCommandGoesBeforeEveryPage) {
    engine.serviceTable()[1].beforePage = u"SITE JQUEUE YES"_s;
    engine.serviceTable()[1].splitChars = 3;
    engine.setHoldValue(u"130130184500"_s);
    responder = [](const QString& line, int) {
        return line.startsWith(u"SITE"_s) ? u"500 What?\r\n"_s : standardReply(line);
    };
    RecipientSelection later = single(u"Jane Doe"_s, u"hello"_s);
    later.fromSendButton = false;
    engine.sendButtonClick(later);
    serve();
    EXPECT_EQ(wire(), (QStringList{u"SITE JQUEUE YES"_s, u"HOLD 130130184500"_s, u"PAGE 5551234"_s, u"MESS hel"_s,
                                   u"SEND"_s, u"SITE JQUEUE YES"_s, u"HOLD 130130184500"_s, u"PAGE 5551234"_s,
                                   u"MESS lo"_s, u"SEND"_s, u"QUIT"_s}));
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
}

TEST_F(SnppConversation, ServiceCommandAnsweredWithAClosingReplyEndsTheConnection) {
    engine.serviceTable()[1].beforePage = u"SITE JQUEUE YES"_s;
    responder = [](const QString& line, int) {
        return line.startsWith(u"SITE"_s) ? u"421 Shutting down\r\n"_s : standardReply(line);
    };
    engine.sendButtonClick(ticked({u"Jane Doe"_s, u"Cy Young"_s}));
    serve();
    EXPECT_EQ(wire(), (QStringList{u"SITE JQUEUE YES"_s, u"SITE JQUEUE YES"_s, u"QUIT"_s}));
    EXPECT_EQ(outputs.results.last(), u"0 of 2 MESSAGES SENT OK"_s);
}

// The peer resets the connection as we write: that connection is over, the job is not.
TEST_F(SnppConversation, FailedSendEndsTheConnectionAndTheJobGoesOn) {
    settings.loggingEnabled = true;
    client.failSend = [](const QString& text) { return text.startsWith(u"MESS"_s) && !text.contains(u"SNPPENC"_s); };
    engine.sendButtonClick(ticked({u"Jane Doe"_s, u"Encrypted Ed"_s}));
    serve();
    EXPECT_EQ(outputs.results.last(), u"1 of 2 MESSAGES SENT OK"_s);
    EXPECT_EQ(outputs.phase, u"DONE"_s);
    EXPECT_TRUE(engine.isIdle());
    EXPECT_TRUE(outputs.statusHistory.contains(u"Error: Error sending data: Connection reset by peer"_s));
    EXPECT_TRUE(logFile().contains("ERROR: Connection lost while sending to service."));

    client.sent.clear();
    answered = 0;
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_EQ(outputs.phase, u"FAIL"_s);
    EXPECT_TRUE(engine.isIdle());
}

TEST_F(SnppConversation, QuitAnsweredWithoutGoodbyeWaitsForTheWatchdog) {
    responder = [](const QString& line, int) {
        return line.startsWith(u"QUIT"_s) ? u"250 Not yet\r\n"_s : standardReply(line);
    };
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    EXPECT_EQ(engine.job().state, EngineState::QuitSent);
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
    tick(3 * 10);
    EXPECT_EQ(engine.job().state, EngineState::Idle);
    // The page was taken: an unanswered QUIT does not make it a failure.
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
    ASSERT_EQ(outputs.reports.size(), 1u);
    EXPECT_EQ(outputs.reports[0].outcome, JobReport::Outcome::Success);
}

// Mended: the rest of a reply longer than can be a reply is dropped up to its line end, instead of
// being taken as the answer to the next command.
TEST_F(SnppConversation, TailOfAnOverLongReplyIsNoReplyOfItsOwn) {
    responder = [](const QString& line, int) { return line.startsWith(u"PAGE"_s) ? QString() : standardReply(line); };
    engine.sendButtonClick(single(u"Jane Doe"_s));
    serve();
    ASSERT_EQ(wire(), QStringList{u"PAGE 5551234"_s});
    client.deliver(u"250 "_s + QString(3000, u'x'));
    client.deliver(QString(3000, u'x')); // past the limit: answered as the 250 it began with
    ASSERT_EQ(wire().size(), 2) << "MESS went out";
    client.deliver(QString(3000, u'x'));
    client.deliver(u"xxx 554 tail\r\n"_s);
    responder = [](const QString& line, int) { return standardReply(line); };
    answered = 1; // the harness answers MESS from here on
    serve();
    EXPECT_EQ(wire(), (QStringList{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s}));
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// A server that keeps its transaction as Net::SNPP::Server does: the pagers and the message stay
// until a SEND is accepted or a RESE clears them, so a refused SEND leaves them behind.
struct TransactionKeepingServer {
    QString refuse;       // "VERB id": the command refused for that pager's transaction
    bool rese = true;     // takes RESE
    bool hylafax = false; // as hfaxd: a login first, and RESE answered with a new greeting that forgets it
    bool loggedIn = false;
    QStringList pagers;
    bool message = false;
    QStringList delivered;

    QString answer(const QString& sent) {
        const QString line = sent.trimmed();
        const QString verb = line.left(4);
        if (verb == u"LOGI"_s) {
            loggedIn = true;
            return u"250 User ops logged in.\r\n"_s;
        }
        if (hylafax && !loggedIn && verb != u"QUIT"_s) {
            return u"530 Please login with LOGIN.\r\n"_s;
        }
        const QString refusedHere = refuse.section(u' ', 0, 0);
        const bool refusedPager = pagers.contains(refuse.section(u' ', 1)) ||
                                  (verb == u"PAGE"_s && line.section(u' ', 1, 1) == refuse.section(u' ', 1));
        if (verb == refusedHere && refusedPager) {
            return u"554 Error, failed\r\n"_s;
        }
        if (verb == u"PAGE"_s) {
            pagers.append(line.section(u' ', 1, 1));
            return u"250 Pager ID Accepted\r\n"_s;
        }
        if (verb == u"MESS"_s) {
            if (std::exchange(message, true)) {
                return u"503 ERROR, Message Already Entered\r\n"_s;
            }
            return u"250 Message OK\r\n"_s;
        }
        if (verb == u"SEND"_s) {
            delivered.append(pagers);
            pagers.clear();
            message = false;
            return u"250 Message Sent Successfully\r\n"_s;
        }
        if (verb == u"RESE"_s && rese) {
            pagers.clear();
            message = false;
            if (hylafax) {
                loggedIn = false;
                return u"220 vm server (HylaFAX (tm) Version 6.0.7) ready.\r\n"_s;
            }
            return u"250 RESET OK\r\n"_s;
        }
        if (verb == u"QUIT"_s) {
            return u"221 OK, Goodbye\r\n"_s;
        }
        return u"500 Command Not Implemented\r\n"_s;
    }
};

struct RefusedStepCase {
    const char* what;
    QString refuse;
    bool rese;
    QStringList wire;      // after the first recipient's transaction
    QStringList delivered; // pager IDs the server sent
    QStringList notPaged;
    QString tally;
    bool hylafax = false; // the service logs in, and the server is hfaxd-like
};

void PrintTo(const RefusedStepCase& c, std::ostream* os) {
    *os << c.what;
}

class RefusedStep : public SnppConversation, public ::testing::WithParamInterface<RefusedStepCase> {};

// One refused step costs only its own recipient: the transaction the server still holds is cleared
// before the next PAGE. A server that will not clear it ends the connection, and everyone left is
// accounted for.
TEST_P(RefusedStep, CostsOnlyItsRecipient) {
    const RefusedStepCase& c = GetParam();
    settings.loggingEnabled = true;
    contacts.add(u"Di Ames"_s, u"5550004"_s, 1);
    TransactionKeepingServer server;
    server.refuse = c.refuse;
    server.rese = c.rese;
    server.hylafax = c.hylafax;
    if (c.hylafax) {
        engine.serviceTable()[1].ip = u"gw1.test,ops,pw"_s;
        splitIPintoParts(engine.serviceTable());
    }
    responder = [&](const QString& line, int) { return server.answer(line); };
    engine.sendButtonClick(ticked({u"Jane Doe"_s, u"Bob Smith"_s, u"Cy Young"_s, u"Di Ames"_s}));
    serve();
    QStringList first{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s};
    if (c.hylafax) {
        first.prepend(u"LOGI ops pw"_s);
    }
    EXPECT_EQ(wire(), first + c.wire);
    EXPECT_EQ(server.delivered, c.delivered);
    EXPECT_EQ(outputs.notPaged, c.notPaged);
    EXPECT_EQ(outputs.outcomes.size(), 4u) << "one outcome each";
    EXPECT_EQ(outputs.results.last(), c.tally);
    EXPECT_TRUE(engine.isIdle());
}

const QString bobRefused = u"Bob Smith: 554 Error, failed"_s;

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedStep,
    ::testing::Values(
        RefusedStepCase{"SEND refused for the second",
                        u"SEND 5550001"_s,
                        true,
                        {u"PAGE 5550001 0042"_s, u"MESS hello"_s, u"SEND"_s, u"RESE"_s, u"PAGE 5550002"_s,
                         u"MESS hello"_s, u"SEND"_s, u"PAGE 5550004"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s},
                        {u"5551234"_s, u"5550002"_s, u"5550004"_s},
                        {bobRefused},
                        u"3 of 4 MESSAGES SENT OK"_s},
        RefusedStepCase{"MESS refused for the second",
                        u"MESS 5550001"_s,
                        true,
                        {u"PAGE 5550001 0042"_s, u"MESS hello"_s, u"RESE"_s, u"PAGE 5550002"_s, u"MESS hello"_s,
                         u"SEND"_s, u"PAGE 5550004"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s},
                        {u"5551234"_s, u"5550002"_s, u"5550004"_s},
                        {bobRefused},
                        u"3 of 4 MESSAGES SENT OK"_s},
        RefusedStepCase{"PAGE refused: nothing to clear",
                        u"PAGE 5550001"_s,
                        false,
                        {u"PAGE 5550001 0042"_s, u"PAGE 5550002"_s, u"MESS hello"_s, u"SEND"_s, u"PAGE 5550004"_s,
                         u"MESS hello"_s, u"SEND"_s, u"QUIT"_s},
                        {u"5551234"_s, u"5550002"_s, u"5550004"_s},
                        {bobRefused},
                        u"3 of 4 MESSAGES SENT OK"_s},
        RefusedStepCase{"RESE answered with a new greeting (hfaxd): log in again and go on",
                        u"SEND 5550001"_s,
                        true,
                        {u"PAGE 5550001 0042"_s, u"MESS hello"_s, u"SEND"_s, u"RESE"_s, u"LOGI ops pw"_s,
                         u"PAGE 5550002"_s, u"MESS hello"_s, u"SEND"_s, u"PAGE 5550004"_s, u"MESS hello"_s, u"SEND"_s,
                         u"QUIT"_s},
                        {u"5551234"_s, u"5550002"_s, u"5550004"_s},
                        {bobRefused},
                        u"3 of 4 MESSAGES SENT OK"_s,
                        true},
        RefusedStepCase{"RESE refused: the connection ends, all accounted for",
                        u"SEND 5550001"_s,
                        false,
                        {u"PAGE 5550001 0042"_s, u"MESS hello"_s, u"SEND"_s, u"RESE"_s},
                        {u"5551234"_s},
                        {bobRefused,
                         u"Cy Young: the service did not clear the refused page: 500 Command Not Implemented"_s,
                         u"Di Ames: the service did not clear the refused page: 500 Command Not Implemented"_s},
                        u"1 of 4 MESSAGES SENT OK"_s}));

} // namespace
} // namespace corvane
