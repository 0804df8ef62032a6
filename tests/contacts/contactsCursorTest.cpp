#include "contactsFixture.h"
#include "namedRows.h"
#include "otherProgram.h"
#include "platform/error.h"
#include "printers.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <limits>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

using ContactsCursorTest = test::ContactsFixture;

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.text();
    }
    return u"(no error)"_s;
}

struct OpenCase {
    const char* what;
    QByteArray content; // null: no file at all
    QString errorStart;
};

class UnopenableTable : public ::testing::TestWithParam<OpenCase> {};

TEST_P(UnopenableTable, OpenFailsClearlyWithoutCreatingAFile) {
    const OpenCase& c = GetParam();
    test::TempWorkingDir dir;
    if (!c.content.isNull()) {
        dir.write(u"contacts.nx1"_s, c.content);
    }
    TDataModule2 dataModule(dir.path());
    contactsCursor cursor(dataModule);
    EXPECT_TRUE(errorOf([&] { cursor.Open(); }).startsWith(c.errorStart));
    EXPECT_EQ(cursor.State(), dsInactive);
    EXPECT_EQ(QFileInfo::exists(dir.filePath(u"contacts.nx1"_s)), !c.content.isNull());
    if (!c.content.isNull()) {
        EXPECT_THROW(createEmptyContactsTable(dir.filePath(u"contacts.nx1"_s)), Error) << "never overwrites";
        EXPECT_EQ(dir.read(u"contacts.nx1"_s), c.content);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, UnopenableTable,
                         ::testing::Values(OpenCase{"absent", QByteArray(), u"Contacts table not found: "_s},
                                           OpenCase{"not a database", "just some text, not a table",
                                                    u"Cannot open contacts table "_s}),
                         test::NamedByWhat());

TEST_F(ContactsCursorTest, StateChangesAreAnnouncedAfterEveryChange) {
    contactsCursor cursor(dataModule);
    QList<DataSetState> seen;
    cursor.OnStateChange = [&](contactsCursor& c) { seen.append(c.State()); };
    cursor.Open();
    cursor.Insert();
    cursor.FieldByName(u"name"_s).setAsString(u"Ann"_s);
    cursor.Post();
    cursor.Edit();
    cursor.Cancel();
    cursor.Cancel(); // nothing to cancel: no change
    cursor.Edit();
    cursor.FieldByName(u"id"_s).setAsString(u"1"_s);
    cursor.CheckBrowseMode();
    cursor.Close();
    EXPECT_EQ(seen,
              (QList<DataSetState>{dsBrowse, dsInsert, dsBrowse, dsEdit, dsBrowse, dsEdit, dsBrowse, dsInactive}));
}

TEST_F(ContactsCursorTest, UnsetFieldsReadEmptyZeroFalseAndStayTellableFromFalse) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    cursor.Insert();
    cursor.FieldByName(u"name"_s).setAsString(u"Ann"_s);
    cursor.FieldByName(u"memberGr2"_s).setAsBoolean(false);
    cursor.FieldByName(u"MEMBERGR3"_s).setAsBoolean(true);
    cursor.Post();

    EXPECT_EQ(cursor.FieldByName(u"id"_s).AsString(), u""_s);
    EXPECT_EQ(cursor.FieldByName(u"servicenumber"_s).AsInteger(), 0);
    EXPECT_EQ(cursor.FieldByName(u"password"_s).AsString(), u""_s);
    EXPECT_TRUE(cursor.FieldByName(u"memberGr1"_s).IsNull());
    EXPECT_FALSE(cursor.FieldByName(u"memberGr1"_s).AsBoolean());
    EXPECT_FALSE(cursor.FieldByName(u"memberGr2"_s).IsNull());
    EXPECT_FALSE(cursor.FieldByName(u"memberGr2"_s).AsBoolean());
    EXPECT_TRUE(cursor.FieldByName(u"memberGr3"_s).AsBoolean());
    EXPECT_EQ(errorOf([&] { cursor.FieldByName(u"email"_s); }), u"Field 'email' not found"_s);
    EXPECT_EQ(errorOf([&] { cursor.FieldByName(u"id"_s).setAsString(u"x"_s); }),
              u"Dataset not in edit or insert mode"_s);
}

