#include "contacts/contactsStore.h"

#include "contactsFixture.h"
#include "namedRows.h"
#include "platform/error.h"
#include "printers.h"
#include "recordingDialogs.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

using test::RecordingDialogs;

class ContactsStoreTest : public test::ContactsFixture {
protected:
    ContactsStoreTest() { reader.Open(); }
    QStringList readAllNames() {
        QStringList names;
        store.readAllContacts([&](const contactRecordType& c) { names.append(c.name); });
        return names;
    }

    contactsCursor reader{dataModule};
    ContactsStore store{reader};
};

TEST_F(ContactsStoreTest, LookupYieldsIdServiceAndPasswordOrLeavesTheCallersValues) {
    reader.Insert();
    reader.FieldByName(u"name"_s).setAsString(u"Bob Smith"_s);
    reader.FieldByName(u"id"_s).setAsString(u"5551234"_s);
    reader.FieldByName(u"serviceNumber"_s).setAsInteger(2);
    reader.FieldByName(u"password"_s).setAsString(u"0042"_s);
    reader.Post();

    LookedUpContact found;
    ASSERT_TRUE(store.lookupContact(u"Bob Smith"_s, found));
    EXPECT_EQ(found.id, u"5551234"_s);
    EXPECT_EQ(found.serviceNumber, 2);
    EXPECT_EQ(found.password, u"0042"_s);
    EXPECT_TRUE(store.lookupContact(u"BOB SMITH"_s, found)) << "the name index folds A to Z";

    LookedUpContact kept{u"earlier"_s, 7, u"pw"_s};
    EXPECT_FALSE(store.lookupContact(u"Bob"_s, kept));
    EXPECT_FALSE(store.lookupContact(u"Bob Smith "_s, kept)) << "the whole value must match";
    EXPECT_EQ(kept.id, u"earlier"_s);
    EXPECT_EQ(kept.serviceNumber, 7);
    EXPECT_EQ(kept.password, u"pw"_s);
}

TEST_F(ContactsStoreTest, LookupSearchesTheNameIndexWithoutAScan) {
    LookedUpContact found;
    store.lookupContact(u"anyone"_s, found);
    const QString plan = reader.findNameQueryPlan();
    EXPECT_TRUE(plan.contains(u"USING INDEX nameindex"_s)) << plan.toStdString();
    EXPECT_FALSE(plan.contains(u"SCAN"_s)) << plan.toStdString();
}

TEST_F(ContactsStoreTest, ReadingAllFollowsNaturalOrderUntilTheFirstLookup) {
    for (const QString& name : {u"Zed"_s, u"Amy"_s, u"Mike"_s}) {
        addContact(reader, name, u"1"_s);
    }
    EXPECT_EQ(readAllNames(), (QStringList{u"Zed"_s, u"Amy"_s, u"Mike"_s}));
    LookedUpContact found;
    store.lookupContact(u"nobody"_s, found);
    EXPECT_EQ(readAllNames(), (QStringList{u"Amy"_s, u"Mike"_s, u"Zed"_s}));
}

struct ImportedContact {
    QString name;
    QString id;
};

struct ImportCase {
    const char* what;
    QByteArray file;
    std::vector<ImportedContact> contacts;
    QStringList messages;
};

