// corvane-page: pages from scripts, cron jobs and monitoring systems with the same engine, contacts
// table, built-in services, settings file and activity log as the desktop program.
#include "app/cli/exitStatus.h"
#include "app/cli/outputFile.h"
#include "app/cli/startUp.h"
#include "app/cli/terminal.h"
#include "contacts/contactsCursor.h"
#include "contacts/contactsStore.h"
#include "contacts/datamod.h"
#include "engine/engineOutputs.h"
#include "engine/eventLoopDeferredRequests.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "engine/servicesFile.h"
#include "engine/snppCommands.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/longTimeFormat.h"
#include "platform/operatorDialogs.h"
#include "platform/userFile.h"
#include "settings/activityLog.h"
#include "settings/settings.h"
#include "transport/guardedTcpEvents.h"
#include "transport/socketClient.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace corvane;

#ifndef CORVANE_SYSTEM_SERVICES_FILE
#define CORVANE_SYSTEM_SERVICES_FILE "/etc/corvane/services.ini"
#endif

namespace {

constexpr int exitPaged = cli::code(cli::ExitStatus::Done);
constexpr int exitNotPaged = cli::code(cli::ExitStatus::NotEveryone);
constexpr int exitUsage = cli::code(cli::ExitStatus::Usage);

using cli::printLine;

void printJson(const QJsonObject& object) {
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    // A program reading the lines through a pipe learns of each recipient as it happens.
    std::fflush(stdout);
}

// ISO 8601 in local time with its offset from UTC, "+00:00" included (Qt writes "Z" for that).
QString localTimeWithOffset(const QDateTime& when) {
    const int offset = when.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return when.toString(u"yyyy-MM-ddTHH:mm:ss"_s) + (offset < 0 ? u'-' : u'+') +
           QString::number(minutes / 60).rightJustified(2, u'0') + u':' +
           QString::number(minutes % 60).rightJustified(2, u'0');
}

// A pager ID typed in has no name of its own: the ID says who it was.
QString whoWasChosen(const RecipientOutcome& outcome) {
    return outcome.name == directIdEntryMarker ? outcome.pagerId : outcome.name;
}

// Results lines go to standard output as they come (or, for --json, one object per recipient);
// status texts and left-out recipients to standard error. The end of the job ends the event loop.
class ConsoleOutputs final : public EngineOutputs {
public:
    explicit ConsoleOutputs(bool json)
        : m_json(json) {}

    std::optional<JobReport> report;
    bool explained = false; // a reason for not paging someone is out already
    std::vector<RecipientOutcome> outcomes;

    void setStatusText(const QString& text) override {
        if (!text.isEmpty()) {
            explained = true;
            printLine(stderr, u"status: "_s + text);
        }
    }
    void setPhaseWord(const QString&) override {}
    void clearResults() override {}
    void appendResult(const QString& line) override {
        if (!m_json) {
            printLine(stdout, line);
        }
    }
    void showResults() override {}
    void setBanner(const QString&) override {}
    void recipientOutcome(const RecipientOutcome& outcome) override {
        outcomes.push_back(outcome);
        if (m_json) {
            QJsonObject line{{u"name"_s, whoWasChosen(outcome)},
                             {u"pager"_s, outcome.pagerId},
                             {u"service"_s, outcome.service},
                             {u"paged"_s, outcome.paged}};
            if (!outcome.paged) {
                line.insert(u"reason"_s, outcome.reason);
            }
            line.insert(u"time"_s, localTimeWithOffset(QDateTime::currentDateTime()));
            printJson(line);
        }
        if (outcome.paged) {
            return;
        }
        explained = true;
        printLine(stderr, u"corvane-page: not paged: "_s + whoWasChosen(outcome) + u" ("_s + outcome.reason + u')');
    }
    void holdRefused(const QString& serviceName, const QString& reply) override {
        printLine(stderr, u"corvane-page: hold refused by "_s + serviceName + u" ("_s + reply + u"); paged at once"_s);
    }
    void jobEnded(const JobReport& ended) override {
        report = ended;
        QCoreApplication::exit(0);
    }

private:
    bool m_json;
};

// Nobody is there to click OK: messages go to standard error.
class ConsoleDialogs final : public OperatorDialogs {
public:
    void showMessage(const QString& text) override { printLine(stderr, text); }
    bool confirm(const QString&, const QString&) override { return false; }
    void beep() override {}
};

// Reads the message from standard input, giving up as soon as it is longer than can be paged (an
// endless stream must not be read for ever). One trailing line end, as echo and editors add, is
// not part of the message.
std::optional<QString> readMessage(QString& error) {
    QStringDecoder decoder(QStringDecoder::System);
    QString text;
    char buffer[4096];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
        if (n > 0) {
            text += decoder.decode(QByteArrayView(buffer, static_cast<qsizetype>(n)));
        }
        if (text.size() > messageMaxLength + 2) {
            error = u"the message on standard input is longer than %1 characters; at most %1 can be paged"_s.arg(
                messageMaxLength);
            return std::nullopt;
        }
        if (n < sizeof buffer) {
            if (std::ferror(stdin)) {
                error = u"cannot read the message from standard input"_s;
                return std::nullopt;
            }
            if (std::feof(stdin)) {
                break;
            }
        }
    }
    if (text.endsWith(u'\n')) {
        text.chop(text.endsWith(u"\r\n"_s) ? 2 : 1);
    }
    return text;
}