TEST_F(ContactsCursorTest, ServiceNumberTakesOnlyIntegersAndKeepsAnyValue) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    cursor.Insert();
    cursor.FieldByName(u"name"_s).setAsString(u"Ann"_s);
    EXPECT_EQ(errorOf([&] { cursor.FieldByName(u"serviceNumber"_s).setAsString(u"1x"_s); }),
              u"'1x' is not a valid integer value for field 'serviceNumber'"_s);
    cursor.FieldByName(u"serviceNumber"_s).setAsString(u"13"_s);
    cursor.Post();
    EXPECT_EQ(cursor.FieldByName(u"serviceNumber"_s).AsInteger(), 13);
}

TEST_F(ContactsCursorTest, DuplicateNameIsAKeyViolationAndKeepsTheWorkingCopy) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    addContact(cursor, u"Bob Smith"_s, u"555"_s);
    for (const QString& clash : {u"Bob Smith"_s, u"BOB SMITH"_s, u"bob smith"_s}) {
        cursor.Insert();
        cursor.FieldByName(u"name"_s).setAsString(clash);
        cursor.FieldByName(u"id"_s).setAsString(u"777"_s);
        EXPECT_TRUE(errorOf([&] { cursor.Post(); }).contains(u"Key violation"_s)) << clash.toStdString();
        EXPECT_EQ(cursor.State(), dsInsert);
        EXPECT_EQ(cursor.FieldByName(u"id"_s).AsString(), u"777"_s);
        cursor.Cancel();
    }
    cursor.Insert();
    cursor.FieldByName(u"name"_s).setAsString(u"Bob Smith"_s);
    EXPECT_THROW(cursor.Post(), Error);
    cursor.FieldByName(u"name"_s).setAsString(u"Bob Smyth"_s);
    cursor.Post();
    EXPECT_EQ(cursor.State(), dsBrowse);
    EXPECT_EQ(cursor.RecordCount(), 2);
}

// A name is one name whatever the case of its letters, in every alphabet, not only A to Z: the
// second spelling is refused, found by a search in any case, and a contact may change the case of
// its own name.
TEST_F(ContactsCursorTest, NamesDifferingOnlyInCaseAreOneNameInEveryAlphabet) {
    struct Spellings {
        QString stored;
        QString other;
    };
    const Spellings cases[] = {
        {u"Zo\u00eb \u00d8rsted"_s, u"ZO\u00cb \u00d8RSTED"_s},                     // Latin
        {u"\u00c9mile"_s, u"\u00e9MILE"_s},                                         // Latin, the capital first
        {u"\u03a3\u03bf\u03c6\u03af\u03b1"_s, u"\u03a3\u039f\u03a6\u038a\u0391"_s}, // Greek
        {u"\u0416\u0435\u043d\u044f"_s, u"\u0436\u0415\u041d\u042f"_s},             // Cyrillic
    };
    contactsCursor cursor(dataModule);
    cursor.Open();
    int id = 0;
    for (const Spellings& c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        addContact(cursor, c.stored, QString::number(++id));
        cursor.Insert();
        cursor.FieldByName(u"name"_s).setAsString(c.other);
        cursor.FieldByName(u"id"_s).setAsString(u"777"_s);
        EXPECT_TRUE(errorOf([&] { cursor.Post(); }).contains(u"Key violation"_s));
        cursor.Cancel();
        ASSERT_TRUE(cursor.findName(c.other));
        EXPECT_EQ(cursor.FieldByName(u"name"_s).AsString(), c.stored);
        cursor.Edit();
        cursor.FieldByName(u"name"_s).setAsString(c.other);
        cursor.Post();
        EXPECT_EQ(cursor.FieldByName(u"name"_s).AsString(), c.other) << "its own name in another case";
    }
    EXPECT_EQ(cursor.RecordCount(), 4);
    // A second connection: what another desk stores is seen by the next check here.
    test::OtherProgram other(dir.filePath(u"contacts.nx1"_s));
    ASSERT_EQ(other.run("INSERT INTO contacts (name, id, serviceNumber) VALUES ('\xc3\x85sa', '9', 1)"), 0);
    cursor.Insert();
    cursor.FieldByName(u"name"_s).setAsString(u"\u00e5SA"_s);
    cursor.FieldByName(u"id"_s).setAsString(u"8"_s);
    EXPECT_TRUE(errorOf([&] { cursor.Post(); }).contains(u"Key violation"_s));
    cursor.Cancel();
}

