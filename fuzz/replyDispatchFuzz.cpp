// The SNPP conversation and connection control on the fake TCP client, driven by arbitrary input:
// deliveries of any bytes, accepted and refused connections, closes by the server, ticks, the
// deferred requests and Cancel, for single, direct-ID and group jobs. Besides "no crash", it checks
// what must always hold:
// - the connection's state is Idle right after any close, and the job comes to its end;
// - every chosen recipient gets exactly one outcome (paged, or not paged with a reason), and the
//   results list agrees: one "MESSAGE SENT OK" per paged recipient, one "NOT SENT" line per other;
// - the tally counts no more than were queued, and the report agrees with the results list;
// - nothing is sent on a connection before a greeting came on it;
// - every command line ends in CR LF and holds no other CR or LF.
#include "engine/deferredRequests.h"
#include "engine/engineOutputs.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "fakeContacts.h"
#include "fakeTcpClient.h"
#include "fixedClock.h"
#include "fuzzSupport.h"
#include "recordingOutputs.h"
#include "settings/activityLog.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

using namespace corvane;

namespace {

// Reads the input a byte at a time; past its end every byte is 0.
class Input {
public:
    Input(const unsigned char* data, std::size_t size)
        : m_data(data)
        , m_size(size) {}
    bool more() const { return m_at < m_size; }
    unsigned char next() { return m_at < m_size ? m_data[m_at++] : 0; }

private:
    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

const char* const cannedReplies[] = {
    "220 ready\r\n",   "250 OK\r\n", "221 bye\r\n", "550 no such pager\r\n", "421 closing\r\n",
    "214 help\r\n",    "25",         "0 OK\r\n",    "220 \x02notice\r\n",    "250 a\r\n250 b\r\n",
    "554 refused\r\n", "\r\n",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    Input in(data, size);
    test::FakeTcpClient client;
    test::RecordingOutputs outputs;
    test::FakeContacts contacts;
    test::QueuedRequests deferred;
    Settings settings;
    test::FixedClock clock{QDateTime(QDate(2013, 3, 14), QTime(15, 7, 45))};
    const ActivityLog log(settings, clock, LongTimeFormat{});
    PagingEngine engine{
        EngineWiring{client, outputs, contacts, deferred, settings, log, clock, LongTimeFormat{}, [](int) {}}};
    client.setEvents(&engine);
    fillBuiltinServiceTable(engine.serviceTable());
    ServiceTable& services = engine.serviceTable();
    const unsigned char shape = in.next();
    services[1].ip = (shape & 1) != 0 ? QStringLiteral("gw1.test,id,pw") : QStringLiteral("gw1.test");
    services[1].AltIp = (shape & 2) != 0 ? QStringLiteral("alt1.test") : QString();
    services[1].splitChars = 1 + (shape >> 4);
    services[2].ip = QStringLiteral("gw2.test");
    services[2].beforePage = (shape & 4) != 0 ? QStringLiteral("SITE\r\nJQUEUE") : QString();
    services[5].ip = QStringLiteral("gw5.test"); // port 0: unusable
    splitIPintoParts(services);
    settings.timeout = (shape & 8) != 0 ? 0 : 2;
    engine.prepareSendJob();
    if ((shape & 0x40) != 0) {
        engine.setHoldValue(QStringLiteral("261231120000"));
    }
    contacts.add(QStringLiteral("Ann"), QStringLiteral("101"), 1, {1}, QStringLiteral("pw\r\nQUIT"));
    contacts.add(QStringLiteral("Bob"), QStringLiteral("102"), 1, {1});
    contacts.add(QStringLiteral("Cy"), QStringLiteral("201"), 2, {1});
    contacts.add(QStringLiteral("Dee"), QStringLiteral("501"), 5, {1});

    RecipientSelection selection;
    selection.message = QStringLiteral("hello\r\nSEND\nthere");
    selection.fromSendButton = (shape & 0x40) == 0;
    switch (in.next() % 3) {
    case 0:
        selection.toMarker = QStringLiteral("Ann");
        break;
    case 1:
        selection.toMarker = directIdEntryMarker;
        selection.idField = (shape & 0x20) != 0 ? QStringLiteral("4445\r\n556") : QStringLiteral("4445556");
        break;
    default:
        selection.groupMode = true;
        selection.highlightedGroup = 1;
        selection.toMarker = QStringLiteral("[Group 1]");
        break;
    }
    engine.sendButtonClick(selection);

    QByteArray heardOnThisConnection; // what the server said since the connection opened
    qsizetype sentAtOpen = 0;
    const auto checkSendsFollowAGreeting = [&] {
        if (client.sent.size() > sentAtOpen) {
            require(heardOnThisConnection.contains("220"));
        }
    };
    const auto close = [&](int status) {
        client.serverCloses(status, status != 0 ? QStringLiteral("Connection reset by peer") : QString());
        require(engine.job().state == EngineState::Idle);
    };
    const auto runOneDeferred = [&] {
        const char request = deferred.queue.front();
        deferred.queue.pop_front();
        request == 'g' ? engine.gotDisconnect() : engine.tryAlt();
    };
    int steps = 0;
    while (in.more() && ++steps < 2000) {
        const unsigned char op = in.next();
        switch (op % 8) {
        case 0:
            if (client.connecting) {
                client.accept();
                heardOnThisConnection.clear();
                sentAtOpen = client.sent.size();
            }
            break;
        case 1:
            if (client.connecting) {
                client.refuse();
            }
            break;
        case 2:
            if (client.open) {
                const int length = in.next() % 64;
                QByteArray bytes;
                for (int i = 0; i < length; ++i) {
                    bytes.append(static_cast<char>(in.next()));
                }
                heardOnThisConnection += bytes;
                client.deliver(QString::fromLatin1(bytes));
                checkSendsFollowAGreeting();
            }
            break;
        case 3:
            if (client.open) {
                const char* reply = cannedReplies[in.next() % std::size(cannedReplies)];
                heardOnThisConnection += reply;
                client.deliver(QString::fromLatin1(reply));
                checkSendsFollowAGreeting();
            }
            break;
        case 4:
            if (client.open) {
                close((op & 8) != 0 ? 104 : 0);
            }
            break;
        case 5:
            for (int i = in.next() % 16; i > 0; --i) {
                engine.Timer1Timer();
            }
            break;
        case 6:
            if (!deferred.queue.empty()) {
                runOneDeferred();
            }
            break;
        default:
            engine.cancelSendButtonClick();
            break;
        }
    }
    // Let the job run out: the server hangs up on everything from here on.
    for (int i = 0; i < 200 && (!engine.isIdle() || !deferred.queue.empty() || client.connecting); ++i) {
        if (client.connecting) {
            client.refuse();
        } else if (client.open) {
            close(0);
        } else if (!deferred.queue.empty()) {
            runOneDeferred();
        } else {
            engine.Timer1Timer();
        }
    }
    require(engine.isIdle());

    // Command lines: each ends in its own CR LF, and holds no other.
    for (const QString& line : client.sent) {
        require(line.endsWith(QStringLiteral("\r\n")));
        const QString body = line.chopped(2);
        require(!body.contains(u'\r') && !body.contains(u'\n'));
    }
    // One outcome per chosen recipient; the results list names each queued one once.
    QStringList named;
    int paged = 0;
    for (const RecipientOutcome& outcome : outputs.outcomes) {
        require(!named.contains(outcome.name));
        named.append(outcome.name);
        require(outcome.paged == outcome.reason.isEmpty());
        paged += outcome.paged ? 1 : 0;
    }
    bool outcomeAllowed = false;
    int sentOk = 0;
    int notSent = 0;
    for (const QString& line : outputs.results) {
        if (line.startsWith(QStringLiteral("Sending to: "))) {
            outcomeAllowed = true;
        } else if (line == QStringLiteral("MESSAGE SENT OK")) {
            require(outcomeAllowed);
            outcomeAllowed = false;
            ++sentOk;
        } else if (line.startsWith(QStringLiteral("NOT SENT: "))) {
            outcomeAllowed = false;
            ++notSent;
        }
    }
    require(outputs.reports.size() <= 1);
    for (const JobReport& report : outputs.reports) {
        require(report.sentOk <= report.total);
        require(report.sentOk == paged);
        if (report.outcome == JobReport::Outcome::Tally) {
            require(report.sentOk == sentOk);
            require(report.total == 4); // Dee's service has no port, but she is queued and counted
            require(sentOk + notSent == 4);
            require(named.size() == 4);
        } else {
            require(named.size() == 1);
        }
    }
    return 0;
}
