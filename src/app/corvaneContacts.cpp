// corvane-contacts: the contacts table from the command line, for hosts without a display and for
// scripts. It works on the table beside the program, with the rules of the contacts window: names
// unique without regard to case, a pager ID of one word, the table checked as a whole when opened,
// and another program's lock reported as the window reports it.
#include "app/cli/exitStatus.h"
#include "app/cli/startUp.h"
#include "app/cli/terminal.h"
#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/contactsStore.h"
#include "contacts/datamod.h"
#include "platform/error.h"
#include "platform/userFile.h"
#include "settings/settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace corvane;

namespace {

constexpr int exitDone = cli::code(cli::ExitStatus::Done);
constexpr int exitRefused = cli::code(cli::ExitStatus::NotEveryone);
constexpr int exitUsage = cli::code(cli::ExitStatus::Usage);

// Records and counts on standard output; their fields are escaped where they are made.
void printLine(FILE* stream, const QString& text) {
    cli::printDataLine(stream, text);
}

void complain(const QString& text) {
    cli::Messages(u"corvane-contacts"_s).say(text);
}

// A usage mistake: the message, and the way to the help.
class UsageError : public Error {
public:
    using Error::Error;
};

// A field of the tab-separated form. A tab or a line end inside a value would split it, so those
// (and the backslash that escapes them) are written as \t, \r, \n and \\; reading undoes it.
QString escapeField(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\"_s;
            break;
        case u'\t':
            out += u"\\t"_s;
            break;
        case u'\n':
            out += u"\\n"_s;
            break;
        case u'\r':
            out += u"\\r"_s;
            break;
        default:
            // Any other control character (an escape sequence stored by another tool) is shown as
            // its code, never sent to the terminal as it is.
            if (c.category() == QChar::Other_Control) {
                out += u"\\x"_s + QString::number(c.unicode(), 16).rightJustified(2, u'0');
            } else {
                out += c;
            }
        }
    }
    return out;
}

QString unescapeField(const QString& field) {
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != u'\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const QChar next = field[++i];
        if (next == u'x' && i + 2 < field.size()) {
            bool hex = false;
            const ushort code = field.mid(i + 1, 2).toUShort(&hex, 16);
            if (hex) {
                out += QChar(code);
                i += 2;
                continue;
            }
        }
        out += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
    }
    return out;
}

QString groupsOf(const contactRecordType& contact) {
    QStringList groups;
    for (int g = 1; g <= groupCount; ++g) {
        if (contact.isMemberOf(g)) {
            groups.append(QString::number(g));
        }
    }
    return groups.join(u',');
}

QString tabSeparated(const contactRecordType& contact) {
    return escapeField(contact.name) + u'\t' + escapeField(contact.id) + u'\t' +
           QString::number(contact.serviceNumber) + u'\t' + groupsOf(contact);
}

int groupNumber(const QString& text) {
    bool ok = false;
    const int group = text.toInt(&ok);
    if (!ok || group < 1 || group > groupCount) {
        throw UsageError(u"--group takes a group number from 1 to 10, not '%1'"_s.arg(text));
    }
    return group;
}

QList<int> groupNumbers(const QStringList& texts) {
    QList<int> groups;
    for (const QString& text : texts) {
        groups.append(groupNumber(text));
    }
    return groups;
}

// What a contact to be added is made of.
struct NewContact {
    QString name;
    QString id;
    QString service = u"1"_s;
    QList<int> groups;
};

