#include "engineHarness.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

class SnppConversation : public test::EngineHarness {
protected:
    SnppConversation() {
        contacts.add(u"Jane Doe"_s, u"5551234"_s, 1);
        contacts.add(u"Bob Smith"_s, u"5550001"_s, 1, {}, u"0042"_s);
        contacts.add(u"Cy Young"_s, u"5550002"_s, 1);
        contacts.add(u"Encrypted Ed"_s, u"5550003"_s, 2);
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

TEST_F(SnppConversation, GreetingBannerComesFromTheTextAfterStx) {
    struct Case {
        const char* what;
        QString greeting;
        QString banner;
    };
    const Case cases[] = {
        {"notice after STX", u"220 \u0002Gateway maintenance at 5\r\n"_s, u"Gateway maintenance at 5"_s},
        {"cut to 40 characters", u"220 \u0002"_s + QString(60, u'x') + u"\r\n"_s, QString(40, u'x')},
        {"no STX in the 5th place", u"220 SNPP ready\r\n"_s, u""_s},
        {"STX but nothing after it", u"220 \u0002\r\n"_s, u""_s},
    };
    for (const auto& c : cases) {
        outputs.banner = u"old banner"_s;
        greeting = c.greeting;
        engine.sendButtonClick(single(u"Jane Doe"_s));
        serve();
        EXPECT_EQ(outputs.banner, c.banner) << c.what;
        EXPECT_EQ(outputs.phase, u"SUCCESS"_s) << c.what;
    }
}

TEST_F(SnppConversation, LoginAndHoldGoOutOnceBeforeTheFirstPage) {
    struct Case {
        const char* what;
        QString ip;
        QString hold;
        QStringList opening; // lines before the first PAGE
    };
    const Case cases[] = {
        {"login and hold",
         u"gw1.test,my id,se cret"_s,
         u"130130184500"_s,
         {u"LOGI myid secret"_s, u"HOLD 130130184500"_s}},
        {"login id without password: no LOGI", u"gw1.test,myid"_s, u"130130184500"_s, {u"HOLD 130130184500"_s}},
        {"hold of 11 characters is none", u"gw1.test"_s, u"13013018450"_s, {}},
        {"hold of 13 characters is none", u"gw1.test"_s, u"1301301845001"_s, {}},
    };
    for (const auto& c : cases) {
        client.sent.clear();
        answered = 0;
        engine.serviceTable()[1].ip = c.ip;
        splitIPintoParts(engine.serviceTable());
        engine.job().holdValue = c.hold;
        RecipientSelection later = ticked({u"Jane Doe"_s, u"Cy Young"_s});
        later.fromSendButton = false; // the future delivery path keeps the hold value
        engine.sendButtonClick(later);
        serve();
        const QStringList expected =
            c.opening + QStringList{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s, u"PAGE 5550002"_s,
                                    u"MESS hello"_s,   u"SEND"_s,       u"QUIT"_s};
        EXPECT_EQ(wire(), expected) << c.what;
    }
}

TEST_F(SnppConversation, RefusedHoldIsLoggedAndThePageGoesOutForNow) {
    settings.loggingEnabled = true;
    engine.job().holdValue = u"130130184500"_s;
    responder = [](const QString& line, int) {
        return line.startsWith(u"HOLD"_s) ? u"550 No future delivery\r\n"_s : standardReply(line);
    };
    RecipientSelection later = single(u"Jane Doe"_s);
    later.fromSendButton = false;
    engine.sendButtonClick(later);
    serve();
    EXPECT_EQ(wire(), (QStringList{u"HOLD 130130184500"_s, u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s}));
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
    EXPECT_EQ(logFile(),
              "3:07:45 PM, WARNING: Server did not accept HOLD command (future delivery)., SRVC:ACMEORG, "
              "CONTACTS:Jane Doe, MSG:hello\r\n"
              "3:07:45 PM, Message Sent OK for future delivery, SRVC:ACMEORG, CONTACT:Jane Doe, MSG:hello\r\n");
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
    EXPECT_EQ(outputs.results,
              (QStringList{u"CONNECTING TO SERVICE: ACMEORG ..."_s, u"Sending to: Jane Doe ..."_s, u"MESSAGE SENT OK"_s,
                           u"Sending to: Bob Smith ..."_s, u"Sending to: Cy Young ..."_s, u"MESSAGE SENT OK"_s, u""_s,
                           u"2 of 3 MESSAGES SENT OK"_s}));
    EXPECT_EQ(engine.job().sentOkCount, 2);
    EXPECT_EQ(outputs.phase, u"DONE"_s);
    EXPECT_EQ(outputs.resultsShown, 1);
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

TEST_F(SnppConversation, RepliesSplitOrJoinedAreTakenALineAtATime) {
    engine.sendButtonClick(single(u"Jane Doe"_s));
    client.accept();
    client.deliver(u"220 SNPP ready\r\n"_s);
    ASSERT_EQ(wire(), QStringList{u"PAGE 5551234"_s});
    client.deliver(u"25"_s); // half a reply: nothing is decided on it
    EXPECT_EQ(wire().size(), 1);
    client.deliver(u"0 OK\r\n"_s);
    EXPECT_EQ(wire().last(), u"MESS hello"_s);
    client.deliver(u"250 OK\r\n250 OK\r\n"_s); // two replies in one delivery: MESS's, then SEND's
    EXPECT_EQ(wire(), (QStringList{u"PAGE 5551234"_s, u"MESS hello"_s, u"SEND"_s, u"QUIT"_s}));
    EXPECT_EQ(outputs.phase, u"SUCCESS"_s);
    client.deliver(u"221 Bye\r\n"_s);
    EXPECT_EQ(engine.job().state, EngineState::Idle);
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
    EXPECT_EQ(outputs.phase, u"FAIL"_s);
}

} // namespace
} // namespace corvane
