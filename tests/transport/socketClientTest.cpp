#include "transport/socketClient.h"

#include "eventLoopWait.h"
#include "platform/error.h"
#include "platform/systemError.h"
#include "printers.h"
#include "scriptedSnppServer.h"
#include "transport/guardedTcpEvents.h"

#include <QStringList>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::ScriptedSnppServer;
using test::waitUntil;

// Writes every notification as one line, so a test can check the order of what happened.
class RecordingEvents final : public TcpClientEvents {
public:
    QStringList log;
    QStringList dataIn;
    std::function<void(TcpClient&, const QString&)> onDataIn;

    void clientSocketConnected(TcpClient&, int StatusCode, const QString& Description) override {
        log.append(u"Connected %1 %2"_s.arg(StatusCode).arg(Description));
    }
    void clientSocketDataIn(TcpClient& Sender, const QString& Text, bool) override {
        log.append(u"DataIn "_s + Text);
        dataIn.append(Text);
        if (onDataIn) {
            onDataIn(Sender, Text);
        }
        log.append(u"DataIn returned"_s);
    }
    void clientSocketDisconnected(TcpClient&, int StatusCode, const QString& Description) override {
        log.append(u"Disconnected %1 %2"_s.arg(StatusCode).arg(Description));
    }
    void clientSocketError(TcpClient&, int ErrorCode, const QString& Description) override {
        log.append(u"Error %1 %2"_s.arg(ErrorCode).arg(Description));
    }
};

class SocketClientTest : public ::testing::Test {
protected:
    void connectTo(int port, const QString& host = u"localhost"_s) {
        client.setEvents(&events);
        client.setRemoteHost(host);
        client.setRemotePort(port);
        client.setConnected(true);
    }
    bool waitForLog(const QString& entry) {
        return waitUntil([&] { return events.log.contains(entry); });
    }
    // Connects to a server and waits for that connection's notification. Whatever an earlier,
    // abandoned or failed attempt still had queued would have come before it, so this is the point
    // from which nothing more of those can arrive.
    void connectAndSettle(const ScriptedSnppServer& server) {
        client.setRemoteHost(u"127.0.0.1"_s);
        client.setRemotePort(server.port());
        client.setConnected(true);
        ASSERT_TRUE(waitForLog(u"Connected 0 "_s)) << events.log.join(u'\n').toStdString();
    }

    RecordingEvents events;
    SocketClient client;
};

TEST_F(SocketClientTest, ReplyLineSentInOneSegmentArrivesAsOneDataIn) {
    ScriptedSnppServer server;
    connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return !events.dataIn.isEmpty(); })) << events.log.join(u'\n').toStdString();
    EXPECT_EQ(events.log.first(), u"Connected 0 "_s);
    EXPECT_TRUE(client.Connected());
    EXPECT_EQ(events.dataIn, QStringList{u"220 SNPP gateway ready\r\n"_s});
}

TEST_F(SocketClientTest, CloseAfterQuitDeliversQuitThenDisconnectedBeforeReturning) {
    ScriptedSnppServer server;
    connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return !events.dataIn.isEmpty(); }));

    client.setDataToSend(u"QUIT\r\n"_s);
    client.setConnected(false);
    EXPECT_EQ(events.log.last(), u"Disconnected 0 "_s);
    EXPECT_FALSE(client.Connected());
    ASSERT_TRUE(waitUntil([&] { return !server.lines().empty(); }));
    EXPECT_EQ(server.lines(), std::vector<std::string>{"QUIT"});
}

TEST_F(SocketClientTest, CloseInsideDataInFollowsAsSoonAsTheNotificationReturns) {
    ScriptedSnppServer server([](const std::string&, int) { return ScriptedSnppServer::Reply::none(); });
    events.onDataIn = [this](TcpClient& sender, const QString&) {
        sender.setDataToSend(u"QUIT\r\n"_s);
        sender.setConnected(false);
        events.log.append(u"setter returned"_s);
    };
    connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return events.log.size() >= 5; }));
    const QStringList expected = {u"Connected 0 "_s, u"DataIn 220 SNPP gateway ready\r\n"_s, u"setter returned"_s,
                                  u"DataIn returned"_s, u"Disconnected 0 "_s};
    EXPECT_EQ(events.log, expected);
    ASSERT_TRUE(waitUntil([&] { return server.clientCloses() == 1; }));
    EXPECT_EQ(server.lines(), std::vector<std::string>{"QUIT"});
}

