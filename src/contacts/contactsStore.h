#pragma once

#include "engine/contactDirectory.h"

#include <optional>

namespace corvane {

class contactsCursor;
class OperatorDialogs;
class TDataModule2;

// The store operations on the main window's cursor (the reader).
class ContactsStore final : public ContactDirectory {
public:
    explicit ContactsStore(contactsCursor& reader)
        : m_reader(reader) {}

    // Switches the reader to name order (for the rest of the run) and searches the name index.
    bool lookupContact(const QString& name, LookedUpContact& found) override;
    void readAllContacts(const std::function<void(const contactRecordType&)>& visit) override;
    void readGroupMembers(int group, const std::function<void(const contactRecordType&)>& visit) override;

private:
    contactsCursor& m_reader;
};

// The first-run import: when the reader's table is empty and "names.txt" exists in the working
// directory, each line "name,digits..." becomes a contact of service 1. Lines that cannot be stored
// are dropped without a word; the count of imported contacts is shown when it is not 0. Throws
// corvane::Error when the file cannot be opened or read.
void importNamesFile(contactsCursor& reader, TDataModule2& dataModule, OperatorDialogs& dialogs);

// One line of "names.txt": the name and the ID, or nothing for a line that is skipped.
struct NamesLine {
    QString name;
    QString id;
};
std::optional<NamesLine> parseNamesLine(const QString& line);

} // namespace corvane