TEST_F(ContactsCursorTest, NaturalOrderIsInsertionOrderAndTheNameIndexSortsWithoutCase) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    for (const QString& name : {u"Zed"_s, u"amy"_s, u"Mike"_s, u"Bea"_s}) {
        addContact(cursor, name, u"1"_s);
    }
    EXPECT_EQ(namesInView(cursor), (QStringList{u"Zed"_s, u"amy"_s, u"Mike"_s, u"Bea"_s}));
    cursor.setIndexName(u"nameIndex"_s);
    EXPECT_EQ(cursor.IndexName(), u"nameindex"_s);
    EXPECT_EQ(namesInView(cursor), (QStringList{u"amy"_s, u"Bea"_s, u"Mike"_s, u"Zed"_s}));
    EXPECT_TRUE(cursor.Eof());
    EXPECT_EQ(cursor.FieldByName(u"name"_s).AsString(), u"Zed"_s) << "Next past the last stays on the last";
    EXPECT_THROW(cursor.setIndexName(u"byId"_s), Error);
}

// The whole view read at once gives what stepping through it gives: the same contacts, in the same
// order (name order without case, or the natural order), with or without a group filter, IDs of
// any stored kind included.
TEST_F(ContactsCursorTest, ReadingTheViewAtOnceMatchesSteppingThroughIt) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    const QString names[] = {u"Zed"_s,     u"amy"_s,    u"Mike"_s,     u"bea"_s,   u"\u00c5sa"_s, u"_under"_s,
                             u"Ann Lee"_s, u"ann-li"_s, u"B\u00e9a"_s, u"Zoe 2"_s, u"zoe 10"_s,   u""_s};
    int n = 0;
    for (const QString& name : names) {
        addContact(cursor, name, QString::number(500 + n), 1,
                   n % 2 == 0 ? std::initializer_list<int>{3} : std::initializer_list<int>{});
        ++n;
    }
    test::OtherProgram other(dir.filePath(u"contacts.nx1"_s));
    ASSERT_EQ(
        other.run("UPDATE contacts SET id = 777 WHERE name = 'Mike'; UPDATE contacts SET id = NULL WHERE name = 'bea'"),
        0);
    for (const bool nameOrder : {false, true}) {
        for (const bool filtered : {false, true}) {
            SCOPED_TRACE(std::string(nameOrder ? "name order" : "natural order") + (filtered ? ", group 3" : ""));
            cursor.setIndexName(nameOrder ? u"nameindex"_s : QString());
            cursor.setFilter(u"memberGr3=true"_s);
            cursor.setFiltered(filtered);
            QStringList steppedNames;
            QStringList steppedIds;
            for (cursor.First(); !cursor.Eof(); cursor.Next()) {
                steppedNames.append(cursor.FieldByName(u"name"_s).AsString());
                steppedIds.append(cursor.FieldByName(u"id"_s).AsString());
            }
            QStringList readNames;
            QStringList readIds;
            cursor.readView(readNames, readIds);
            EXPECT_EQ(readNames, steppedNames);
            EXPECT_EQ(readIds, steppedIds);
            cursor.setIndexName(u"nameindex"_s);
            QStringList inNameOrder;
            for (cursor.First(); !cursor.Eof(); cursor.Next()) {
                inNameOrder.append(cursor.FieldByName(u"name"_s).AsString());
            }
            EXPECT_EQ(cursor.viewNames(), inNameOrder) << "the names alone come in name order";
        }
    }
}