TEST_F(SocketClientTest, ServerCloseRaisesDisconnectedWithStatusZero) {
    ScriptedSnppServer server([](const std::string&, int) { return ScriptedSnppServer::Reply("221 bye\r\n", true); });
    connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return !events.dataIn.isEmpty(); }));
    client.setDataToSend(u"QUIT\r\n"_s);
    ASSERT_TRUE(waitForLog(u"Disconnected 0 "_s)) << events.log.join(u'\n').toStdString();
    EXPECT_EQ(events.dataIn.last(), u"221 bye\r\n"_s);
    EXPECT_FALSE(client.Connected());
}

TEST_F(SocketClientTest, RefusedConnectionReportsTheSystemErrorAndNoDisconnect) {
    const test::RefusingPort refusing;
    connectTo(refusing.port(), u"127.0.0.1"_s);
    ASSERT_TRUE(waitUntil([&] { return !events.log.isEmpty(); }));
    EXPECT_FALSE(client.Connected());

    // The client is reusable after a failed attempt, and the failure brought nothing else.
    ScriptedSnppServer server;
    connectAndSettle(server);
    EXPECT_EQ(events.log.first(), u"Connected %1 %2"_s.arg(ECONNREFUSED).arg(systemErrorText(ECONNREFUSED)));
    EXPECT_EQ(events.log.mid(1, 1), QStringList{u"Connected 0 "_s});
}

TEST_F(SocketClientTest, NothingToCloseOrAnAbandonedAttemptRaisesNoNotification) {
    client.setEvents(&events);
    client.setConnected(false);

    ScriptedSnppServer server;
    connectTo(server.port());
    client.setConnected(false);
    EXPECT_FALSE(client.Connected());
    // An attempt that fails at once is abandoned the same way before its failure is delivered.
    const test::RefusingPort refusing;
    connectTo(refusing.port(), u"127.0.0.1"_s);
    client.setConnected(false);

    connectAndSettle(server);
    EXPECT_EQ(events.log.first(), u"Connected 0 "_s) << "nothing came of the abandoned attempts";
}

TEST_F(SocketClientTest, SettersFailWhileAConnectionIsOpenOrOpening) {
    ScriptedSnppServer server;
    const std::vector<std::pair<const char*, std::function<void()>>> setters = {
        {"host", [&] { client.setRemoteHost(u"127.0.0.1"_s); }},
        {"port", [&] { client.setRemotePort(444); }},
        {"connect", [&] { client.setConnected(true); }},
    };
    connectTo(server.port());
    for (const auto& [what, set] : setters) {
        EXPECT_THROW(set(), Error) << what << " while connecting";
    }
    ASSERT_TRUE(waitForLog(u"Connected 0 "_s));
    for (const auto& [what, set] : setters) {
        EXPECT_THROW(set(), Error) << what << " while open";
    }
    EXPECT_EQ(client.RemoteHost(), u"localhost"_s);
    EXPECT_EQ(client.RemotePort(), server.port());
}

TEST_F(SocketClientTest, UnresolvableHostFailsAndKeepsThePreviousHost) {
    client.setRemoteHost(u"127.0.0.1"_s);
    const QString labelTooLong = QString(70, u'x') + u".example"_s;
    for (const QString& host : {QString(), labelTooLong}) {
        try {
            client.setRemoteHost(host);
            ADD_FAILURE() << "resolved " << host.toStdString();
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().startsWith(u"Host not found: "_s)) << e.text().toStdString();
        }
    }
    EXPECT_EQ(client.RemoteHost(), u"127.0.0.1"_s);
}