// The names in their order, each once without regard to case.
QStringList withoutRepeats(const QStringList& names) {
    QStringList distinct;
    QSet<QString> seen;
    seen.reserve(names.size());
    for (const QString& name : names) {
        if (!seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            distinct.append(name);
        }
    }
    return distinct;
}

struct Request {
    RecipientSelection selection;
    QString hold;
    QStringList names; // the contacts chosen by name (--to, --to-file), in the order given
};

// The names of a --to-file: one a line, blank lines left out; read as every user's file is (UTF-8,
// or Windows-1252 when the file is not UTF-8).
std::optional<QStringList> readNamesFile(const QString& fileName, QString& error) {
    UserText text;
    try {
        text = readUserTextFile(fileName, UserFileBound::namesList);
    } catch (const UserFileError& e) {
        error = u"--to-file "_s + e.text();
        return std::nullopt;
    }
    QStringList names;
    for (const QString& line : std::as_const(text.lines)) {
        if (!line.trimmed().isEmpty()) {
            names.append(line);
        }
    }
    return names;
}

// Parses the arguments into a selection, or returns the usage error to show.
std::optional<Request> parseRequest(const QCommandLineParser& parser, QString& error) {
    QStringList names = parser.values(u"to"_s);
    const bool byName = !names.isEmpty() || parser.isSet(u"to-file"_s);
    const bool byGroup = parser.isSet(u"group"_s);
    const bool byId = parser.isSet(u"id"_s);
    if (int(byName) + int(byGroup) + int(byId) != 1) {
        error = u"choose the recipients one way: --to NAME (once or more) and --to-file FILE, --group N or --id "
                u"PAGERID"_s;
        return std::nullopt;
    }
    if (byId && parser.isSet(u"failed-file"_s)) {
        error = u"--failed-file lists contacts by name; a pager ID given with --id has none"_s;
        return std::nullopt;
    }
    if (parser.isSet(u"to-file"_s)) {
        const std::optional<QStringList> listed = readNamesFile(parser.value(u"to-file"_s), error);
        if (!listed) {
            return std::nullopt;
        }
        names += *listed;
    }
    // A name listed twice (in any case: names are unique without regard to case) is paged once. A
    // set, so that a list of many thousands is read in a moment.
    const QStringList distinct = withoutRepeats(names);
    Request request;
    request.names = distinct;
    RecipientSelection& s = request.selection;
    if (byGroup) {
        bool ok = false;
        const int group = parser.value(u"group"_s).toInt(&ok);
        if (!ok || group < 1 || group > groupCount) {
            error = u"--group takes a group number from 1 to 10"_s;
            return std::nullopt;
        }
        s = RecipientSelection::ofGroup(group, QString());
    } else if (byId) {
        s = RecipientSelection::ofPagerId(parser.value(u"id"_s), QString());
        if (s.idField.size() > pagerIdMaxLength) {
            error = u"--id takes a pager ID of at most %1 characters"_s.arg(pagerIdMaxLength);
            return std::nullopt;
        }
        if (!isPagerId(s.idField)) {
            error = u"--id takes a pager ID as one word, without blanks or control characters: "_s +
                    notAPagerIdReason(s.idField);
            return std::nullopt;
        }
    } else if (distinct.size() == 1) {
        s = RecipientSelection::ofContact(distinct.first(), QString());
    } else if (distinct.size() > 1) {
        s = RecipientSelection::ofTickedNames(distinct, QString());
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
        const std::optional<QString> text = readMessage(error);
        if (!text) {
            return std::nullopt;
        }
        s.message = *text;
    } else {
        s.message = positional.first();
    }
    if (s.message.size() > messageMaxLength) {
        error =
            u"the message is %1 characters long; at most %2 can be paged"_s.arg(s.message.size()).arg(messageMaxLength);
        return std::nullopt;
    }
    return request;
}