TEST_F(ContactsCursorTest, MovingCompletesAPendingEdit) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    addContact(cursor, u"Ann"_s, u"1"_s);
    addContact(cursor, u"Bob"_s, u"2"_s);
    cursor.First();
    cursor.Edit();
    cursor.FieldByName(u"id"_s).setAsString(u"100"_s);
    EXPECT_TRUE(cursor.Modified());
    cursor.Next(); // posts the change
    EXPECT_EQ(cursor.State(), dsBrowse);
    EXPECT_EQ(cursor.FieldByName(u"name"_s).AsString(), u"Bob"_s);

    // A change that cannot be saved stops the move where it is.
    cursor.Edit();
    cursor.FieldByName(u"name"_s).setAsString(u"ann"_s);
    EXPECT_TRUE(errorOf([&] { cursor.First(); }).contains(u"Key violation"_s));
    EXPECT_EQ(cursor.State(), dsEdit);
    cursor.Cancel();

    contactsCursor other(dataModule);
    other.Open();
    EXPECT_EQ(other.FieldByName(u"id"_s).AsString(), u"100"_s);
    EXPECT_EQ(namesInView(other), (QStringList{u"Ann"_s, u"Bob"_s}));
}

TEST_F(ContactsCursorTest, DeleteRestsOnTheFollowingThenThePreviousContact) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    EXPECT_EQ(errorOf([&] { cursor.Delete(); }), u"Cannot perform this operation on an empty dataset"_s);
    for (const QString& name : {u"Ann"_s, u"Bob"_s, u"Cy"_s}) {
        addContact(cursor, name, u"1"_s);
    }
    cursor.setIndexName(u"nameindex"_s);
    ASSERT_TRUE(cursor.findName(u"Bob"_s));
    cursor.Delete();
    EXPECT_EQ(cursor.FieldByName(u"name"_s).AsString(), u"Cy"_s);
    cursor.Delete();
    EXPECT_EQ(cursor.FieldByName(u"name"_s).AsString(), u"Ann"_s);
    cursor.Delete();
    EXPECT_TRUE(cursor.Eof());
    EXPECT_EQ(cursor.RecordCount(), 0);
    EXPECT_THROW(cursor.Delete(), Error);
}

TEST_F(ContactsCursorTest, GroupFilterShowsOnlyMembersAndNeverUnsetFlags) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    addContact(cursor, u"Ann"_s, u"1"_s, 1, {3, 10});
    addContact(cursor, u"Bob"_s, u"2"_s, 1, {});
    addContact(cursor, u"Cy"_s, u"3"_s, 1, {3});
    cursor.Insert();
    cursor.FieldByName(u"name"_s).setAsString(u"Dee"_s);
    cursor.FieldByName(u"memberGr3"_s).setAsBoolean(false);
    cursor.Post();

    cursor.setIndexName(u"nameindex"_s);
    cursor.setFilter(u"memberGr3=true"_s);
    cursor.setFiltered(true);
    EXPECT_EQ(cursor.FieldByName(u"name"_s).AsString(), u"Ann"_s) << "moves to the first of the new view";
    EXPECT_EQ(namesInView(cursor), (QStringList{u"Ann"_s, u"Cy"_s}));
    EXPECT_EQ(cursor.RecordCount(), 2);
    cursor.setFilter(u"memberGr10=true"_s);
    EXPECT_EQ(namesInView(cursor), QStringList{u"Ann"_s});
    cursor.setFilter(u"memberGr1=true"_s);
    EXPECT_TRUE(namesInView(cursor).isEmpty());
    EXPECT_TRUE(cursor.Eof());
    EXPECT_THROW(cursor.setFilter(u"name='Ann'"_s), Error);
    EXPECT_EQ(cursor.Filter(), u"memberGr1=true"_s);
    cursor.setFiltered(false);
    EXPECT_EQ(cursor.RecordCount(), 4);
}

TEST_F(ContactsCursorTest, BeforePostRefusalWritesNothingAndKeepsTheState) {
    contactsCursor cursor(dataModule);
    cursor.BeforePost = [](contactsCursor& c) {
        if (c.FieldByName(u"name"_s).AsString().isEmpty()) {
            throw AbortError();
        }
    };
    cursor.Open();
    cursor.Insert();
    cursor.FieldByName(u"id"_s).setAsString(u"5"_s);
    EXPECT_EQ(errorOf([&] { cursor.Post(); }), u"Operation aborted"_s);
    EXPECT_EQ(cursor.State(), dsInsert);
    EXPECT_EQ(cursor.RecordCount(), 0);
    cursor.FieldByName(u"name"_s).setAsString(u"Ann"_s);
    cursor.Post();
    EXPECT_EQ(cursor.RecordCount(), 1);
}

