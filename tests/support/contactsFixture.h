#pragma once

#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/datamod.h"
#include "tempWorkingDir.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace corvane::test {

// Inserts and posts one contact through the cursor; groups are 1-based numbers to tick. The one way
// tests put contacts into a real table.
inline void seedContact(contactsCursor& cursor, const QString& name, const QString& id, int service = 1,
                        std::initializer_list<int> groups = {}) {
    cursor.Insert();
    cursor.FieldByName(QStringLiteral("name")).setAsString(name);
    cursor.FieldByName(QStringLiteral("id")).setAsString(id);
    cursor.FieldByName(QStringLiteral("serviceNumber")).setAsInteger(service);
    for (int g : groups) {
        cursor.FieldByName(QStringLiteral("memberGr") + QString::number(g)).setAsBoolean(true);
    }
    cursor.Post();
}

// A real, empty contacts table in a fresh directory that is also the working directory, with the
// data module pointed at it.
class ContactsFixture : public ::testing::Test {
protected:
    ContactsFixture() { createEmptyContactsTable(dir.filePath(QStringLiteral("contacts.nx1"))); }

    static void addContact(contactsCursor& cursor, const QString& name, const QString& id, int service = 1,
                           std::initializer_list<int> groups = {}) {
        seedContact(cursor, name, id, service, groups);
    }

    // Names of the cursor's view from its first contact on.
    static QStringList namesInView(contactsCursor& cursor) {
        QStringList names;
        for (cursor.First(); !cursor.Eof(); cursor.Next()) {
            names.append(cursor.FieldByName(QStringLiteral("name")).AsString());
        }
        return names;
    }

    TempWorkingDir dir;
    TDataModule2 dataModule{dir.path()};
};

} // namespace corvane::test