// The exit status of a job that ran: 0 only when every chosen recipient was paged.
int exitStatusOf(const JobReport& report) {
    return report.allPaged() ? exitPaged : exitNotPaged;
}

QString finalWord(const JobReport& report) {
    switch (report.outcome) {
    case JobReport::Outcome::Success:
        return u"SUCCESS"_s;
    case JobReport::Outcome::Cancel:
        return u"CANCEL"_s;
    case JobReport::Outcome::Tally:
        return u"DONE"_s;
    case JobReport::Outcome::Fail:
        break;
    }
    return u"FAIL"_s;
}

// A pager ID typed in names no contact: it is paged without the table, so that a missing, unreadable
// or busy table cannot keep it from going out.
class NoContacts final : public ContactDirectory {
public:
    bool lookupContact(const QString&, LookedUpContact&) override { return false; }
    void readAllContacts(const std::function<void(const contactRecordType&)>&) override {}
    void readGroupMembers(int, const std::function<void(const contactRecordType&)>&) override {}
};

// The contacts table, opened only when the selection names contacts.
struct ContactsAccess {
    std::optional<TDataModule2> dataModule;
    std::optional<contactsCursor> reader;
    std::optional<ContactsStore> store;
    NoContacts none;

    explicit ContactsAccess(bool needed) {
        if (!needed) {
            return;
        }
        dataModule.emplace(QCoreApplication::applicationDirPath());
        reader.emplace(*dataModule);
        reader->Open();
        store.emplace(*reader);
    }
    ContactDirectory& directory() { return store ? static_cast<ContactDirectory&>(*store) : none; }
};

// The last line of standard output: the outcome word, or for --json an object with the tally.
void printEnd(bool json, const ConsoleOutputs& outputs) {
    const QString word = outputs.report ? finalWord(*outputs.report) : u"FAIL"_s;
    if (!json) {
        printLine(stdout, word);
        return;
    }
    int paged = 0;
    for (const RecipientOutcome& outcome : outputs.outcomes) {
        paged += outcome.paged ? 1 : 0;
    }
    const int total =
        outputs.report ? outputs.report->total + outputs.report->skipped : static_cast<int>(outputs.outcomes.size());
    printJson(QJsonObject{{u"paged"_s, outputs.report ? outputs.report->sentOk : paged},
                          {u"total"_s, std::max(total, static_cast<int>(outputs.outcomes.size()))},
                          {u"outcome"_s, word}});
}

// Everyone chosen by name who was not paged, for --failed-file: those the engine reported as not
// paged, and any chosen name it said nothing of (a selection refused before anything was sent).
QStringList notPaged(const Request& request, const std::vector<RecipientOutcome>& outcomes) {
    QStringList failed;
    QSet<QString> listed;
    QSet<QString> accounted;
    for (const RecipientOutcome& outcome : outcomes) {
        accounted.insert(outcome.name.toCaseFolded());
        if (!outcome.paged && !listed.contains(outcome.name.toCaseFolded())) {
            listed.insert(outcome.name.toCaseFolded());
            failed.append(outcome.name);
        }
    }
    for (const QString& name : request.names) {
        const QString key = name.toCaseFolded();
        if (!accounted.contains(key) && !listed.contains(key)) {
            listed.insert(key);
            failed.append(name);
        }
    }
    return failed;
}

// A list written in an editor may keep blanks at the end of a line: a name that names no contact
// as it stands is taken without them when that names one. Only such names cost a lookup more.
void dropTrailingBlanks(Request& request, ContactDirectory& contacts) {
    const auto resolved = [&](const QString& name) {
        qsizetype end = name.size();
        while (end > 0 && (name[end - 1] == u' ' || name[end - 1] == u'\t')) {
            --end;
        }
        LookedUpContact found;
        if (end == name.size() || end == 0 || contacts.lookupContact(name, found) ||
            !contacts.lookupContact(name.left(end), found)) {
            return name;
        }
        return name.left(end);
    };
    RecipientSelection& s = request.selection;
    if (!s.tickedNames.isEmpty()) {
        for (QString& name : s.tickedNames) {
            name = resolved(name);
        }
        s.tickedNames = withoutRepeats(s.tickedNames);
        request.names = s.tickedNames;
    } else if (request.names.size() == 1) {
        s.toMarker = resolved(s.toMarker);
        request.names = {s.toMarker};
    }
}

