#include "contacts/contactsStore.h"

#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/datamod.h"
#include "engine/snppCommands.h"
#include "platform/error.h"
#include "platform/operatorDialogs.h"
#include "platform/userFile.h"

#include <QScopeGuard>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

QString ContactsStore::nameKey(const QString& name) {
    return name.toCaseFolded();
}

void ContactsStore::keep(const std::optional<QByteArray>& stamp, const QString& name, const LookedUpContact& contact) {
    if (!stamp) {
        return;
    }
    if (stamp != m_knownAt) {
        m_known.clear();
        m_knownAt = stamp;
    }
    m_known.insert(nameKey(name), contact);
}

void ContactsStore::followRenamedTable() {
    if (m_reader.dataModule().reopenIfReplaced()) {
        // Another file altogether: what was kept of the old one says nothing of it, whatever its
        // header holds.
        m_known.clear();
        m_knownAt.reset();
    }
}

bool ContactsStore::lookupContact(const QString& name, LookedUpContact& found) {
    followRenamedTable();
    // Read before the lookup: a commit in between leaves the contact kept under the older stamp,
    // which the next lookup finds changed, so it can only cost a query, never a stale answer.
    const std::optional<QByteArray> stamp = m_reader.dataModule().database().changeStamp();
    if (stamp && stamp == m_knownAt) {
        if (const auto kept = m_known.constFind(nameKey(name)); kept != m_known.constEnd()) {
            found = *kept;
            return true;
        }
    }
    m_reader.setIndexName(u"nameindex"_s);
    if (!m_reader.findName(name)) {
        return false;
    }
    try {
        found.id = m_reader.FieldByName(u"id"_s).AsString();
        found.serviceNumber = m_reader.FieldByName(u"serviceNumber"_s).AsInteger();
        found.password = m_reader.FieldByName(u"password"_s).AsString();
    } catch (const Error& e) {
        throw Error(u"Contact '%1': %2"_s.arg(name, e.text()));
    }
    keep(stamp, m_reader.FieldByName(u"name"_s).AsString(), found);
    return true;
}

void ContactsStore::readAllContacts(const std::function<void(const contactRecordType&)>& visit) {
    followRenamedTable();
    const ReadTransaction together(m_reader.dataModule().database());
    m_reader.First();
    while (!m_reader.Eof()) {
        contactRecordType record;
        try {
            record = m_reader.currentRecord();
        } catch (const Error& e) {
            // Name the row, so that whoever fixes the table knows where to look.
            throw Error(u"Contact '%1': %2"_s.arg(m_reader.FieldByName(u"name"_s).AsString(), e.text()));
        }
        visit(record);
        m_reader.Next();
    }
}

// The reader's own group filter does the finding; the reader's view is put back afterwards.
void ContactsStore::readGroupMembers(int group, const std::function<void(const contactRecordType&)>& visit) {
    followRenamedTable();
    // A group is paged in name order, whether or not a lookup answered from what was kept (and so
    // never switched the reader to the name index) since the last group.
    m_reader.setIndexName(u"nameindex"_s);
    const ReadTransaction together(m_reader.dataModule().database());
    const QString filter = m_reader.Filter();
    const bool filtered = m_reader.Filtered();
    const auto restore = qScopeGuard([&] {
        m_reader.setFiltered(false);
        m_reader.setFilter(filter);
        m_reader.setFiltered(filtered);
    });
    m_reader.setFiltered(false);
    m_reader.setFilter(u"memberGr%1=true"_s.arg(group));
    m_reader.setFiltered(true);
    QList<std::pair<QString, LookedUpContact>> members;
    readAllContacts([&](const contactRecordType& contact) {
        members.append({contact.name, LookedUpContact{contact.id, contact.serviceNumber, contact.password}});
        visit(contact);
    });
    // The read transaction still holds the file: the stamp is the one these members were read at.
    const std::optional<QByteArray> stamp = m_reader.dataModule().database().changeStamp();
    for (const auto& [name, contact] : members) {
        keep(stamp, name, contact);
    }
}

std::optional<NamesLine> parseNamesLine(const QString& line) {
    const qsizetype comma = line.indexOf(u',');
    if (line.size() < 10 || comma < 0) {
        return std::nullopt;
    }
    NamesLine parsed;
    parsed.name = line.left(comma);
    qsizetype i = comma;
    while (i < line.size() && !(line[i] >= u'0' && line[i] <= u'9')) {
        ++i;
    }
    const qsizetype start = i;
    while (i < line.size() && line[i] >= u'0' && line[i] <= u'9') {
        ++i;
    }
    parsed.id = line.mid(start, i - start);
    return parsed;
}

std::optional<QString> contactNameRefusal(const QString& name) {
    const bool oneLine = std::none_of(name.begin(), name.end(), [](QChar c) {
        const QChar::Category category = c.category();
        return category == QChar::Other_Control || category == QChar::Separator_Line ||
               category == QChar::Separator_Paragraph;
    });
    return oneLine ? std::nullopt : std::optional<QString>(nameRuleText);
}

