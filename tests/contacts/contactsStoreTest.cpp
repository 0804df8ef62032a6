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
                                 {u"2 contacts imported OK, from file: names.txt"_s,
                                  u"1 line of names.txt was not imported:\n"
                                  u"line 1 \"Al,12345\": shorter than 10 characters"_s}},
                      ImportCase{"LF endings, no digit, untrimmed and empty names, no final line break",
                                 "Ann Lee  ,  no digits\n,1234567890\n  Cy Young,x9y8",
                                 {{u"Ann Lee  "_s, u""_s}, {u""_s, u"1234567890"_s}, {u"  Cy Young"_s, u"9"_s}},
                                 {u"3 contacts imported OK, from file: names.txt"_s}},
                      ImportCase{"a repeated name is dropped and not counted",
                                 "Dana Scully,111\r\nDANA SCULLY,222\r\nFox Mulder,333\r\n",
                                 {{u"Dana Scully"_s, u"111"_s}, {u"Fox Mulder"_s, u"333"_s}},
                                 {u"2 contacts imported OK, from file: names.txt"_s,
                                  u"1 line of names.txt was not imported:\n"
                                  u"line 2 \"DANA SCULLY,222\": a contact of that name is already in the table"_s}},
                      ImportCase{"every line skipped: only the skipped lines are told, blank ones are not",
                                 "short,1\r\nno comma in this line\r\n\r\n   \r\n",
                                 {},
                                 {u"2 lines of names.txt were not imported:\n"
                                  u"line 1 \"short,1\": shorter than 10 characters\n"
                                  u"line 2 \"no comma in this line\": no comma after the name"_s}},
                      ImportCase{"UTF-8 with a byte-order mark",
                                 "\xEF\xBB\xBFJos\xC3\xA9 N\xC3\xBA\xC3\xB1\x65z,5551\r\nAnn Lee,5552\r\n",
                                 {{u"Jos\u00e9 N\u00fa\u00f1ez"_s, u"5551"_s}, {u"Ann Lee"_s, u"5552"_s}},
                                 {u"2 contacts imported OK, from file: names.txt"_s}},
                      ImportCase{"UTF-8 without a mark",
                                 "Jos\xC3\xA9 N\xC3\xBA\xC3\xB1\x65z,5551\n\xE2\x80\x9C"
                                 "Doc\xE2\x80\x9D Brown,5553\n",
                                 {{u"Jos\u00e9 N\u00fa\u00f1ez"_s, u"5551"_s}, {u"\u201cDoc\u201d Brown"_s, u"5553"_s}},
                                 {u"2 contacts imported OK, from file: names.txt"_s}},
                      ImportCase{"only ASCII with a mark: the mark is not part of the first name",
                                 "\xEF\xBB\xBF"
                                 "Ann Lee,5552\r\n",
                                 {{u"Ann Lee"_s, u"5552"_s}},
                                 {u"1 contacts imported OK, from file: names.txt"_s}},
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

// A long list of faulty lines is told in one message that names the first ten.
TEST_F(ContactsStoreTest, ManySkippedLinesAreToldInOneMessageOfTen) {
    QByteArray file = "Good Name,5551\r\n";
    for (int i = 1; i <= 14; ++i) {
        file += "bad " + QByteArray::number(i) + "\r\n";
    }
    dir.write(u"names.txt"_s, file);
    RecordingDialogs dialogs;
    importNamesFile(reader, dataModule, dialogs);
    ASSERT_EQ(dialogs.messages.size(), 2);
    const QStringList lines = dialogs.messages[1].split(u'\n');
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines.first(), u"14 lines of names.txt were not imported:"_s);
    EXPECT_EQ(lines[1], u"line 2 \"bad 1\": shorter than 10 characters"_s);
    EXPECT_EQ(lines[10], u"line 11 \"bad 10\": shorter than 10 characters"_s);
    EXPECT_EQ(lines.last(), u"and 4 more"_s);
}

// Only a file of that name is an import file.
// A folder of that name is not the operator's list, and is said to be none.
TEST_F(ContactsStoreTest, FolderNamedNamesTxtIsSaidToBeNoImportFile) {
    QDir().mkdir(u"names.txt"_s);
    RecordingDialogs dialogs;
    try {
        importNamesFile(reader, dataModule, dialogs);
        ADD_FAILURE() << "imported from a folder";
    } catch (const Error& e) {
        EXPECT_EQ(e.text(), u"names.txt: a folder, not a file"_s);
    }
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

// A group is paged in name order, also when the lookups of the job before were answered from what
// was kept (and so never set the reader to the name index).
TEST_F(ContactsStoreTest, GroupsAreAlwaysReadInNameOrder) {
    addContact(reader, u"Zed"_s, u"3"_s, 1, {1});
    addContact(reader, u"Amy"_s, u"1"_s, 1, {1});
    addContact(reader, u"Mike"_s, u"2"_s, 1, {1});
    for (int job = 1; job <= 2; ++job) {
        SCOPED_TRACE(job);
        QStringList members;
        store.readGroupMembers(1, [&](const contactRecordType& c) { members.append(c.name); });
        EXPECT_EQ(members, (QStringList{u"Amy"_s, u"Mike"_s, u"Zed"_s}));
        LookedUpContact found;
        for (const QString& name : members) {
            ASSERT_TRUE(store.lookupContact(name, found));
        }
    }
}

} // namespace
} // namespace corvane