TEST_F(ContactsCursorTest, CursorsShareSavedChangesAtTheirNextFirstOrSearch) {
    contactsCursor reader(dataModule);
    contactsCursor editor(dataModule);
    reader.Open();
    editor.Open();
    addContact(editor, u"Ann"_s, u"1"_s);
    EXPECT_TRUE(reader.Eof()) << "the reader has not looked again yet";
    reader.setIndexName(u"nameindex"_s);
    EXPECT_TRUE(reader.findName(u"Ann"_s));
    editor.Edit();
    editor.FieldByName(u"id"_s).setAsString(u"2"_s);
    editor.Post();
    reader.First();
    EXPECT_EQ(reader.FieldByName(u"id"_s).AsString(), u"2"_s);
}

TEST_F(ContactsCursorTest, ValuesAreStoredAsTypedWithoutSqlMeaning) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    const QString tricky = u"O'Brien\"; DROP TABLE contacts; --"_s;
    addContact(cursor, tricky, u"1"_s);
    cursor.setIndexName(u"nameindex"_s);
    EXPECT_TRUE(cursor.findName(tricky));
    EXPECT_EQ(cursor.FieldByName(u"name"_s).AsString(), tricky);
    EXPECT_EQ(cursor.RecordCount(), 1);
}

using test::OtherProgram;

TEST(ContactsTable, OpenRefusesATableWithoutEveryColumnOrItsUniqueNameIndex) {
    const QString allColumns = u"name TEXT NOT NULL COLLATE NOCASE, id TEXT, serviceNumber INTEGER, password TEXT, "
                               u"memberGr1, memberGr2, memberGr3, memberGr4, memberGr5, memberGr6, memberGr7, "
                               u"memberGr8, memberGr9, memberGr10"_s;
    struct Case {
        const char* what;
        QString sql;
        QString error; // empty: opens
    };
    const Case cases[] = {
        {"made by the program", QString(), QString()},
        {"a group column missing",
         QString(allColumns).remove(u", memberGr2"_s).prepend(u"CREATE TABLE contacts ("_s) +
             u"); CREATE UNIQUE INDEX n ON contacts(name);"_s,
         u"the contacts table has no column memberGr2"_s},
        {"no index on name", u"CREATE TABLE contacts ("_s + allColumns + u");"_s,
         u"the contacts table has no unique index on name without regard to case (one that covers every row)"_s},
        {"an index that is not unique",
         u"CREATE TABLE contacts ("_s + allColumns + u"); CREATE INDEX n ON contacts(name);"_s,
         u"the contacts table has no unique index on name without regard to case (one that covers every row)"_s},
        {"a unique index that tells case apart",
         u"CREATE TABLE contacts ("_s + allColumns + u"); CREATE UNIQUE INDEX n ON contacts(name COLLATE BINARY);"_s,
         u"the contacts table has no unique index on name without regard to case (one that covers every row)"_s},
        {"a unique index of its own name",
         u"CREATE TABLE contacts ("_s + allColumns + u"); CREATE UNIQUE INDEX byname ON contacts(name);"_s, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempWorkingDir dir;
        const QString file = dir.filePath(u"contacts.nx1"_s);
        if (c.sql.isNull()) {
            createEmptyContactsTable(file);
        } else {
            sqlite3* db = nullptr;
            sqlite3_open(file.toUtf8().constData(), &db);
            ASSERT_EQ(sqlite3_exec(db, c.sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        }
        const QByteArray before = dir.read(u"contacts.nx1"_s);
        TDataModule2 dataModule(dir.path());
        contactsCursor cursor(dataModule);
        const QString error = errorOf([&] { cursor.Open(); });
        if (c.error.isEmpty()) {
            EXPECT_EQ(error, u"(no error)"_s);
        } else {
            EXPECT_EQ(error, u"Cannot open contacts table "_s + file + u": "_s + c.error);
        }
        EXPECT_EQ(dir.read(u"contacts.nx1"_s), before) << "the table is never changed";
    }
}

// Reading leaves nothing locked: between two calls another program may write the file.
TEST_F(ContactsCursorTest, NoLockIsHeldBetweenCalls) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    for (const QString& name : {u"Ann"_s, u"Bob"_s, u"Cy"_s}) {
        addContact(cursor, name, u"1"_s, 1, {2});
    }
    OtherProgram other(dir.filePath(u"contacts.nx1"_s));
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"First", [&] { cursor.First(); }},
        {"Next", [&] { cursor.Next(); }},
        {"findName", [&] { cursor.findName(u"Bob"_s); }},
        {"name order and Next",
         [&] {
             cursor.setIndexName(u"nameindex"_s);
             cursor.First();
             cursor.Next();
         }},
        {"group filter",
         [&] {
             cursor.setFilter(u"memberGr2=true"_s);
             cursor.setFiltered(true);
             cursor.Next();
         }},
        {"RecordCount", [&] { cursor.RecordCount(); }},
        {"a saved change",
         [&] {
             cursor.Edit();
             cursor.FieldByName(u"id"_s).setAsString(u"9"_s);
             cursor.Post();
         }},
    };
    int n = 0;
    for (const auto& [what, step] : steps) {
        step();
        const QByteArray sql = "INSERT INTO contacts (name) VALUES ('Other " + QByteArray::number(++n) + "')";
        EXPECT_EQ(other.run(sql.constData()), SQLITE_OK) << "after " << what;
    }
}