std::optional<QString> contactSaveRefusal(const QString& name, const QString& id) {
    if (name.isEmpty() || id.isEmpty()) {
        return u"Name and ID must have values"_s;
    }
    if (auto refusal = contactNameRefusal(name)) {
        return refusal;
    }
    // PAGE takes the ID, a blank and the pager's password: an ID with a blank in it would page
    // another pager.
    if (!isPagerId(id)) {
        return pagerIdRuleText;
    }
    return std::nullopt;
}

NamesImportReport importLines(ContactsDatabase& db, const QStringList& lines,
                              const std::function<void(const QString& line)>& storeLine) {
    // One transaction for the whole file and a savepoint per line: a refused line rolls back alone,
    // and the disk is synced once, not once per contact. IMMEDIATE takes the write lock now: with a
    // deferred one each line would wait out another program's lock on its own and be refused with
    // its own message, and a lock that went away mid-file would leave half the file imported.
    NamesImportReport report;
    db.beginImmediate();
    try {
        int number = 0;
        for (const QString& lineText : lines) {
            ++number;
            if (lineText.trimmed().isEmpty()) {
                continue;
            }
            db.exec(u"SAVEPOINT importLine"_s);
            try {
                storeLine(lineText);
                db.exec(u"RELEASE importLine"_s);
                ++report.imported;
            } catch (const TableNotWritableError&) {
                throw; // every line would be refused alike: the whole import fails, once
            } catch (const Error& e) {
                db.exec(u"ROLLBACK TO importLine"_s);
                db.exec(u"RELEASE importLine"_s);
                report.skipped.append({number, lineText, e.text()});
            }
        }
        db.exec(u"COMMIT"_s);
    } catch (...) {
        db.exec(u"ROLLBACK"_s);
        throw;
    }
    return report;
}

NamesImportReport importNamesText(contactsCursor& reader, TDataModule2& dataModule, const QStringList& lines) {
    return importLines(dataModule.database(), lines, [&](const QString& line) {
        const auto parsed = parseNamesLine(line);
        if (!parsed) {
            throw Error(line.size() < 10 ? u"shorter than 10 characters"_s : u"no comma after the name"_s);
        }
        if (const auto refusal = contactNameRefusal(parsed->name)) {
            throw Error(*refusal);
        }
        reader.Insert();
        try {
            reader.FieldByName(u"name"_s).setAsString(parsed->name);
            reader.FieldByName(u"id"_s).setAsString(parsed->id);
            reader.FieldByName(u"serviceNumber"_s).setAsInteger(1);
            reader.Post();
        } catch (const KeyViolationError&) {
            reader.Cancel();
            throw Error(u"a contact of that name is already in the table"_s);
        } catch (...) {
            reader.Cancel();
            throw;
        }
    });
}

QString describeSkippedLines(const QString& fileName, const QList<SkippedNamesLine>& skipped, int shown) {
    QStringList lines{skipped.size() == 1 ? u"1 line of %1 was not imported:"_s.arg(fileName)
                                          : u"%1 lines of %2 were not imported:"_s.arg(skipped.size()).arg(fileName)};
    for (qsizetype i = 0; i < skipped.size() && i < shown; ++i) {
        const SkippedNamesLine& line = skipped[i];
        QString text = line.text;
        if (text.size() > 40) {
            text = text.left(37) + u"..."_s;
        }
        lines.append(u"line %1 \"%2\": %3"_s.arg(line.number).arg(text, line.reason));
    }
    if (skipped.size() > shown) {
        lines.append(u"and %1 more"_s.arg(skipped.size() - shown));
    }
    return lines.join(u'\n');
}

void importNamesFile(contactsCursor& reader, TDataModule2& dataModule, OperatorDialogs& dialogs) {
    const QString fileName = u"names.txt"_s;
    if (reader.RecordCount() != 0) {
        return;
    }
    const std::optional<QByteArray> bytes = readUserFileBytes(fileName, UserFileBound::namesList);
    if (!bytes) {
        return;
    }
    const UserText text = decodeUserText(fileName, *bytes);
    NamesImportReport report;
    try {
        report = importNamesText(reader, dataModule, text.lines);
    } catch (const Error& e) {
        // What escapes the import refused it whole (a table this user may not write, or one
        // another program is writing): nothing of the file is stored.
        throw Error(u"Could not import the contacts of names.txt. "_s + e.text());
    }
    if (report.imported > 0) {
        dialogs.showMessage(QString::number(report.imported) + u" contacts imported OK, from file: names.txt"_s);
    }
    if (!report.skipped.isEmpty()) {
        dialogs.showMessage(describeSkippedLines(fileName, report.skipped));
    }
}

} // namespace corvane