TEST_F(SocketClientTest, TextCrossesInTheCodePageBothWays) {
    ScriptedSnppServer server([](const std::string& line, int) { return ScriptedSnppServer::Reply(line + "\r\n"); },
                              "220 caf\xe9 \x80\r\n");
    connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return !events.dataIn.isEmpty(); }));
    EXPECT_EQ(events.dataIn.first(), u"220 caf\u00e9 \u20ac\r\n"_s);

    client.setDataToSend(u"MESS caf\u00e9 \u20ac \u4e2d\u6587\r\n"_s);
    ASSERT_TRUE(waitUntil([&] { return !server.lines().empty(); }));
    EXPECT_EQ(server.lines().front(), "MESS caf\xe9 \x80 ??");
}

TEST_F(SocketClientTest, LargeSendIsQueuedAndFinishedInOrder) {
    ScriptedSnppServer server([](const std::string&, int) { return ScriptedSnppServer::Reply::none(); });
    connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return !events.dataIn.isEmpty(); }));
    // Far more than a socket buffer holds, so most of it waits for the socket to turn writable.
    QString big;
    for (int i = 0; i < 200; ++i) {
        big += u"MESS "_s + QString(40000, QChar(u'a' + i % 26)) + u"\r\n"_s;
    }
    client.setDataToSend(big);
    client.setDataToSend(u"SEND\r\n"_s);
    ASSERT_TRUE(waitUntil([&] { return server.lines().size() == 201; }, 20000)) << server.lines().size();
    const auto lines = server.lines();
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(lines[i], "MESS " + std::string(40000, char('a' + i % 26))) << i;
    }
    EXPECT_EQ(lines.back(), "SEND");
}

TEST_F(SocketClientTest, SendingToAClosedPeerThrowsInsteadOfKillingTheProcess) {
    ScriptedSnppServer server([](const std::string&, int) { return ScriptedSnppServer::Reply("221 bye\r\n", true); });
    connectTo(server.port());
    ASSERT_TRUE(waitUntil([&] { return !events.dataIn.isEmpty(); }));
    client.setDataToSend(u"QUIT\r\n"_s);
    ASSERT_TRUE(waitUntil([&] { return server.clientCloses() == 0 && server.lines().size() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // The server has gone; without running the event loop the client does not know yet. Writes
    // then fail with EPIPE or a reset, which must come back as an error, never as SIGPIPE.
    bool threw = false;
    for (int i = 0; i < 20 && !threw; ++i) {
        try {
            client.setDataToSend(u"PAGE 1\r\n"_s);
        } catch (const Error& e) {
            threw = true;
            EXPECT_TRUE(e.text().startsWith(u"Error sending data: "_s)) << e.text().toStdString();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(threw);
    EXPECT_TRUE(waitUntil([&] { return !client.Connected(); }));
}

// An error raised while a notification is handled (a send that failed) goes to the error report and
// never through the event loop; the silent cancellation is not reported at all.
TEST(GuardedTcpEvents, ErrorsInsideANotificationGoToTheReport) {
    RecordingEvents target;
    int thrown = 0;
    target.onDataIn = [&](TcpClient&, const QString& text) {
        ++thrown;
        if (text == u"abort"_s) {
            throw AbortError();
        }
        throw Error(u"Error sending data: Broken pipe"_s);
    };
    QStringList reported;
    GuardedTcpEvents guarded(target, [&](const Error& e) { reported.append(e.text()); });
    SocketClient client;
    EXPECT_NO_THROW(guarded.clientSocketDataIn(client, u"250 OK\r\n"_s, false));
    EXPECT_NO_THROW(guarded.clientSocketDataIn(client, u"abort"_s, false));
    guarded.clientSocketDisconnected(client, 0, QString());
    EXPECT_EQ(thrown, 2);
    EXPECT_EQ(reported, QStringList{u"Error sending data: Broken pipe"_s});
    EXPECT_EQ(target.log.last(), u"Disconnected 0 "_s);
}

} // namespace
} // namespace corvane
