// corvane-gateway: a local SNPP gateway for try-outs and for testing a site's scripts. It takes
// pages as a paging service would and prints each one instead of sending it on.
#include "app/cli/backgroundPrinter.h"
#include "app/cli/startUp.h"
#include "app/cli/terminal.h"
#include "app/gateway/gatewayServer.h"
#include "engine/builtinServices.h"
#include "platform/systemError.h"
#include "platform/userFile.h"
#include "platform/writeWhole.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace corvane;
using namespace corvane::gateway;

namespace {

using cli::printable;

// The --jsonl file: each page one whole line, or none. A line the disk cuts short is taken back
// (the gateway is the file's only writer), and the failure is the caller's to report.
class JsonLinesFile {
public:
    bool open(const QString& fileName, QString& error) {
        m_fd = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            error = systemErrorText(errno);
        }
        return m_fd >= 0;
    }
    bool isOpen() const { return m_fd >= 0; }
    bool append(const QByteArray& line, QString& error) {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) {
            error = systemErrorText(errno);
            return false;
        }
        if (!writeWhole(m_fd, line)) {
            error = systemErrorText(errno);
            [[maybe_unused]] const int rc = ::ftruncate(m_fd, st.st_size);
            return false;
        }
        return true;
    }

private:
    int m_fd = -1;
};

} // namespace

