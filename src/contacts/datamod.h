#pragma once

#include <QString>
#include <memory>

namespace corvane {

class ContactsDatabase;

// Points the contacts table at the program's directory and holds the one database connection that
// both cursors share. The connection is opened at the first cursor Open, so a missing table shows
// up where a window opens its cursor and can say so.
class TDataModule2 {
public:
    static constexpr auto tableFileName = "contacts.nx1";

    // programDirectory: the folder of the program file; a trailing "/" is added when missing.
    explicit TDataModule2(const QString& programDirectory);
    ~TDataModule2();

    const QString& AliasPath() const { return m_aliasPath; }
    QString tableFilePath() const;
    // Throws corvane::Error when the table file is missing or unreadable.
    ContactsDatabase& database();
    // Opens the table anew when its path now names another file (one renamed over it); true when it
    // did. No reference to the old connection may be held across this call. Throws corvane::Error
    // when the new file cannot be opened as the table; the old connection is kept then.
    bool reopenIfReplaced();

private:
    QString m_aliasPath;
    std::unique_ptr<ContactsDatabase> m_database;
};

} // namespace corvane
