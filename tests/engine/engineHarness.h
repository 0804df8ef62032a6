#pragma once

#include "engine/deferredRequests.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "fakeContacts.h"
#include "fakeTcpClient.h"
#include "fixedClock.h"
#include "namedRows.h"
#include "printers.h"
#include "recordingOutputs.h"
#include "settings/activityLog.h"
#include "settings/settings.h"
#include "tempWorkingDir.h"

#include <QDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace corvane::test {

// The engine with every boundary replaced by a fake the test drives: a server that answers each
// command line, the 333 ms tick by hand, the deferred requests run in order, and a fixed clock.
class EngineHarness : public ::testing::Test {
public:
    using Responder = std::function<QString(const QString& line, int connection)>;

    static QString standardReply(const QString& line) {
        if (line.startsWith(u"QUIT")) {
            return QStringLiteral("221 OK, Goodbye\r\n");
        }
        return QStringLiteral("250 OK\r\n");
    }

    EngineHarness() {
        QDir().mkdir(QStringLiteral("logs"));
        fillBuiltinServiceTable(engine.serviceTable());
        ServiceTable& table = engine.serviceTable();
        table[1].name = QStringLiteral("ACMEORG");
        table[1].ip = QStringLiteral("gw1.test");
        table[2].name = QStringLiteral("ACMEORG -ENCRY");
        table[2].ip = QStringLiteral("gw2.test");
        splitIPintoParts(table);
        engine.prepareSendJob();
        client.setEvents(&engine);
        settings.timeout = 45;
    }

    static RecipientSelection single(const QString& name, const QString& message = QStringLiteral("hello")) {
        RecipientSelection s;
        s.toMarker = name;
        s.message = message;
        return s;
    }
    static RecipientSelection ticked(const QStringList& names, const QString& message = QStringLiteral("hello")) {
        RecipientSelection s;
        s.tickedNames = names;
        s.toMarker = QStringLiteral("[selected names]");
        s.message = message;
        return s;
    }
    static RecipientSelection group(int n, const QString& message = QStringLiteral("hello")) {
        RecipientSelection s;
        s.groupMode = true;
        s.highlightedGroup = n;
        s.toMarker = QStringLiteral("[Group %1]").arg(n);
        s.message = message;
        return s;
    }

    // Plays the server and the event loop until nothing more happens: accepts (or refuses)
    // connection attempts, sends the greeting, answers each command line, runs deferred requests.
    void serve(int maxSteps = 10000) {
        for (int step = 0; step < maxSteps; ++step) {
            if (client.connecting) {
                ++connections;
                if (refuseHost && refuseHost(client.host, client.port)) {
                    client.refuse();
                } else {
                    answered = client.sent.size();
                    client.accept();
                    if (!greeting.isEmpty()) {
                        client.deliver(greeting);
                    }
                }
                continue;
            }
            if (client.open && answered < client.sent.size()) {
                const QString line = client.sent[answered++];
                const QString reply = responder(line, connections);
                if (!reply.isEmpty()) {
                    client.deliver(reply);
                }
                continue;
            }
            if (!client.open) {
                answered = client.sent.size();
            }
            if (!deferred.queue.empty()) {
                runOneDeferred();
                continue;
            }
            return;
        }
        ADD_FAILURE() << "the conversation did not come to rest";
    }
    void runOneDeferred() {
        const char request = deferred.queue.front();
        deferred.queue.pop_front();
        request == 'g' ? engine.gotDisconnect() : engine.tryAlt();
    }
    void tick(int count) {
        for (int i = 0; i < count; ++i) {
            engine.Timer1Timer();
        }
    }
    // The command lines sent, without their CR LF.
    QStringList wire() const {
        QStringList lines;
        for (const QString& s : client.sent) {
            lines.append(s.endsWith(QStringLiteral("\r\n")) ? s.chopped(2) : s);
        }
        return lines;
    }
    QByteArray logFile() const { return dir.read(QStringLiteral("logs/03_14_13.txt")); }

    TempWorkingDir dir;
    FakeTcpClient client;
    RecordingOutputs outputs;
    FakeContacts contacts;
    QueuedRequests deferred;
    Settings settings;
    FixedClock clock{QDateTime(QDate(2013, 3, 14), QTime(15, 7, 45))};
    std::vector<int> pauses;
    LongTimeFormat timeFormat{false, true, false, QStringLiteral("AM"), QStringLiteral("PM")};
    ActivityLog log{settings, clock, timeFormat};
    PagingEngine engine{EngineWiring{client, outputs, contacts, deferred, settings, log, clock, timeFormat,
                                     [this](int ms) { pauses.push_back(ms); }}};

    Responder responder = [](const QString& line, int) { return standardReply(line); };
    std::function<bool(const QString& host, int port)> refuseHost;
    QString greeting = QStringLiteral("220 SNPP ready\r\n");
    qsizetype answered = 0;
    int connections = 0;
};

} // namespace corvane::test