struct PageResult {
    int status = exitNotPaged;
    std::vector<RecipientOutcome> outcomes;
    // Everyone chosen is known, so the list of those not paged is whole: always for names given;
    // for a group only once it was read and the job came to its end.
    bool chosenKnown = false;
};

PageResult runJob(Request& request, const Settings& settings, const ServiceTable& services, bool json,
                  ConsoleOutputs& outputs) {
    ContactsAccess contacts(request.selection.toMarker != directIdEntryMarker);
    ContactDirectory& store = contacts.directory();
    if (!request.names.isEmpty()) {
        dropTrailingBlanks(request, store);
    }
    SocketClient client;
    EventLoopDeferredRequests deferred;
    SystemClock clock;
    const LongTimeFormat timeFormat = LongTimeFormat::fromLocale(QLocale::system());
    const ActivityLog log(settings, clock, timeFormat);
    PagingEngine engine(EngineWiring{client, outputs, store, deferred, settings, log, clock, timeFormat, nullptr});
    deferred.setEngine(&engine);
    std::optional<Error> failure;
    GuardedTcpEvents guarded(engine, [&](const Error& e) {
        failure = e;
        QCoreApplication::exit(0);
    });
    client.setEvents(&guarded);
    // Stopped mid-job (Ctrl-C, timeout, a service manager, a closed terminal), the job ends as a
    // Cancel of everything left: everyone is named, the tally printed, the list and the log written.
    const cli::StopSignals stop([&] { engine.cancelJob(u"ERROR: Send cancelled, the program was stopped."_s); },
                                exitNotPaged);
    engine.serviceTable() = services;
    engine.prepareSendJob();
    engine.setHoldValue(request.hold);

    RecipientSelection selection = request.selection;
    selection.fromSendButton = false; // keeps the hold value
    engine.sendButtonClick(selection);
    if (engine.isIdle() && !outputs.report) {
        // Nothing was started: the Send command refused the selection (its text is out already),
        // or nobody in it could be paged.
        if (!outputs.explained) {
            printLine(stderr, u"corvane-page: nobody in the selection can be paged"_s);
        }
        if (json) {
            printEnd(json, outputs);
        }
        return {exitUsage, outputs.outcomes, true};
    }

    QTimer timer;
    timer.callOnTimeout(&timer, [&] { engine.Timer1Timer(); });
    timer.start(333);
    if (!outputs.report) {
        QCoreApplication::exec();
    }
    if (failure) {
        throw *failure;
    }
    if (!outputs.report) {
        printLine(stderr, u"corvane-page: the job ended without an outcome"_s);
        if (json) {
            printEnd(json, outputs);
        }
        return {exitNotPaged, outputs.outcomes};
    }
    printEnd(json, outputs);
    return {exitStatusOf(*outputs.report), outputs.outcomes, true};
}

// A table that cannot be read (a stored value of the wrong kind, a missing file) is reported with
// what the table engine says about it, never by ending the program abruptly; what was known of the
// recipients by then still counts.
PageResult pageFromCommandLine(Request& request, const Settings& settings, const ServiceTable& services, bool json) {
    ConsoleOutputs outputs(json);
    try {
        return runJob(request, settings, services, json, outputs);
    } catch (const Error& e) {
        printLine(stderr, u"corvane-page: "_s + e.text());
        if (json) {
            printEnd(json, outputs);
        }
        return {exitNotPaged, outputs.outcomes};
    }
}

} // namespace