// Saves a new contact by the window's rules; throws corvane::Error with the window's message.
void addContact(contactsCursor& cursor, const NewContact& contact) {
    if (const std::optional<QString> refusal = contactSaveRefusal(contact.name, contact.id)) {
        throw Error(*refusal);
    }
    bool ok = false;
    const int service = contact.service.toInt(&ok);
    if (!ok) {
        throw Error(u"'%1' is not a valid integer value for field 'serviceNumber'"_s.arg(contact.service));
    }
    cursor.Insert();
    try {
        cursor.FieldByName(u"name"_s).setAsString(contact.name);
        cursor.FieldByName(u"id"_s).setAsString(contact.id);
        cursor.FieldByName(u"serviceNumber"_s).setAsInteger(service);
        for (int g : contact.groups) {
            cursor.FieldByName(u"memberGr"_s + QString::number(g)).setAsBoolean(true);
        }
        cursor.Post();
    } catch (const KeyViolationError&) {
        cursor.Cancel();
        throw Error(duplicateNameText);
    } catch (...) {
        cursor.Cancel();
        throw;
    }
}

int listContacts(contactsCursor& cursor, const std::optional<int>& group) {
    if (group) {
        cursor.setFilter(u"memberGr%1=true"_s.arg(*group));
        cursor.setFiltered(true);
    }
    const ReadTransaction together(cursor.dataModule().database());
    for (cursor.First(); !cursor.Eof(); cursor.Next()) {
        contactRecordType contact;
        try {
            contact = cursor.currentRecord();
        } catch (const Error& e) {
            // Name the row, so that whoever mends the table knows where to look.
            throw Error(u"Contact '%1': %2"_s.arg(cursor.FieldByName(u"name"_s).AsString(), e.text()));
        }
        printLine(stdout, tabSeparated(contact));
    }
    return exitDone;
}

int removeContact(contactsCursor& cursor, const QString& name) {
    if (!cursor.findName(name)) {
        throw Error(u"no contact is named '%1'"_s.arg(name));
    }
    cursor.Delete();
    return exitDone;
}

void reportSkipped(const QString& fileName, const QList<SkippedNamesLine>& skipped) {
    for (const SkippedNamesLine& line : skipped) {
        complain(u"%1, line %2 \"%3\": %4 (not imported)"_s.arg(fileName)
                     .arg(line.number)
                     .arg(escapeField(line.text), line.reason));
    }
}

// The tab-separated form of list and export: name, pager ID, and optionally the service and the
// groups. A refused line is reported and the rest are added.
NamesImportReport importTabSeparated(contactsCursor& cursor, const QStringList& lines) {
    return importLines(cursor.dataModule().database(), lines, [&](const QString& line) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 2 || fields.size() > 4) {
            throw Error(u"not a name, a pager ID, a service and groups"_s);
        }
        NewContact contact;
        contact.name = unescapeField(fields[0]);
        contact.id = unescapeField(fields[1]);
        if (fields.size() > 2 && !fields[2].isEmpty()) {
            contact.service = fields[2];
        }
        if (fields.size() > 3 && !fields[3].isEmpty()) {
            contact.groups = groupNumbers(fields[3].split(u','));
        }
        addContact(cursor, contact);
    });
}

int importFile(contactsCursor& cursor, const QString& fileName, bool tabSeparatedForm) {
    const UserText text =
        readUserTextFile(fileName, tabSeparatedForm ? UserFileBound::contactsImport : UserFileBound::namesList);
    const NamesImportReport report = tabSeparatedForm ? importTabSeparated(cursor, text.lines)
                                                      : importNamesText(cursor, cursor.dataModule(), text.lines);
    reportSkipped(fileName, report.skipped);
    printLine(stdout, u"%1 contacts imported from %2"_s.arg(report.imported).arg(fileName));
    return report.skipped.isEmpty() ? exitDone : exitRefused;
}

void refuseOptions(const QCommandLineParser& parser, const QString& command, const QStringList& options) {
    for (const QString& option : options) {
        if (parser.isSet(option)) {
            throw UsageError(u"%1 takes no --%2"_s.arg(command, option));
        }
    }
}

void expectArguments(const QStringList& arguments, qsizetype count, const QString& usage) {
    if (arguments.size() != count + 1) {
        throw UsageError(u"usage: corvane-contacts "_s + usage);
    }
}

