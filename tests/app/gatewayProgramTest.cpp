// corvane-gateway as a program, against clients and limits nobody expects: a client that never
// reads, an over-long line, a client trickling bytes, the file-descriptor limit, a full disk under
// --jsonl, and option values out of range. Real processes and real sockets on 127.0.0.1.
#include "faultyFilesystems.h"
#include "printers.h"

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

// One corvane-gateway process on a free port, stopped with SIGTERM at the end.
class GatewayProcess {
public:
    explicit GatewayProcess(QStringList args, std::function<void()> inChild = {}) {
        m_process.setProgram(QString::fromUtf8(CORVANE_GATEWAY_PROGRAM));
        m_process.setArguments(QStringList{u"--port"_s, u"0"_s} + args);
        if (inChild) {
            m_process.setChildProcessModifier(inChild);
        }
        m_process.start();
        m_process.waitForStarted(5000);
        static const QRegularExpression listening(u"listening on \\S+ port (\\d+)"_s);
        for (int i = 0; i < 50 && m_port == 0; ++i) {
            m_process.waitForReadyRead(100);
            m_err += m_process.readAllStandardError();
            const auto match = listening.match(QString::fromLocal8Bit(m_err));
            if (match.hasMatch()) {
                m_port = match.captured(1).toInt();
            }
        }
    }
    ~GatewayProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    // Asks it to stop as an operator would; true when it ended within the time.
    bool stop() {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        return m_process.waitForFinished(5000);
    }
    QByteArray out() {
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    QByteArray err() {
        m_err += m_process.readAllStandardError();
        return m_err;
    }

private:
    QProcess m_process;
    int m_port = 0;
    QByteArray m_out;
    QByteArray m_err;
};

// A client socket: small receive buffer on request, so that a client that does not read fills up
// soon.
int connectTo(int port, int receiveBuffer = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<quint16>(port));
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads until done(received) or the peer closes or the time is up; closed tells which of the last two.
QByteArray readUntil(int fd, const std::function<bool(const QByteArray&)>& done, int timeoutMs,
                     bool* closed = nullptr) {
    QByteArray received;
    if (closed) {
        *closed = false;
    }
    for (int waited = 0; waited < timeoutMs && !done(received); waited += 50) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0) {
            if (closed) {
                *closed = true;
            }
            break;
        }
        received.append(buffer, n);
    }
    return received;
}

bool sendAll(int fd, const QByteArray& bytes) {
    return ::send(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()), MSG_NOSIGNAL) == bytes.size();
}

const auto greeted = [](const QByteArray& r) { return r.contains("220 "); };

