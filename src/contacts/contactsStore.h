#pragma once

#include "engine/contactDirectory.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace corvane {

class ContactsDatabase;
class contactsCursor;
class OperatorDialogs;
class TDataModule2;

// The store operations on the main window's cursor (the reader).
//
// A job looks up each recipient just before paging it, so that a contact changed or deleted by
// another program meanwhile is seen; the table is never held between calls. What a lookup or a
// group read found is kept with the file's change stamp of that moment (the header bytes SQLite
// itself compares): while it reads the same, the table has not changed and the kept contact is the
// answer (one read of the file header instead of a query with its locks); once it differs,
// everything kept is dropped and the table is asked again. A table in WAL mode has no such stamp and
// is always asked. Each call also checks, with one stat, that the path still names the file that
// was opened; a table renamed over it is opened anew.
class ContactsStore final : public ContactDirectory {
public:
    explicit ContactsStore(contactsCursor& reader)
        : m_reader(reader) {}

    // Switches the reader to name order (for the rest of the run) and searches the name index.
    bool lookupContact(const QString& name, LookedUpContact& found) override;
    void readAllContacts(const std::function<void(const contactRecordType&)>& visit) override;
    void readGroupMembers(int group, const std::function<void(const contactRecordType&)>& visit) override;

private:
    // Names compare as the table's rule compares them: without regard to case, in every alphabet.
    static QString nameKey(const QString& name);
    // Keeps what was read at this stamp; a different stamp drops what was kept before.
    void keep(const std::optional<QByteArray>& stamp, const QString& name, const LookedUpContact& contact);
    // Reads the table that its path names now, after a rename put another file there.
    void followRenamedTable();

    contactsCursor& m_reader;
    QHash<QString, LookedUpContact> m_known;
    std::optional<QByteArray> m_knownAt; // the file's change stamp m_known was read at
};

// The rules every save of a contact keeps, in the contacts window and from the command line: why a
// contact with this name and pager ID cannot be saved, or nothing when it can. A name is unique
// without regard to case; the table itself refuses a second one.
std::optional<QString> contactSaveRefusal(const QString& name, const QString& id);
// A contact name is one line that prints as it reads: no line end, tab or other control character
// (a name with a line end becomes two names in a list of names, an escape sequence repaints the
// terminal that lists it). Why this name cannot be stored, or nothing when it can.
std::optional<QString> contactNameRefusal(const QString& name);
inline const QString nameRuleText = QStringLiteral("A name is one line, without tabs or other control characters");
inline const QString pagerIdRuleText =
    QStringLiteral("The ID is a pager ID: one word, without blanks or control characters");
inline const QString duplicateNameText = QStringLiteral("Error: Duplicate Name");

// A line of a names file that did not become a contact, and why.
struct SkippedNamesLine {
    int number = 0; // 1-based
    QString text;
    QString reason;
};
struct NamesImportReport {
    int imported = 0;
    QList<SkippedNamesLine> skipped; // blank lines are not counted as skipped
};

// Stores each line through storeLine, in one transaction with a savepoint a line: a line that
// storeLine refuses (by throwing corvane::Error, whose text is the reason) is rolled back alone and
// reported; blank lines are passed over. The table is taken for writing before the first line, so a
// table another program is writing ends the import at once, with one message and nothing stored;
// so does a table that cannot be changed at all (TableNotWritableError).
NamesImportReport importLines(ContactsDatabase& db, const QStringList& lines,
                              const std::function<void(const QString& line)>& storeLine);

// Each line "name,digits..." becomes a contact of service 1, in one transaction; a line
// that cannot be stored is skipped and reported. Throws corvane::Error when the table cannot be
// changed at all (then nothing is imported).
NamesImportReport importNamesText(contactsCursor& reader, TDataModule2& dataModule, const QStringList& lines);

// "N lines of FILE were not imported:" and at most `shown` of them, one a line, then "and N more".
QString describeSkippedLines(const QString& fileName, const QList<SkippedNamesLine>& skipped, int shown = 10);

// The first-run import: when the reader's table is empty and "names.txt" exists in the working
// directory, its lines become contacts. The count of imported contacts is shown when it is not 0,
// then, in one more message, the lines that were skipped. Throws corvane::Error when the file cannot
// be opened or read, or the table cannot be changed.
void importNamesFile(contactsCursor& reader, TDataModule2& dataModule, OperatorDialogs& dialogs);

// One line of "names.txt": the name and the ID, or nothing for a line that is skipped.
struct NamesLine {
    QString name;
    QString id;
};
std::optional<NamesLine> parseNamesLine(const QString& line);

} // namespace corvane