class NamesImport : public ContactsStoreTest, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(NamesImport, TakesEachLinesNameAndFirstDigitRun) {
    const ImportCase& c = GetParam();
    reader.setIndexName(QString());
    dir.write(u"names.txt"_s, c.file);
    RecordingDialogs dialogs;
    importNamesFile(reader, dataModule, dialogs);
    EXPECT_EQ(dialogs.messages, c.messages);
    ASSERT_EQ(reader.RecordCount(), int(c.contacts.size()));
    reader.First();
    for (const auto& expected : c.contacts) {
        const contactRecordType got = reader.currentRecord();
        EXPECT_EQ(got.name, expected.name);
        EXPECT_EQ(got.id, expected.id);
        EXPECT_EQ(got.serviceNumber, 1);
        EXPECT_TRUE(reader.FieldByName(u"password"_s).IsNull());
        for (int g = 1; g <= 10; ++g) {
            EXPECT_TRUE(reader.FieldByName(u"memberGr"_s + QString::number(g)).IsNull());
        }
        reader.Next();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, NamesImport,
    ::testing::Values(ImportCase{"the three-line example",
                                 "Al,12345\r\nBob Smith,555-1234\r\nSmith, John 42\r\n",
                                 {{u"Bob Smith"_s, u"555"_s}, {u"Smith"_s, u"42"_s}},
                                 {u"2 contacts imported OK, from file: names.txt"_s}},
                      ImportCase{"LF endings, no digit, untrimmed and empty names, no final line break",
                                 "Ann Lee  ,  no digits\n,1234567890\n  Cy Young,x9y8",
                                 {{u"Ann Lee  "_s, u""_s}, {u""_s, u"1234567890"_s}, {u"  Cy Young"_s, u"9"_s}},
                                 {u"3 contacts imported OK, from file: names.txt"_s}},
                      ImportCase{"a repeated name is dropped and not counted",
                                 "Dana Scully,111\r\nDANA SCULLY,222\r\nFox Mulder,333\r\n",
                                 {{u"Dana Scully"_s, u"111"_s}, {u"Fox Mulder"_s, u"333"_s}},
                                 {u"2 contacts imported OK, from file: names.txt"_s}},
                      ImportCase{"every line skipped: no message", "short,1\r\nno comma in this line\r\n\r\n", {}, {}},
                      ImportCase{"code page",
                                 "Ren\xe9\x80 Roe,42 7\r\n",
                                 {{u"Ren\u00e9\u20ac Roe"_s, u"42"_s}},
                                 {u"1 contacts imported OK, from file: names.txt"_s}}),
    test::NamedByWhat());

TEST_F(ContactsStoreTest, ImportLeavesATableWithContactsAlone) {
    addContact(reader, u"Existing"_s, u"1"_s);
    dir.write(u"names.txt"_s, "Bob Smith,5551234\r\n");
    RecordingDialogs dialogs;
    importNamesFile(reader, dataModule, dialogs);
    EXPECT_EQ(reader.RecordCount(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(QFile::exists(dir.filePath(u"names.txt"_s))) << "the file stays where it is";
}

TEST_F(ContactsStoreTest, UnreadableFileEndsTheImportWithItsError) {
    dir.write(u"names.txt"_s, "Bob Smith,5551234\r\n");
    QFile::setPermissions(dir.filePath(u"names.txt"_s), QFileDevice::Permissions());
    RecordingDialogs dialogs;
    dir.openToEveryone();
    {
        test::ActAsUnprivileged nobody;
        try {
            importNamesFile(reader, dataModule, dialogs);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().contains(u"names.txt"_s)) << e.text().toStdString();
        }
    }
    EXPECT_EQ(reader.RecordCount(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// Only a file of that name is an import file.
TEST_F(ContactsStoreTest, FolderNamedNamesTxtIsNoImportFile) {
    QDir().mkdir(u"names.txt"_s);
    RecordingDialogs dialogs;
    EXPECT_NO_THROW(importNamesFile(reader, dataModule, dialogs));
    EXPECT_EQ(reader.RecordCount(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// A group's members come straight from the table, the same as reading everyone and keeping the
// members, and the reader's own view is as it was afterwards.
TEST_F(ContactsStoreTest, GroupMembersAreWhatReadingEveryoneWouldKeep) {
    addContact(reader, u"Cy"_s, u"3"_s, 1, {2, 10});
    addContact(reader, u"Ann"_s, u"1"_s, 1, {10});
    addContact(reader, u"Bob"_s, u"2"_s, 1, {2});
    addContact(reader, u"Dee"_s, u"4"_s, 1, {});
    reader.setIndexName(u"nameindex"_s);
    reader.setFilter(u"memberGr10=true"_s);
    for (int group : {2, 10, 5}) {
        SCOPED_TRACE(group);
        QStringList expected;
        reader.setFiltered(false);
        store.readAllContacts([&](const contactRecordType& c) {
            if (c.isMemberOf(group)) {
                expected.append(c.name);
            }
        });
        QStringList members;
        store.readGroupMembers(group, [&](const contactRecordType& c) { members.append(c.name); });
        EXPECT_EQ(members, expected);
        EXPECT_EQ(reader.Filter(), u"memberGr10=true"_s);
        EXPECT_FALSE(reader.Filtered());
    }
    reader.setFiltered(true);
    store.readGroupMembers(2, [](const contactRecordType&) {});
    EXPECT_TRUE(reader.Filtered());
    EXPECT_EQ(namesInView(reader), (QStringList{u"Ann"_s, u"Cy"_s}));
}

} // namespace
} // namespace corvane