int run(const QCommandLineParser& parser) {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty()) {
        throw UsageError(u"say what to do: list, add, remove, import or export"_s);
    }
    const QString command = arguments.first();
    const QStringList known{u"list"_s, u"add"_s, u"remove"_s, u"import"_s, u"export"_s};
    if (!known.contains(command)) {
        throw UsageError(
            u"'%1' is not a command; the commands are list, add, remove, import and export"_s.arg(command));
    }
    if (command == u"list"_s || command == u"export"_s) {
        refuseOptions(parser, command, {u"service"_s, u"tsv"_s});
        expectArguments(arguments, 0, command + (command == u"list"_s ? u" [--group N]"_s : QString()));
        if (command == u"export"_s) {
            refuseOptions(parser, command, {u"group"_s});
        }
        if (parser.values(u"group"_s).size() > 1) {
            throw UsageError(u"list shows one group at a time"_s);
        }
    } else if (command == u"add"_s) {
        refuseOptions(parser, command, {u"tsv"_s});
        expectArguments(arguments, 2, u"add NAME PAGERID [--service N] [--group N]..."_s);
    } else if (command == u"remove"_s) {
        refuseOptions(parser, command, {u"service"_s, u"group"_s, u"tsv"_s});
        expectArguments(arguments, 1, u"remove NAME"_s);
    } else {
        refuseOptions(parser, command, {u"service"_s, u"group"_s});
        expectArguments(arguments, 1, u"import [--tsv] FILE"_s);
    }
    const QList<int> groups = groupNumbers(parser.values(u"group"_s));

    TDataModule2 dataModule(QCoreApplication::applicationDirPath());
    contactsCursor cursor(dataModule);
    cursor.setIndexName(u"nameindex"_s);
    cursor.Open();
    if (command == u"list"_s) {
        return listContacts(cursor, groups.isEmpty() ? std::nullopt : std::optional<int>(groups.first()));
    }
    if (command == u"export"_s) {
        return listContacts(cursor, std::nullopt);
    }
    if (command == u"add"_s) {
        NewContact contact;
        contact.name = arguments[1];
        contact.id = arguments[2];
        if (parser.isSet(u"service"_s)) {
            contact.service = parser.value(u"service"_s);
        }
        contact.groups = groups;
        addContact(cursor, contact);
        return exitDone;
    }
    if (command == u"remove"_s) {
        return removeContact(cursor, arguments[1]);
    }
    return importFile(cursor, arguments[1], parser.isSet(u"tsv"_s));
}

} // namespace

int main(int argc, char** argv) {
    cli::prepareProcess();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"corvane-contacts"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Lists and changes the Corvane contacts table beside the program, with the rules of the contacts "
        "window.\n\n"
        "  list [--group N]                        name, pager ID, service and groups, tab-separated\n"
        "  add NAME PAGERID [--service N] [--group N]...\n"
        "  remove NAME\n"
        "  import FILE                             the lines \"name,digits\" of a names.txt\n"
        "  import --tsv FILE                       the lines of an export\n"
        "  export                                  every contact, tab-separated"_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {u"group"_s, u"The group N (1 to 10): list its members, or add the contact to it."_s, u"N"_s},
        {u"service"_s, u"The contact's service number (add; 1 when not given)."_s, u"N"_s},
        {u"tsv"_s, u"Import the tab-separated form that list and export write."_s},
    });
    parser.addPositionalArgument(u"command"_s, u"list, add, remove, import or export, and its arguments."_s,
                                 u"COMMAND [ARGUMENT...]"_s);
    if (!parser.parse(QCoreApplication::arguments())) {
        complain(parser.errorText());
        return exitUsage;
    }
    if (parser.isSet(u"help"_s) || parser.isSet(u"help-all"_s)) {
        parser.showHelp(0);
    }
    if (parser.isSet(u"version"_s)) {
        parser.showVersion();
    }
    try {
        return run(parser);
    } catch (const UsageError& e) {
        complain(e.text());
        return exitUsage;
    } catch (const Error& e) {
        complain(e.text());
        return exitRefused;
    }
}