int main(int argc, char** argv) {
    cli::prepareProcess();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"corvane-gateway"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"A local SNPP gateway (RFC 1861) for trying Corvane out and for testing scripts: it takes pages as a paging "
        "service would and prints one line for each page sent, instead of sending it on."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {u"listen"_s, u"Listen on ADDRESS (default 127.0.0.1)."_s, u"ADDRESS"_s, u"127.0.0.1"_s},
        {u"port"_s,
         u"Listen on port N (default: this build's service 1 port, %1)."_s.arg(builtinServices.service1.port), u"N"_s,
         QString::number(builtinServices.service1.port)},
        {u"refuse"_s, u"Answer PAGE for this pager ID with 550; give it more than once for several."_s, u"ID"_s},
        {u"max-message"_s, u"Answer a MESS longer than N characters with 550, as a gateway with a limit does."_s,
         u"N"_s},
        {u"login"_s, u"Require LOGI with these values before PAGE (530 otherwise)."_s, u"ID,PASSWORD"_s},
        {u"login-file"_s,
         u"As --login, with ID,PASSWORD the first line of FILE, so the password is not on the command line "
         "(where ps shows it)."_s,
         u"FILE"_s},
        {u"queue-command"_s,
         u"A command line that must come before each PAGE; without it SEND is answered only after --slow-send "
         "seconds, as gateways that wait for delivery do."_s,
         u"TEXT"_s},
        {u"slow-send"_s, u"Seconds a SEND waits when the queue command was not given (default 20)."_s, u"SECONDS"_s,
         u"20"_s},
        {u"idle-timeout"_s, u"Close a connection idle for S seconds with 421 (default 300; 0: never)."_s, u"S"_s,
         u"300"_s},
        {u"jsonl"_s, u"Also append each page sent to FILE as a JSON line."_s, u"FILE"_s},
    });
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "corvane-gateway: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    // --help-all is offered by the parser's help option; there are no other options to show.
    if (parser.isSet(u"help"_s) || parser.isSet(u"help-all"_s)) {
        parser.showHelp(0);
    }
    if (parser.isSet(u"version"_s)) {
        parser.showVersion();
    }
    // Each number in its range: a port past 65535 or a time-out that overflows in milliseconds must
    // be refused, not folded into another value.
    const auto number = [&](const QString& option, int& value, int lowest, int highest) {
        bool ok = false;
        const qlonglong given = parser.value(option).toLongLong(&ok);
        if (!ok || given < lowest || given > highest) {
            std::fprintf(stderr, "corvane-gateway: --%s takes a whole number from %d to %d\n", qPrintable(option),
                         lowest, highest);
            return false;
        }
        value = static_cast<int>(given);
        return true;
    };
    GatewayRules rules;
    rules.refusedIds = parser.values(u"refuse"_s);
    int port = 0;
    int idle = 0;
    int slowSend = 0;
    if (!number(u"port"_s, port, 0, 65535) || !number(u"idle-timeout"_s, idle, 0, 86400) ||
        !number(u"slow-send"_s, slowSend, 0, 3600) ||
        (parser.isSet(u"max-message"_s) && !number(u"max-message"_s, rules.maxMessage, 1, 1000000))) {
        return 2;
    }
    rules.slowSendMs = slowSend * 1000;
    if (parser.isSet(u"login"_s) || parser.isSet(u"login-file"_s)) {
        const bool fromFile = parser.isSet(u"login-file"_s);
        QString value = parser.value(u"login"_s);
        if (fromFile) {
            try {
                value = readUserTextFile(parser.value(u"login-file"_s), UserFileBound::services).lines.value(0);
            } catch (const UserFileError& e) {
                std::fprintf(stderr, "corvane-gateway: --login-file %s\n", qPrintable(e.text()));
                return 2;
            }
        }
        const QStringList login = value.split(u',');
        if (parser.isSet(u"login"_s) && fromFile) {
            std::fprintf(stderr, "corvane-gateway: give --login or --login-file, not both\n");
            return 2;
        }
        if (login.size() != 2 || login[0].isEmpty()) {
            std::fprintf(stderr, fromFile ? "corvane-gateway: --login-file takes a first line ID,PASSWORD\n"
                                          : "corvane-gateway: --login takes ID,PASSWORD\n");
            return 2;
        }
        rules.loginId = login[0];
        rules.loginPassword = login[1];
    }
    rules.queueCommand = parser.value(u"queue-command"_s);

    JsonLinesFile jsonl;
    const QString jsonlName = parser.value(u"jsonl"_s);
    if (parser.isSet(u"jsonl"_s)) {
        QString error;
        if (!jsonl.open(jsonlName, error)) {
            std::fprintf(stderr, "corvane-gateway: cannot write %s: %s\n", qPrintable(jsonlName), qPrintable(error));
            return 1;
        }
    }
    // Standard output that nobody reads (a paused pager, "| sleep") must never stop the serving.
    cli::BackgroundPrinter printed(STDOUT_FILENO);
    GatewayServer server(rules, idle, [&](const std::vector<PageSent>& transaction) {
        const QString time = QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
        QStringList lines;
        QByteArray records;
        QStringList pagers;
        for (const PageSent& page : transaction) {
            lines.append(time + u"  pager "_s + printable(page.pagerId) + u"  password: "_s +
                         (page.withPassword ? u"yes"_s : u"no"_s) + u"  hold: "_s +
                         (page.hold.isEmpty() ? u"-"_s : page.hold) + u"  message"_s +
                         (page.encrypted ? u" (encrypted form, decoded)"_s : QString()) + u": "_s +
                         printable(page.message));
            pagers.append(printable(page.pagerId));
            const QJsonObject record{{u"time"_s, time},
                                     {u"pager"_s, page.pagerId},
                                     {u"password"_s, page.withPassword},
                                     {u"hold"_s, page.hold.isEmpty() ? QJsonValue() : QJsonValue(page.hold)},
                                     {u"message"_s, page.message},
                                     {u"encrypted"_s, page.encrypted}};
            records += QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
        }
        // One write for the whole SEND, taken back when the disk cuts it short: the file holds
        // every pager of it or none, and so does the terminal.
        QString error;
        if (jsonl.isOpen() && !jsonl.append(records, error)) {
            // Refused to the sender (SEND is answered 554), so no page is lost silently.
            std::fprintf(stderr, "corvane-gateway: cannot write %s: %s; page to %s refused\n", qPrintable(jsonlName),
                         qPrintable(error), qPrintable(pagers.join(u", "_s)));
            return false;
        }
        for (const QString& line : std::as_const(lines)) {
            printed.print(line.toLocal8Bit() + '\n');
        }
        return true;
    });
    QString error;
    const QString address = parser.value(u"listen"_s);
    if (!server.listen(address, port, error)) {
        std::fprintf(stderr, "corvane-gateway: cannot listen on %s port %d: %s\n", qPrintable(address), port,
                     qPrintable(error));
        if (port < 1024 && ::geteuid() != 0) {
            std::fprintf(stderr,
                         "corvane-gateway: ports below 1024 need root, or once: sudo setcap "
                         "cap_net_bind_service=+ep %s\n",
                         qPrintable(QCoreApplication::applicationFilePath()));
        }
        return 1;
    }
    std::fprintf(stderr, "corvane-gateway: listening on %s port %d\n", qPrintable(address), server.port());

    // SIGINT, SIGTERM and SIGHUP end the event loop, and so the program, cleanly.
    const cli::StopSignals stop([] { QCoreApplication::quit(); }, 0);
    const int result = QCoreApplication::exec();
    // What was taken is printed before the end, unless nobody reads it.
    printed.flushFor(2000);
    if (const std::size_t unprinted = printed.unprinted(); unprinted > 0) {
        std::fprintf(stderr, "corvane-gateway: %zu lines were not printed: standard output was not read\n", unprinted);
    }
    std::fprintf(stderr, "corvane-gateway: stopped\n");
    return result;
}