// One client that sends commands and never reads its replies must not stop the gateway: it is
// closed once its unread replies pass a bound, others are greeted meanwhile, and SIGTERM works.
TEST(GatewayProgram, AClientThatNeverReadsIsClosedAndOthersAreServed) {
    GatewayProcess gateway({});
    ASSERT_NE(gateway.port(), 0) << gateway.err().toStdString();
    const int hog = connectTo(gateway.port(), 4096);
    ASSERT_GE(hog, 0);
    const QByteArray helps = QByteArray("HELP\r\n").repeated(1000);
    bool hogClosed = false;
    for (int i = 0; i < 1000 && !hogClosed; ++i) { // at most about ten seconds
        pollfd p{hog, POLLOUT, 0};
        if (::poll(&p, 1, 10) > 0 && ::send(hog, helps.constData(), helps.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 &&
            errno != EAGAIN) {
            hogClosed = true; // reset by the gateway
        }
        ::usleep(10 * 1000);
    }
    const int other = connectTo(gateway.port());
    ASSERT_GE(other, 0);
    EXPECT_TRUE(greeted(readUntil(other, greeted, 5000))) << "another client is greeted";
    EXPECT_TRUE(hogClosed) << "the client that never reads is closed";
    ::close(hog);
    ::close(other);
    EXPECT_TRUE(gateway.stop()) << "SIGTERM ends the gateway";
}

// The tail of a line longer than the gateway takes is dropped up to its line end: it is never run
// as a command, so no page goes out from it.
TEST(GatewayProgram, TheTailOfAnOverLongLineIsNeverACommand) {
    GatewayProcess gateway({});
    ASSERT_NE(gateway.port(), 0);
    const int client = connectTo(gateway.port());
    ASSERT_TRUE(greeted(readUntil(client, greeted, 5000)));
    ASSERT_TRUE(sendAll(client, "PAGE 5550100\r\nMESS hello\r\n" + QByteArray(12288, 'X') + "SEND\r\nQUIT\r\n"));
    const QByteArray replies = readUntil(
        client, [](const QByteArray& r) { return r.contains("221 "); }, 5000);
    ::close(client);
    QStringList codes;
    for (const QByteArray& line : replies.split('\n')) {
        if (!line.isEmpty()) {
            codes.append(QString::fromLatin1(line.left(3)));
        }
    }
    EXPECT_EQ(codes, (QStringList{u"250"_s, u"250"_s, u"500"_s, u"221"_s}));
    ASSERT_TRUE(gateway.stop());
    EXPECT_FALSE(gateway.out().contains("pager 5550100")) << gateway.out().toStdString();
}

// Idle means no complete command: a client trickling bytes without a line end is closed with 421.
TEST(GatewayProgram, AClientTricklingBytesWithoutALineEndIsIdleClosed) {
    GatewayProcess gateway({u"--idle-timeout"_s, u"1"_s});
    ASSERT_NE(gateway.port(), 0);
    const int client = connectTo(gateway.port());
    ASSERT_TRUE(greeted(readUntil(client, greeted, 5000)));
    QByteArray received;
    bool closed = false;
    for (int i = 0; i < 12 && !closed; ++i) {
        sendAll(client, "P");
        received += readUntil(
            client, [](const QByteArray&) { return false; }, 300, &closed);
    }
    ::close(client);
    EXPECT_TRUE(received.startsWith("421 ")) << received.toStdString();
    EXPECT_TRUE(closed);
}

// At the file-descriptor limit the gateway neither spins on accept nor drops the sessions it has;
// once one ends, the next client is served.
TEST(GatewayProgram, AtTheDescriptorLimitItWaitsWithoutSpinningAndKeepsItsSessions) {
    GatewayProcess gateway({}, [] {
        const rlimit few{64, 64}; // room for a sanitizer runtime's own files
        ::setrlimit(RLIMIT_NOFILE, &few);
    });
    ASSERT_NE(gateway.port(), 0) << gateway.err().toStdString();
    std::vector<int> clients;
    for (int i = 0; i < 100; ++i) {
        clients.push_back(connectTo(gateway.port()));
    }
    const auto cpuTicks = [&] {
        QFile stat(u"/proc/"_s + QString::number(gateway.pid()) + u"/stat"_s);
        stat.open(QIODevice::ReadOnly);
        const QList<QByteArray> fields = stat.readAll().split(')').value(1).split(' ');
        return fields.value(12).toLongLong() + fields.value(13).toLongLong(); // utime + stime
    };
    ::usleep(300 * 1000);
    const long long before = cpuTicks();
    ::usleep(1000 * 1000);
    const long long used = cpuTicks() - before;
    EXPECT_LT(used, sysconf(_SC_CLK_TCK) / 4) << "CPU ticks in one second at the limit";

    ASSERT_TRUE(greeted(readUntil(clients.front(), greeted, 2000)));
    ASSERT_TRUE(sendAll(clients.front(), "RESE\r\n"));
    EXPECT_TRUE(readUntil(
                    clients.front(), [](const QByteArray& r) { return r.contains("250 "); }, 5000)
                    .contains("250 RESET"))
        << "an open session is still served";
    ::close(clients.front());
    ::close(clients[1]);
    // The clients past the limit wait in the listening queue; one of them is greeted now.
    bool someoneGreeted = false;
    for (int i = 0; i < 40 && !someoneGreeted; ++i) {
        for (std::size_t c = 2; c < clients.size() && !someoneGreeted; ++c) {
            someoneGreeted = greeted(readUntil(clients[c], greeted, 10));
        }
    }
    EXPECT_TRUE(someoneGreeted);
    for (std::size_t c = 2; c < clients.size(); ++c) {
        ::close(clients[c]);
    }
    EXPECT_TRUE(gateway.stop());
}

// On a disk that fills up, --jsonl refuses (554) the SENDs it cannot keep and says so on standard
// error; the file holds exactly the pages answered as sent, each a whole JSON line, and a SEND of
// several pagers is kept whole or not at all, in the file and on standard output alike.
class JsonLinesOnAFullDisk : public ::testing::TestWithParam<int> {};

TEST_P(JsonLinesOnAFullDisk, RefuseTheTransactionsTheyCannotKeepWhole) {
    const int pagersPerSend = GetParam();
    test::SmallTmpfs disk(64);
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    }
    disk.fill();
    const QString filler = disk.filePath(u"filler"_s);
    ASSERT_EQ(::truncate(QFile::encodeName(filler).constData(), QFile(filler).size() - 4096), 0);
    const QString jsonl = disk.filePath(u"pages.jsonl"_s);
    GatewayProcess gateway({u"--jsonl"_s, jsonl});
    ASSERT_NE(gateway.port(), 0) << gateway.err().toStdString();
    const int client = connectTo(gateway.port());
    ASSERT_TRUE(greeted(readUntil(client, greeted, 5000)));
    int sent = 0;
    int refused = 0;
    for (int i = 0; i < 100; ++i) {
        QByteArray transaction;
        for (int p = 0; p < pagersPerSend; ++p) {
            transaction += "PAGE " + QByteArray::number(5550000 + i * 10 + p) + "\r\n";
        }
        transaction += "MESS page number " + QByteArray::number(i) + "\r\nSEND\r\n";
        ASSERT_TRUE(sendAll(client, transaction));
        const int expectedLines = pagersPerSend + 2;
        const QByteArray replies = readUntil(
            client, [&](const QByteArray& r) { return r.count('\n') == expectedLines; }, 5000);
        const QByteArray last = replies.split('\n').value(expectedLines - 1);
        sent += last.startsWith("250 ");
        refused += last.startsWith("554 ");
    }
    ::close(client);
    EXPECT_EQ(sent + refused, 100);
    EXPECT_GT(sent, 0);
    EXPECT_GT(refused, 0);
    QFile file(jsonl);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.endsWith('\n'));
    int whole = 0;
    for (const QByteArray& line : content.split('\n')) {
        if (!line.isEmpty()) {
            whole += QJsonDocument::fromJson(line).isObject();
            EXPECT_TRUE(QJsonDocument::fromJson(line).isObject()) << line.toStdString();
        }
    }
    EXPECT_EQ(whole, sent * pagersPerSend);
    ASSERT_TRUE(gateway.stop());
    EXPECT_EQ(gateway.out().count("  pager "), sent * pagersPerSend) << "printed as kept";
    EXPECT_TRUE(gateway.err().contains("cannot write")) << gateway.err().toStdString();
}