TEST_F(ContactsCursorTest, WriteMeetingAnotherProgramsWriteFailsClearlyAndKeepsTheWorkingCopy) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    addContact(cursor, u"Ann"_s, u"1"_s);
    OtherProgram other(dir.filePath(u"contacts.nx1"_s));
    ASSERT_EQ(other.run("BEGIN IMMEDIATE; INSERT INTO contacts (name) VALUES ('Other');"), SQLITE_OK);
    cursor.Edit();
    cursor.FieldByName(u"id"_s).setAsString(u"42"_s);
    EXPECT_TRUE(errorOf([&] {
                    cursor.Post();
                }).startsWith(u"The contacts table is in use by another program and could not be changed"_s));
    EXPECT_EQ(cursor.State(), dsEdit);
    EXPECT_EQ(cursor.FieldByName(u"id"_s).AsString(), u"42"_s);
    ASSERT_EQ(other.run("COMMIT;"), SQLITE_OK);
    cursor.Post();
    cursor.First();
    EXPECT_EQ(cursor.FieldByName(u"id"_s).AsString(), u"42"_s);
}

// What a group send counts as a member is what the group filter shows, for every way a flag may be
// stored; a value that is no flag at all is an error, never a guess.
TEST_F(ContactsCursorTest, StoredValuesAreReadOneWayAndNeverWrongly) {
    contactsCursor cursor(dataModule);
    cursor.Open();
    struct Case {
        const char* stored; // SQL literal for memberGr4
        bool member;
        bool unreadable;
    };
    const Case cases[] = {
        {"1", true, false},     {"2", true, false},      {"-1", true, false},     {"0", false, false},
        {"NULL", false, false}, {"'true'", true, false}, {"'TRUE'", true, false}, {"'False'", false, false},
        {"'1.5'", false, true}, {"'yes'", false, true},
    };
    OtherProgram other(dir.filePath(u"contacts.nx1"_s));
    int n = 0;
    for (const auto& c : cases) {
        const QByteArray sql = "INSERT INTO contacts (name, memberGr4) VALUES ('c" + QByteArray::number(++n) + "', " +
                               QByteArray(c.stored) + ")";
        ASSERT_EQ(other.run(sql.constData()), SQLITE_OK);
    }
    cursor.setFilter(u"memberGr4=true"_s);
    cursor.setFiltered(true);
    const QStringList shown = namesInView(cursor);
    cursor.setFiltered(false);
    n = 0;
    for (const auto& c : cases) {
        const QString name = u"c"_s + QString::number(++n);
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(cursor.findName(name));
        if (c.unreadable) {
            EXPECT_THROW(cursor.currentRecord(), Error);
        } else {
            EXPECT_EQ(cursor.currentRecord().isMemberOf(4), c.member);
        }
        EXPECT_EQ(shown.contains(name), c.member);
    }

    ASSERT_EQ(other.run("UPDATE contacts SET serviceNumber = 4294967297 WHERE name = 'c1'"), SQLITE_OK);
    ASSERT_TRUE(cursor.findName(u"c1"_s));
    EXPECT_EQ(cursor.FieldByName(u"serviceNumber"_s).AsInteger(), std::numeric_limits<int>::max())
        << "beyond 32 bits it names no service, and never service 1";
    EXPECT_EQ(cursor.FieldByName(u"serviceNumber"_s).AsString(), u"4294967297"_s);
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// A table made by another tool, with the SQL it was made with.
struct OtherToolsTable {
    const char* what;
    const char* id;        // the id column's declaration
    const char* nameIndex; // the name index's definition
    QString error;         // empty: opens, and reads 0055501 back exactly
};

void PrintTo(const OtherToolsTable& c, std::ostream* os) {
    *os << c.what;
}

class TableOfAnotherTool : public ::testing::TestWithParam<OtherToolsTable> {};

// The check at open reads the columns' types and the name index: a table that would turn a pager ID
// into a number, or keep only some names unique, is refused with what is wrong; one that keeps
// text as text is used whatever it calls its types.
TEST_P(TableOfAnotherTool, IsRefusedWhenItWouldChangeWhatItStores) {
    const OtherToolsTable& c = GetParam();
    test::TempWorkingDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(u"contacts.nx1"_s));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.constData(), &db), SQLITE_OK);
    QByteArray sql = "CREATE TABLE contacts (name TEXT NOT NULL COLLATE NOCASE, id " + QByteArray(c.id) +
                     ", serviceNumber INTEGER, password TEXT";
    for (int g = 1; g <= 10; ++g) {
        sql += ", memberGr" + QByteArray::number(g) + " INTEGER";
    }
    sql += ");\n" + QByteArray(c.nameIndex) +
           ";\nINSERT INTO contacts (name, id, serviceNumber) VALUES ('Ann', '0055501', 1), "
           "('Bob', '12345678901234567890', 1);";
    ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);

    TDataModule2 dataModule(dir.path());
    contactsCursor cursor(dataModule);
    const QString error = errorOf([&] { cursor.Open(); });
    if (!c.error.isEmpty()) {
        EXPECT_EQ(error, u"Cannot open contacts table "_s + dir.filePath(u"contacts.nx1"_s) + u": "_s + c.error);
        return;
    }
    ASSERT_EQ(error, u"(no error)"_s);
    ASSERT_TRUE(cursor.findName(u"Ann"_s));
    EXPECT_EQ(cursor.FieldByName(u"id"_s).AsString(), u"0055501"_s);
    ASSERT_TRUE(cursor.findName(u"bob"_s));
    EXPECT_EQ(cursor.FieldByName(u"id"_s).AsString(), u"12345678901234567890"_s);
}

