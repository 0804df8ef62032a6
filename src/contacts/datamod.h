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

private:
    QString m_aliasPath;
    std::unique_ptr<ContactsDatabase> m_database;
};

} // namespace corvane
