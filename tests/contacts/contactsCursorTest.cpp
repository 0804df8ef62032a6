#include "contactsFixture.h"
#include "platform/error.h"
#include "printers.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using ContactsCursorTest = test::ContactsFixture;

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.text();
    }
    return u"(no error)"_s;
}

TEST(ContactsTable, OpenFailsClearlyWithoutCreatingAFile) {
    test::TempWorkingDir dir;
    struct Case {
        const char* what;
        QByteArray content; // null: no file at all
        QString errorStart;
    };
    const Case cases[] = {
        {"absent", QByteArray(), u"Contacts table not found: "_s},
        {"not a database", "just some text, not a table", u"Cannot open contacts table "_s},
    };
    for (const auto& c : cases) {
        QFile::remove(dir.filePath(u"contacts.nx1"_s));
        if (!c.content.isNull()) {
            dir.write(u"contacts.nx1"_s, c.content);
        }
        TDataModule2 dataModule(dir.path());
        contactsCursor cursor(dataModule);
        EXPECT_TRUE(errorOf([&] { cursor.Open(); }).startsWith(c.errorStart)) << c.what;
        EXPECT_EQ(cursor.State(), dsInactive) << c.what;
        EXPECT_EQ(QFileInfo::exists(dir.filePath(u"contacts.nx1"_s)), !c.content.isNull()) << c.what;
    }
    EXPECT_THROW(createEmptyContactsTable(dir.filePath(u"contacts.nx1"_s)), Error) << "never overwrites";
}

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
    // Letters outside A to Z are not folded: these are different names.
    addContact(cursor, u"\u00c9mile"_s, u"1"_s);
    addContact(cursor, u"\u00e9mile"_s, u"2"_s);

    cursor.Insert();
    cursor.FieldByName(u"name"_s).setAsString(u"Bob Smith"_s);
    EXPECT_THROW(cursor.Post(), Error);
    cursor.FieldByName(u"name"_s).setAsString(u"Bob Smyth"_s);
    cursor.Post();
    EXPECT_EQ(cursor.State(), dsBrowse);
    EXPECT_EQ(cursor.RecordCount(), 4);
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

} // namespace
} // namespace corvane