const char* const nameIndex = "CREATE UNIQUE INDEX nameindex ON contacts (name COLLATE NOCASE)";

INSTANTIATE_TEST_SUITE_P(
    Tables, TableOfAnotherTool,
    ::testing::Values(
        OtherToolsTable{"id VARCHAR(20)", "VARCHAR(20)", nameIndex, QString()},
        OtherToolsTable{"id INTEGER", "INTEGER", nameIndex,
                        u"the column id is declared INTEGER; it must hold text (declare it TEXT), or values such as "
                        u"the pager ID 0055501 are stored as numbers"_s},
        OtherToolsTable{"id NUMERIC", "NUMERIC", nameIndex,
                        u"the column id is declared NUMERIC; it must hold text (declare it TEXT), or values such as "
                        u"the pager ID 0055501 are stored as numbers"_s},
        OtherToolsTable{"id without a type", "", nameIndex,
                        u"the column id is declared without a type; it must hold text (declare it TEXT), or values "
                        u"such as the pager ID 0055501 are stored as numbers"_s},
        OtherToolsTable{
            "a partial name index", "TEXT",
            "CREATE UNIQUE INDEX nameindex ON contacts (name COLLATE NOCASE) WHERE serviceNumber = 1",
            u"the contacts table has no unique index on name without regard to case (one that covers every row)"_s},
        OtherToolsTable{
            "a name index that is not unique", "TEXT", "CREATE INDEX nameindex ON contacts (name COLLATE NOCASE)",
            u"the contacts table has no unique index on name without regard to case (one that covers every row)"_s}),
    test::NamedByWhat());

} // namespace
} // namespace corvane
