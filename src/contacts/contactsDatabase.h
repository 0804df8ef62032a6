#pragma once

#include "platform/error.h"

#include <QMultiHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <sys/types.h>

struct sqlite3;
struct sqlite3_stmt;

namespace corvane {

// The columns of the contacts table, in the order of a contact's fields: the one place that names
// them, for the table's definition, its check at open and every statement of the cursors.
struct ContactColumn {
    const char* name;
    const char* type;
};
inline constexpr std::array<ContactColumn, 14> contactColumns = {{
    {"name", "TEXT NOT NULL COLLATE NOCASE"},
    {"id", "TEXT"},
    {"serviceNumber", "INTEGER"},
    {"password", "TEXT"},
    {"memberGr1", "INTEGER"},
    {"memberGr2", "INTEGER"},
    {"memberGr3", "INTEGER"},
    {"memberGr4", "INTEGER"},
    {"memberGr5", "INTEGER"},
    {"memberGr6", "INTEGER"},
    {"memberGr7", "INTEGER"},
    {"memberGr8", "INTEGER"},
    {"memberGr9", "INTEGER"},
    {"memberGr10", "INTEGER"},
}};
// The column names, in that order.
QStringList contactColumnNames();

// A change refused because this user may not write the table's file or the folder that holds it. Its
// text says which and why, e.g. "The contacts table cannot be changed: /var/lib/corvane/contacts.nx1
// is writable only by members of the group corvane".
class TableNotWritableError : public Error {
public:
    using Error::Error;
};

// One prepared statement, reset before each use. Values are always bound, never pasted into SQL.
class Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* stmt)
        : m_db(db)
        , m_stmt(stmt) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& reset();
    Statement& bind(int index, const QVariant& value); // 1-based; a null QVariant binds NULL
    // Runs one step: true while a row is there. Throws corvane::Error with SQLite's text on failure.
    bool step();
    // The extended result code of the last failed step, for callers that tell failures apart.
    int lastErrorCode() const { return m_lastError; }
    QVariant column(int index) const; // 0-based; NULL gives a null QVariant
    // A column's text as SQLite holds it (UTF-8), without the conversion column() makes; NULL
    // gives an empty array. Valid until the next step.
    QByteArrayView columnUtf8(int index) const;
    // Whether the column holds text or an integer, whose text columnUtf8 gives as column() would.
    bool columnIsTextOrInteger(int index) const;
    qint64 columnInt64(int index) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
    int m_lastError = 0;
};

// A cached statement in use. Reset when the use ends, so that no statement is left part-way through
// its rows between calls: such a statement keeps the file locked against every other program.
class StatementUse {
public:
    explicit StatementUse(Statement& statement)
        : m_statement(statement) {}
    ~StatementUse() { m_statement.reset(); }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    Statement* operator->() const { return &m_statement; }
    Statement& operator*() const { return m_statement; }

private:
    Statement& m_statement;
};

// The one connection to the contacts database file, shared by every cursor of the program.
class ContactsDatabase {
public:
    // How long a change waits for another program's write to finish before it gives up.
    static constexpr int busyTimeoutMs = 3000;

    // Opens an existing file for reading and writing. An absent file is an error: the program
    // never creates the table, so a wrong folder cannot silently give an empty contacts list.
    explicit ContactsDatabase(const QString& filePath);
    ~ContactsDatabase();
    ContactsDatabase(const ContactsDatabase&) = delete;
    ContactsDatabase& operator=(const ContactsDatabase&) = delete;

    // A cached prepared statement, reset and ready for binding; reset again when the use ends.
    StatementUse prepare(const QString& sql);
    void exec(const QString& sql);
    // Begins a transaction that holds the write lock from its start. A table another program is
    // writing (after the busy wait) or one this user may not write is refused here, with the texts
    // a refused change has.
    void beginImmediate();
    // SQLite's query plan for a statement, one step per line, for checking that an index is used.
    QString queryPlan(const QString& sql);
    sqlite3* handle() const { return m_db; }
    // What tells one state of the file from another: the 16 bytes from offset 24 of its header
    // (the change counter that every commit changes in rollback-journal mode, and what SQLite
    // compares with it). One read of the file, no lock taken. Nothing for a file in WAL mode, whose
    // commits leave the header alone, or when it cannot be read.
    std::optional<QByteArray> changeStamp() const;
    // A name is one name whatever the case of its letters, in every alphabet; the name index
    // (SQLite's NOCASE) folds A to Z only. The name stored in another row (not exceptRow) that is
    // the same as name but for case, or nothing. Plain names are found through the name index;
    // names with other letters through a map made by one pass over the table, kept while the file's
    // change stamp holds and kept up to date by this connection's own writes.
    std::optional<QString> storedNameFoldedAs(const QString& name, qint64 exceptRow = 0);
    // This connection stored name in the row (inserted or renamed from oldName), or removed the row.
    void noteNameStored(qint64 rowid, const QString& name, const QString& oldName = QString());
    void noteNameRemoved(qint64 rowid, const QString& name);
    // The table's path still names the file this connection opened: not one put in its place by a
    // rename (rsync, install, a deploy script). One stat of the path.
    bool stillAtItsPath() const;
    const QString& filePath() const { return m_filePath; }

private:
    void checkTable();

    struct FoldedName {
        qint64 rowid;
        QString name;
    };
    void readFoldedNames();

    QString m_filePath;
    // Stored names holding letters beyond ASCII, by their case-folded form.
    QMultiHash<QString, FoldedName> m_folded;
    std::optional<QByteArray> m_foldedAt; // the change stamp m_folded was read at
    bool m_foldedRead = false;            // m_folded holds what it says
    dev_t m_device = 0;
    ino_t m_inode = 0;
    sqlite3* m_db = nullptr;
    std::map<QString, std::unique_ptr<Statement>> m_statements;
};

// Many reads made inside one call of the program (filling a list, reading a group) share one read
// transaction: the file is locked once for the call instead of once per row, and let go when the
// call ends. Inside a transaction already open it does nothing.
class ReadTransaction {
public:
    explicit ReadTransaction(ContactsDatabase& database);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    sqlite3* m_db;
    bool m_began = false;
};

// Writes a new database file holding the empty contacts table and its name index. Refuses to touch
// an existing file. Throws corvane::Error.
void createEmptyContactsTable(const QString& filePath);

} // namespace corvane