INSTANTIATE_TEST_SUITE_P(PagersPerSend, JsonLinesOnAFullDisk, ::testing::Values(1, 3));

// Option values outside their range are usage errors, never folded into another value; both help
// options answer.
TEST(GatewayProgram, OptionValuesOutOfRangeAreUsageErrors) {
    const QStringList cases[] = {
        {u"--port"_s, u"70000"_s},           {u"--port"_s, u"65536"_s},           {u"--port"_s, u"-1"_s},
        {u"--idle-timeout"_s, u"4294968"_s}, {u"--idle-timeout"_s, u"2147484"_s}, {u"--slow-send"_s, u"4294968"_s},
        {u"--max-message"_s, u"0"_s},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        QProcess process;
        process.start(QString::fromUtf8(CORVANE_GATEWAY_PROGRAM), args);
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "it ran instead of refusing";
            continue;
        }
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_TRUE(process.readAllStandardError().contains("takes a whole number from"));
    }
    for (const QString& help : {u"--help"_s, u"--help-all"_s}) {
        QProcess process;
        process.start(QString::fromUtf8(CORVANE_GATEWAY_PROGRAM), {help, u"--port"_s, u"0"_s});
        const bool ended = process.waitForFinished(3000);
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        EXPECT_TRUE(ended && process.exitCode() == 0) << help.toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().startsWith("Usage: ")) << help.toStdString();
    }
}