int main(int argc, char** argv) {
    cli::prepareProcess();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"corvane-page"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));

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
        {u"to-file"_s, u"Page the contacts named in FILE, one name a line (with --to, those too)."_s, u"FILE"_s},
        {u"hold"_s, u"Ask for delivery at YYMMDDHHMMSS."_s, u"YYMMDDHHMMSS"_s},
        {u"failed-file"_s,
         u"Write the names of the contacts that were not paged to FILE, one a line (empty when all were); "
         "--to-file FILE pages them again."_s,
         u"FILE"_s},
        {u"json"_s, u"Write JSON Lines instead of the results lines: an object for each recipient as it is known, then "
                    "one with the tally."_s},
        {u"services"_s,
         u"Read the paging services from FILE instead of services.ini beside the program or /etc/corvane."_s,
         u"FILE"_s},
        {u"C"_s,
         u"Run as if started in DIR: the settings file and the log folder are taken there, and a relative "
         "--to-file or --failed-file (for cron, which starts programs in /)."_s,
         u"DIR"_s},
    });
    parser.addPositionalArgument(u"message"_s, u"The message, or \"-\" for standard input."_s, u"[MESSAGE | -]"_s);
    if (!parser.parse(QCoreApplication::arguments())) {
        printLine(stderr, u"corvane-page: "_s + parser.errorText());
        return exitUsage;
    }
    // --help-all is offered by the parser's help option; there are no other options to show.
    if (parser.isSet(u"help"_s) || parser.isSet(u"help-all"_s)) {
        parser.showHelp(0);
    }
    if (parser.isSet(u"version"_s)) {
        parser.showVersion();
    }

    // Before anything is read: every relative path (settings, logs) is then DIR's, and nothing is
    // created where the program was really started.
    if (parser.isSet(u"C"_s)) {
        const QString directory = parser.value(u"C"_s);
        const QFileInfo info(directory);
        const QString problem = !info.exists()                               ? u"no such directory"_s
                                : !info.isDir()                              ? u"not a directory"_s
                                : !info.isReadable() || !info.isExecutable() ? u"cannot be read"_s
                                : !QDir::setCurrent(directory)               ? u"cannot be entered"_s
                                                                             : QString();
        if (!problem.isEmpty()) {
            printLine(stderr, u"corvane-page: -C "_s + directory + u": "_s + problem);
            return exitUsage;
        }
    }

    ConsoleDialogs dialogs;
    Settings settings;
    QString usageError;
    std::optional<Request> request;
    try {
        readSettings(settings, dialogs);
        request = parseRequest(parser, usageError);
    } catch (const Error& e) {
        printLine(stderr, u"corvane-page: "_s + e.text());
        return exitNotPaged;
    }
    if (!request) {
        printLine(stderr, u"corvane-page: "_s + usageError);
        return exitUsage;
    }
    // An empty value is a script's unset variable, not a wish for the built-in services.
    if (parser.isSet(u"services"_s) && parser.value(u"services"_s).isEmpty()) {
        printLine(stderr, u"corvane-page: --services needs a file name"_s);
        return exitUsage;
    }
    // The services are settled before anything is sent: a faulty file stops the program whole.
    ServiceTable services;
    fillBuiltinServiceTable(services);
    const QString servicesFile =
        parser.isSet(u"services"_s)
            ? parser.value(u"services"_s)
            : findServicesFile(QCoreApplication::applicationDirPath(), QString::fromUtf8(CORVANE_SYSTEM_SERVICES_FILE));
    if (!servicesFile.isEmpty()) {
        try {
            readServicesFile(servicesFile, services);
        } catch (const Error& e) {
            printLine(stderr, u"corvane-page: "_s + e.text());
            return exitUsage;
        }
    }
    // The list of those not paged must be writable before anyone is paged: a script that pages
    // them again relies on it. It replaces the old list only when it is complete.
    const bool json = parser.isSet(u"json"_s);
    std::optional<cli::OutputFile> failedFile;
    if (parser.isSet(u"failed-file"_s)) {
        QString problem;
        failedFile = cli::OutputFile::prepare(parser.value(u"failed-file"_s), problem);
        if (!failedFile) {
            printLine(stderr, u"corvane-page: --failed-file "_s + parser.value(u"failed-file"_s) + u": "_s + problem);
            return exitUsage;
        }
    }
    PageResult result;
    if (request->names.isEmpty() && request->selection.toMarker.isEmpty()) {
        // A --to-file that names nobody (the list of a run that paged everyone): nothing to do.
        printLine(stderr,
                  u"corvane-page: --to-file "_s + parser.value(u"to-file"_s) + u" names nobody; nothing to page"_s);
        result.status = exitPaged;
        if (json) {
            printJson(QJsonObject{{u"paged"_s, 0}, {u"total"_s, 0}, {u"outcome"_s, u"DONE"_s}});
        }
    } else {
        result = pageFromCommandLine(*request, settings, services, json);
    }
    if (failedFile) {
        if (!result.chosenKnown && request->names.isEmpty()) {
            // Who the group holds was never read whole: any list would say more than is known, and
            // an empty one would say that everyone was paged.
            failedFile->withdraw();
            printLine(stderr, u"corvane-page: --failed-file "_s + failedFile->path() +
                                  u" not written (and any old one removed): who was chosen is not known"_s);
            return result.status == exitPaged ? exitNotPaged : result.status;
        }
        QByteArray listed;
        for (const QString& name : notPaged(*request, result.outcomes)) {
            listed += name.toUtf8() + '\n';
        }
        QString problem;
        if (!failedFile->commit(listed, problem)) {
            printLine(stderr, u"corvane-page: --failed-file "_s + failedFile->path() + u": "_s + problem);
            return result.status == exitPaged ? exitNotPaged : result.status;
        }
    }
    return result.status;
}
