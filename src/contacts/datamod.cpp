#include "contacts/datamod.h"

#include "contacts/contactsDatabase.h"

namespace corvane {

TDataModule2::TDataModule2(const QString& programDirectory)
    : m_aliasPath(programDirectory.endsWith(u'/') ? programDirectory : programDirectory + u'/') {}

TDataModule2::~TDataModule2() = default;

QString TDataModule2::tableFilePath() const {
    return m_aliasPath + QString::fromLatin1(tableFileName);
}

ContactsDatabase& TDataModule2::database() {
    if (!m_database) {
        m_database = std::make_unique<ContactsDatabase>(tableFilePath());
    }
    return *m_database;
}

bool TDataModule2::reopenIfReplaced() {
    if (!m_database || m_database->stillAtItsPath()) {
        return false;
    }
    auto reopened = std::make_unique<ContactsDatabase>(tableFilePath());
    m_database = std::move(reopened);
    return true;
}

} // namespace corvane