// The login a gateway requires can come from a file, so that its password is not on the command line
// for every user of the machine to read (ps, /proc/PID/cmdline).
TEST(GatewayProgram, TheLoginCanComeFromAFileAndStaysOutOfTheCommandLine) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"login"_s);
    {
        QFile login(file);
        ASSERT_TRUE(login.open(QIODevice::WriteOnly));
        login.write("ops,TopSecretPW\n");
    }
    GatewayProcess gateway({u"--login-file"_s, file});
    ASSERT_NE(gateway.port(), 0) << gateway.err().toStdString();
    QFile cmdline(u"/proc/%1/cmdline"_s.arg(gateway.pid()));
    ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
    EXPECT_FALSE(cmdline.readAll().contains("TopSecretPW"));
    const int client = connectTo(gateway.port());
    ASSERT_GE(client, 0);
    ASSERT_TRUE(readUntil(client, greeted, 3000).contains("220 "));
    ASSERT_TRUE(sendAll(client, "PAGE 5551234\r\n"));
    EXPECT_TRUE(readUntil(
                    client, [](const QByteArray& r) { return r.contains("\r\n"); }, 3000)
                    .startsWith("530"));
    ASSERT_TRUE(sendAll(client, "LOGI ops TopSecretPW\r\nPAGE 5551234\r\n"));
    const QByteArray replies = readUntil(
        client, [](const QByteArray& r) { return r.count("\r\n") >= 2; }, 3000);
    EXPECT_TRUE(replies.startsWith("250")) << replies.toStdString();
    EXPECT_EQ(replies.count("250"), 2) << replies.toStdString();
    ::close(client);
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// Standard output that nobody reads (a paused pager, "| sleep") fills its pipe; the gateway goes on
// greeting and answering, ends on SIGTERM, and says how many lines it could not print.
TEST(GatewayProgram, AnUnreadStandardOutputNeverStopsTheServing) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"out"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess shell;
    // sleep opens the pipe for reading and never reads it; the gateway becomes this shell (exec).
    shell.start(u"/bin/sh"_s, {u"-c"_s, u"sleep 60 < '%1' & exec '%2' --port 0 > '%1'"_s.arg(
                                            fifo, QString::fromUtf8(CORVANE_GATEWAY_PROGRAM))});
    ASSERT_TRUE(shell.waitForStarted());
    static const QRegularExpression listening(u"listening on \\S+ port (\\d+)"_s);
    QByteArray err;
    int port = 0;
    for (int i = 0; i < 50 && port == 0; ++i) {
        shell.waitForReadyRead(100);
        err += shell.readAllStandardError();
        const auto match = listening.match(QString::fromLocal8Bit(err));
        port = match.hasMatch() ? match.captured(1).toInt() : 0;
    }
    ASSERT_NE(port, 0) << err.toStdString();
    const int client = connectTo(port);
    ASSERT_TRUE(greeted(readUntil(client, greeted, 5000)));
    const QByteArray page = "PAGE 5551234\r\nMESS " + QByteArray(200, 'x') + "\r\nSEND\r\n";
    int answered = 0;
    for (int i = 0; i < 1000; ++i) { // about 300 KB to print, far more than the pipe holds
        ASSERT_TRUE(sendAll(client, page));
        const QByteArray replies = readUntil(
            client, [](const QByteArray& r) { return r.count('\n') == 3; }, 5000);
        ASSERT_EQ(replies.count('\n'), 3) << "no answer to page " << i;
        answered += replies.split('\n').value(2).startsWith("250 ");
    }
    EXPECT_EQ(answered, 1000);
    const int other = connectTo(port);
    EXPECT_TRUE(greeted(readUntil(other, greeted, 5000))) << "another client is still greeted";
    ::close(other);
    ::close(client);
    ::kill(static_cast<pid_t>(shell.processId()), SIGTERM);
    ASSERT_TRUE(shell.waitForFinished(8000)) << "SIGTERM ends it";
    err += shell.readAllStandardError();
    EXPECT_TRUE(err.contains("lines were not printed: standard output was not read")) << err.toStdString();
}

} // namespace
} // namespace corvane
