// corvane-page: pages from scripts, cron jobs and monitoring systems with the same engine, contacts
// table, built-in services, settings file and activity log as the desktop program.
#include "contacts/contactsCursor.h"
#include "contacts/contactsStore.h"
#include "contacts/datamod.h"
#include "engine/engineOutputs.h"
#include "engine/eventLoopDeferredRequests.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/longTimeFormat.h"
#include "platform/operatorDialogs.h"
#include "settings/settings.h"
#include "transport/guardedTcpEvents.h"
#include "transport/socketClient.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace corvane;

namespace {

constexpr int exitPaged = 0;
constexpr int exitNotPaged = 1;
constexpr int exitUsage = 2;
constexpr int maxMessageLength = 999;
constexpr int maxIdLength = 20;

void printLine(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// Results lines go to standard output as they come; status texts to standard error.
class ConsoleOutputs final : public EngineOutputs {
public:
    QString phase;
    QString status;

    void setStatusText(const QString& text) override {
        status = text;
        if (!text.isEmpty()) {
            printLine(stderr, u"status: "_s + text);
        }
    }
    void setPhaseWord(const QString& word) override { phase = word; }
    void clearResults() override {}
    void appendResult(const QString& line) override { printLine(stdout, line); }
    void showResults() override {}
    void setBanner(const QString&) override {}
};

// Nobody is there to click OK: messages go to standard error.
class ConsoleDialogs final : public OperatorDialogs {
public:
    void showMessage(const QString& text) override { printLine(stderr, text); }
    bool confirm(const QString&, const QString&) override { return false; }
    void beep() override {}
    int showModal(QWidget&) override { return 0; }
};

struct Request {
    RecipientSelection selection;
    QString hold;
};

// Parses the arguments into a selection, or returns the usage error to show.
std::optional<Request> parseRequest(const QCommandLineParser& parser, const Settings& settings, QString& error) {
    const QStringList names = parser.values(u"to"_s);
    const bool byGroup = parser.isSet(u"group"_s);
    const bool byId = parser.isSet(u"id"_s);
    if (int(!names.isEmpty()) + int(byGroup) + int(byId) != 1) {
        error = u"choose the recipients one way: --to NAME (once or more), --group N or --id PAGERID"_s;
        return std::nullopt;
    }
    Request request;
    RecipientSelection& s = request.selection;
    if (byGroup) {
        bool ok = false;
        const int group = parser.value(u"group"_s).toInt(&ok);
        if (!ok || group < 1 || group > groupCount) {
            error = u"--group takes a group number from 1 to 10"_s;
            return std::nullopt;
        }
        s.groupMode = true;
        s.highlightedGroup = u"G"_s + QString::number(group) + u": "_s + settings.groupNames[group];
        s.toMarker = u"[Group "_s + QString::number(group) + u']';
    } else if (byId) {
        s.toMarker = directIdEntryMarker;
        s.idField = parser.value(u"id"_s);
        if (s.idField.size() > maxIdLength) {
            error = u"--id takes a pager ID of at most 20 characters"_s;
            return std::nullopt;
        }
    } else if (names.size() == 1) {
        s.toMarker = names.first();
    } else {
        s.tickedNames = names;
        s.toMarker = u"[selected names]"_s;
    }
    if (parser.isSet(u"hold"_s)) {
        request.hold = parser.value(u"hold"_s);
        static const QRegularExpression twelveDigits(u"^[0-9]{12}$"_s);
        if (!twelveDigits.match(request.hold).hasMatch()) {
            error = u"--hold takes the delivery time as 12 digits, YYMMDDHHMMSS"_s;
            return std::nullopt;
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        error = u"give the message as one argument (quote it), or \"-\" to read it from standard input"_s;
        return std::nullopt;
    }
    if (positional.isEmpty() || positional.first() == u"-"_s) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            error = u"cannot read the message from standard input"_s;
            return std::nullopt;
        }
        QString text = QString::fromLocal8Bit(in.readAll());
        if (text.endsWith(u'\n')) {
            text.chop(text.endsWith(u"\r\n"_s) ? 2 : 1); // the line end that echo and editors add
        }
        s.message = text;
    } else {
        s.message = positional.first();
    }
    if (s.message.size() > maxMessageLength) {
        error = u"the message is %1 characters long; at most 999 can be paged"_s.arg(s.message.size());
        return std::nullopt;
    }
    return request;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"corvane-page"_s);
    QCoreApplication::setApplicationVersion(u"3.53"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Pages contacts of the Corvane contacts table, a group, or a pager ID, through the built-in paging "
        "services.\nThe message is the argument, or standard input when it is \"-\" or left out."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {u"to"_s, u"Page the contact NAME; give it more than once to page several."_s, u"NAME"_s},
        {u"group"_s, u"Page every member of group N (1 to 10)."_s, u"N"_s},
        {u"id"_s, u"Page PAGERID directly through service 1."_s, u"PAGERID"_s},
        {u"hold"_s, u"Ask for delivery at YYMMDDHHMMSS."_s, u"YYMMDDHHMMSS"_s},
    });
    parser.addPositionalArgument(u"message"_s, u"The message, or \"-\" for standard input."_s, u"[MESSAGE | -]"_s);
    if (!parser.parse(QCoreApplication::arguments())) {
        printLine(stderr, u"corvane-page: "_s + parser.errorText());
        return exitUsage;
    }
    if (parser.isSet(u"help"_s)) {
        parser.showHelp(0);
    }
    if (parser.isSet(u"version"_s)) {
        parser.showVersion();
    }

    ConsoleDialogs dialogs;
    Settings settings;
    readSettings(settings, dialogs);

    QString usageError;
    const std::optional<Request> request = parseRequest(parser, settings, usageError);
    if (!request) {
        printLine(stderr, u"corvane-page: "_s + usageError);
        return exitUsage;
    }

    TDataModule2 dataModule(QCoreApplication::applicationDirPath());
    contactsCursor reader(dataModule);
    try {
        reader.Open();
    } catch (const Error& e) {
        printLine(stderr, u"corvane-page: "_s + e.text());
        return exitNotPaged;
    }
    ContactsStore store(reader);
    SocketClient client;
    ConsoleOutputs outputs;
    EventLoopDeferredRequests deferred;
    SystemClock clock;
    PagingEngine engine(EngineWiring{client, outputs, store, deferred, settings, clock,
                                     LongTimeFormat::fromLocale(QLocale::system()), nullptr});
    deferred.setEngine(&engine);
    int exitCode = exitNotPaged;
    GuardedTcpEvents guarded(engine, [&](const Error& e) {
        printLine(stderr, u"corvane-page: "_s + e.text());
        QCoreApplication::exit(exitNotPaged);
    });
    client.setEvents(&guarded);
    fillBuiltinServiceTable(engine.serviceTable());
    engine.prepareSendJob();
    engine.job().holdValue = request->hold;

    RecipientSelection selection = request->selection;
    selection.fromSendButton = false; // keeps the hold value
    engine.sendButtonClick(selection);
    if (engine.job().state == EngineState::Idle) {
        // Nothing was started: the Send command refused the selection (its text is out already),
        // or nobody in it could be paged.
        static const QStringList refusals = {u"Error: No recipient selected"_s, u"Error: No message entered"_s,
                                             u"Error: Problem with contact and/or service"_s};
        if (refusals.contains(outputs.status)) {
            return exitUsage;
        }
        if (outputs.status.isEmpty()) {
            printLine(stderr, u"corvane-page: nobody in the selection can be paged"_s);
        }
        return exitNotPaged;
    }

    QTimer timer;
    timer.callOnTimeout(&timer, [&] { engine.Timer1Timer(); });
    timer.start(333);
    QTimer watch;
    watch.callOnTimeout(&watch, [&] {
        const SendJob& job = engine.job();
        if (job.multiRecipient && outputs.phase == u"DONE"_s) {
            exitCode = job.totalRecipients > 0 && job.sentOkCount == job.totalRecipients ? exitPaged : exitNotPaged;
        } else if (!job.multiRecipient && job.state == EngineState::Idle) {
            exitCode = outputs.phase == u"SUCCESS"_s ? exitPaged : exitNotPaged;
        } else {
            return;
        }
        QCoreApplication::exit(exitCode);
    });
    watch.start(20);
    const int loopResult = QCoreApplication::exec();
    if (!outputs.phase.isEmpty()) {
        printLine(stdout, outputs.phase);
    }
    return loopResult;
}
