// corvane-contacts as scripts run it: the real program beside a real contacts table in a directory
// of its own, the table checked afterwards through a cursor of the test's own.
#include "contactsFixture.h"
#include "hostileFiles.h"
#include "namedRows.h"
#include "otherProgram.h"
#include "printers.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

struct Result {
    int exitCode = -1;
    QStringList out;
    QStringList err;
};

class CorvaneContacts : public test::ContactsFixture {
protected:
    CorvaneContacts() { QFile::copy(QString::fromUtf8(CORVANE_CONTACTS_PROGRAM), dir.filePath(u"corvane-contacts"_s)); }

    Result run(const QStringList& args) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(dir.filePath(u"corvane-contacts"_s), args);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000));
        Result r;
        r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        r.err = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        return r;
    }
    // The table as the program's own cursor reads it: name, ID, service and group flags.
    QStringList stored() {
        contactsCursor cursor(dataModule);
        cursor.setIndexName(u"nameindex"_s);
        cursor.Open();
        QStringList rows;
        for (cursor.First(); !cursor.Eof(); cursor.Next()) {
            const contactRecordType c = cursor.currentRecord();
            QString groups;
            for (int g = 1; g <= groupCount; ++g) {
                groups += c.isMemberOf(g) ? u'1' : u'0';
            }
            rows.append(c.name + u'|' + c.id + u'|' + QString::number(c.serviceNumber) + u'|' + groups);
        }
        cursor.Close();
        return rows;
    }
};

TEST_F(CorvaneContacts, AddListAndRemoveWorkOnTheTable) {
    EXPECT_EQ(run({u"add"_s, u"Cy Young"_s, u"5553"_s, u"--service"_s, u"2"_s}).exitCode, 0);
    EXPECT_EQ(run({u"add"_s, u"Ann Lee"_s, u"5551"_s, u"--group"_s, u"3"_s, u"--group"_s, u"10"_s}).exitCode, 0);
    EXPECT_EQ(run({u"add"_s, u"bob"_s, u"5552"_s, u"--group"_s, u"3"_s}).exitCode, 0);
    EXPECT_EQ(stored(), (QStringList{u"Ann Lee|5551|1|0010000001"_s, u"bob|5552|1|0010000000"_s,
                                     u"Cy Young|5553|2|0000000000"_s}));
    const Result all = run({u"list"_s});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.out, (QStringList{u"Ann Lee\t5551\t1\t3,10"_s, u"bob\t5552\t1\t3"_s, u"Cy Young\t5553\t2\t"_s}));
    EXPECT_EQ(run({u"list"_s, u"--group"_s, u"3"_s}).out,
              (QStringList{u"Ann Lee\t5551\t1\t3,10"_s, u"bob\t5552\t1\t3"_s}));
    EXPECT_EQ(run({u"remove"_s, u"ANN LEE"_s}).exitCode, 0) << "names are found without regard to case";
    EXPECT_EQ(stored(), (QStringList{u"bob|5552|1|0010000000"_s, u"Cy Young|5553|2|0000000000"_s}));
    const Result missing = run({u"remove"_s, u"Ann Lee"_s});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, QStringList{u"corvane-contacts: no contact is named 'Ann Lee'"_s});
}

struct RefusedAdd {
    const char* what;
    QStringList args;
    int exitCode;
    QString message;
};

class RefusedAdds : public CorvaneContacts, public ::testing::WithParamInterface<RefusedAdd> {};

// Refused as the contacts window refuses them, with its messages, and nothing is stored.
TEST_P(RefusedAdds, ChangeNothing) {
    const RefusedAdd& c = GetParam();
    ASSERT_EQ(run({u"add"_s, u"Ann Lee"_s, u"5551"_s}).exitCode, 0);
    const Result r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err.value(0), u"corvane-contacts: "_s + c.message);
    EXPECT_EQ(stored(), QStringList{u"Ann Lee|5551|1|0000000000"_s});
}

INSTANTIATE_TEST_SUITE_P(
    Adds, RefusedAdds,
    ::testing::Values(
        RefusedAdd{"a name taken in another case", {u"add"_s, u"ANN LEE"_s, u"5552"_s}, 1, u"Error: Duplicate Name"_s},
        RefusedAdd{"a pager ID with a blank",
                   {u"add"_s, u"Bob"_s, u"555 0100"_s},
                   1,
                   u"The ID is a pager ID: one word, without blanks or control characters"_s},
        RefusedAdd{"an empty pager ID", {u"add"_s, u"Bob"_s, u""_s}, 1, u"Name and ID must have values"_s},
        RefusedAdd{"a service that is no number",
                   {u"add"_s, u"Bob"_s, u"5552"_s, u"--service"_s, u"x"_s},
                   1,
                   u"'x' is not a valid integer value for field 'serviceNumber'"_s},
        RefusedAdd{"group 11",
                   {u"add"_s, u"Bob"_s, u"5552"_s, u"--group"_s, u"11"_s},
                   2,
                   u"--group takes a group number from 1 to 10, not '11'"_s},
        RefusedAdd{"no such command",
                   {u"rename"_s, u"Bob"_s},
                   2,
                   u"'rename' is not a command; the commands are list, add, remove, import and export"_s}),
    test::NamedByWhat());

struct LockCase {
    const char* what;
    const char* otherProgram;
    QStringList args;
    QString message;
};

class LockedTable : public CorvaneContacts, public ::testing::WithParamInterface<LockCase> {};

// Another program holds the table: the command waits its time, then says so as the window does,
// and nothing changes.
TEST_P(LockedTable, IsReportedAndNothingChanges) {
    const LockCase& c = GetParam();
    test::OtherProgram other(dir.filePath(u"contacts.nx1"_s));
    ASSERT_EQ(other.run(c.otherProgram), SQLITE_OK);
    const Result r = run(c.args);
    other.run("ROLLBACK");
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_EQ(r.err.size(), 1);
    EXPECT_TRUE(r.err[0].startsWith(u"corvane-contacts: "_s)) << r.err[0].toStdString();
    EXPECT_TRUE(r.err[0].endsWith(c.message)) << r.err[0].toStdString();
    EXPECT_TRUE(stored().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Locks, LockedTable,
    ::testing::Values(LockCase{"another program writing",
                               "BEGIN IMMEDIATE",
                               {u"add"_s, u"Ann Lee"_s, u"5551"_s},
                               u"The contacts table is in use by another program and could not be changed; try again "
                               u"(database is locked)"_s},
                      LockCase{"another program holding the whole file",
                               "BEGIN EXCLUSIVE",
                               {u"list"_s},
                               u"The contacts table is in use by another program and could not be read; try again "
                               u"(database is locked)"_s}),
    test::NamedByWhat());

// A names.txt in UTF-8: names arrive as written; each skipped line is told on standard error, and
// an export read back with --tsv into an empty table gives the same contacts.
TEST_F(CorvaneContacts, ImportAUtf8NamesFileThenExportAndImportItBack) {
    ASSERT_EQ(run({u"add"_s, u"Zoe\\Back"_s, u"5550"_s, u"--group"_s, u"2"_s}).exitCode, 0);
    dir.write(u"names.txt"_s, "Jos\xC3\xA9 N\xC3\xBA\xC3\xB1"
                              "ez,5559\nshort\nzoe\\back,55512345\n");
    const Result imported = run({u"import"_s, u"names.txt"_s});
    EXPECT_EQ(imported.exitCode, 1) << "a line was skipped";
    EXPECT_EQ(imported.out, QStringList{u"1 contacts imported from names.txt"_s});
    EXPECT_EQ(imported.err,
              (QStringList{u"corvane-contacts: names.txt, line 2 \"short\": shorter than 10 characters "
                           u"(not imported)"_s,
                           u"corvane-contacts: names.txt, line 3 \"zoe\\\\back,55512345\": a contact of that "
                           u"name is already in the table (not imported)"_s}));
    const QStringList before = stored();
    EXPECT_EQ(before,
              (QStringList{u"Jos\u00e9 N\u00fa\u00f1ez|5559|1|0000000000"_s, u"Zoe\\Back|5550|1|0100000000"_s}));

    const Result exported = run({u"export"_s});
    ASSERT_EQ(exported.exitCode, 0);
    EXPECT_EQ(exported.out, (QStringList{u"Jos\u00e9 N\u00fa\u00f1ez\t5559\t1\t"_s, u"Zoe\\\\Back\t5550\t1\t2"_s}));
    dir.write(u"export.tsv"_s, (exported.out.join(u'\n') + u'\n').toUtf8());
    QFile::remove(dir.filePath(u"contacts.nx1"_s));
    createEmptyContactsTable(dir.filePath(u"contacts.nx1"_s));
    const Result back = run({u"import"_s, u"--tsv"_s, u"export.tsv"_s});
    EXPECT_EQ(back.exitCode, 0) << back.err.join(u'\n').toStdString();
    EXPECT_EQ(stored(), before);
}

// A name is one line without control characters, however it arrives: a line end would make it two
// names in a list of names, an escape sequence would repaint the terminal that lists it.
TEST_F(CorvaneContacts, ANameWithAControlCharacterIsRefusedEverywhere) {
    const QString rule = u"A name is one line, without tabs or other control characters"_s;
    for (const QString& name : {u"Night\nDesk"_s, u"Zoe\tTab"_s, u"\x1b[31mRed"_s, u"Line\u2028Two"_s}) {
        const Result added = run({u"add"_s, name, u"5550"_s});
        EXPECT_EQ(added.exitCode, 1) << name.toStdString();
        EXPECT_EQ(added.err, QStringList{u"corvane-contacts: "_s + rule});
    }
    dir.write(u"names.txt"_s, "Night\x1b[2JDesk,5551234\nAnn Ash,5550001\n");
    const Result imported = run({u"import"_s, u"names.txt"_s});
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_EQ(imported.err, QStringList{u"corvane-contacts: names.txt, line 1 \"Night\\x1b[2JDesk,5551234\": "_s +
                                        rule + u" (not imported)"_s});
    dir.write(u"list.tsv"_s, "Night\\nDesk\t5551234\nBob Bay\t5550002\n");
    const Result tsv = run({u"import"_s, u"--tsv"_s, u"list.tsv"_s});
    EXPECT_EQ(tsv.exitCode, 1);
    EXPECT_EQ(tsv.err, QStringList{u"corvane-contacts: list.tsv, line 1 \"Night\\\\nDesk\\t5551234\": "_s + rule +
                                   u" (not imported)"_s});
    EXPECT_EQ(stored(), (QStringList{u"Ann Ash|5550001|1|0000000000"_s, u"Bob Bay|5550002|1|0000000000"_s}));
}

// A value another tool stored that no contact can hold stops the listing with the contact and the
// field named, as corvane-page names them; what was listed before it stays on standard output.
TEST_F(CorvaneContacts, AnUnreadableStoredValueIsNamedByContactAndField) {
    ASSERT_EQ(run({u"add"_s, u"Ann Lee"_s, u"5551"_s}).exitCode, 0);
    ASSERT_EQ(run({u"add"_s, u"Bob"_s, u"5552"_s}).exitCode, 0);
    test::OtherProgram other(dir.filePath(u"contacts.nx1"_s));
    ASSERT_EQ(other.run("UPDATE contacts SET memberGr2 = '1.5' WHERE name = 'Bob'"), SQLITE_OK);
    const Result r = run({u"list"_s});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QStringList{u"Ann Lee\t5551\t1\t"_s});
    EXPECT_EQ(r.err, QStringList{u"corvane-contacts: Contact 'Bob': '1.5' is not a valid boolean value for field "
                                 u"'memberGr2'"_s});
}

TEST_F(CorvaneContacts, HelpAndVersionAnswerWithoutTheTable) {
    QFile::remove(dir.filePath(u"contacts.nx1"_s));
    const Result help = run({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.join(u'\n').contains(u"import --tsv FILE"_s));
    const Result version = run({u"--version"_s});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringList{u"corvane-contacts "_s + QStringLiteral(CORVANE_VERSION)});
    const Result noTable = run({u"list"_s});
    EXPECT_EQ(noTable.exitCode, 1);
    EXPECT_TRUE(noTable.err.value(0).startsWith(u"corvane-contacts: Contacts table not found: "_s))
        << noTable.err.join(u'\n').toStdString();
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

struct ImportFileCase {
    const char* what;
    test::HostileFile kind;
    bool tabSeparated;
};

void PrintTo(const ImportFileCase& c, std::ostream* os) {
    *os << c.what;
}

class ImportOfAnOddFile : public CorvaneContacts, public ::testing::WithParamInterface<ImportFileCase> {};

// Both imports read the file as every program reads a user's file: the text it holds, or one
// message naming the file and what is wrong, at once and with nothing stored.
TEST_P(ImportOfAnOddFile, IsReadOrRefusedAsEveryReaderDoes) {
    const ImportFileCase& c = GetParam();
    const QByteArray lines = c.tabSeparated ? "Jos\xC3\xA9 Mart\t5551234\nAnn Ash\t5550001\n"
                                            : "Jos\xC3\xA9 Mart,5551234\nAnn Ash,5550001\n";
    const qint64 bound = c.tabSeparated ? (64 << 20) : (16 << 20);
    test::makeHostileFile(dir.filePath(u"list.txt"_s), c.kind, lines, bound);
    const QString error = test::hostileFileError(u"list.txt"_s, c.kind, c.tabSeparated ? u"64 MiB"_s : u"16 MiB"_s);
    const Result r = run(c.tabSeparated ? QStringList{u"import"_s, u"--tsv"_s, u"list.txt"_s}
                                        : QStringList{u"import"_s, u"list.txt"_s});
    if (error.isEmpty()) {
        EXPECT_EQ(r.exitCode, 0) << r.err.join(u'\n').toStdString();
        EXPECT_EQ(stored(), (QStringList{u"Ann Ash|5550001|1|0000000000"_s, u"José Mart|5551234|1|0000000000"_s}));
    } else {
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, QStringList{u"corvane-contacts: "_s + error});
        EXPECT_TRUE(stored().isEmpty());
    }
}

std::vector<ImportFileCase> importFileCases() {
    std::vector<ImportFileCase> cases;
    static std::vector<std::string> names;
    names.reserve(32);
    for (const test::HostileFileCase& kind : test::hostileFileCases) {
        for (bool tsv : {false, true}) {
            names.push_back(std::string(kind.what) + (tsv ? ", import --tsv" : ", import"));
            cases.push_back({names.back().c_str(), kind.kind, tsv});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Files, ImportOfAnOddFile, ::testing::ValuesIn(importFileCases()), test::NamedByWhat());

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// Another program writing the table: the import waits once, says so once and stores nothing,
// rather than waiting out the lock for every line and keeping whatever came after it went away.
TEST_F(CorvaneContacts, AnImportIntoATableAnotherProgramIsWritingEndsAtOnceWithNothingStored) {
    QByteArray lines;
    for (int i = 0; i < 50; ++i) {
        lines += "Person " + QByteArray::number(i) + ",555" + QByteArray::number(1000 + i) + "\n";
    }
    dir.write(u"names.txt"_s, lines);
    test::OtherProgram other(dir.filePath(u"contacts.nx1"_s));
    ASSERT_EQ(other.run("BEGIN IMMEDIATE"), SQLITE_OK);
    const Result r = run({u"import"_s, u"names.txt"_s});
    ASSERT_EQ(other.run("ROLLBACK"), SQLITE_OK);
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_EQ(r.err.size(), 1) << r.err.join(u'\n').toStdString();
    EXPECT_TRUE(r.err.first().startsWith(
        u"corvane-contacts: The contacts table is in use by another program and could not be changed"_s))
        << r.err.first().toStdString();
    EXPECT_TRUE(stored().isEmpty());
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// Names that differ only in case are one name for every letter: a second spelling is refused by
// add and by the import, and remove finds the contact in any case.
TEST_F(CorvaneContacts, NamesInAnotherCaseAreTheSameContact) {
    ASSERT_EQ(run({u"add"_s, u"Zo\u00eb \u00d8rsted"_s, u"5550202"_s}).exitCode, 0);
    const Result again = run({u"add"_s, u"ZO\u00cb \u00d8RSTED"_s, u"5550203"_s});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, QStringList{u"corvane-contacts: Error: Duplicate Name"_s});
    dir.write(u"names.txt"_s, "Jos\xC3\xA9 N\xC3\xBA\xC3\xB1"
                              "ez,5559\nJOS\xC3\x89 N\xC3\x9A\xC3\x91"
                              "EZ,5558\n");
    const Result imported = run({u"import"_s, u"names.txt"_s});
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_EQ(imported.out, QStringList{u"1 contacts imported from names.txt"_s});
    EXPECT_EQ(imported.err.size(), 1);
    EXPECT_EQ(run({u"remove"_s, u"zo\u00cb \u00f8rsted"_s}).exitCode, 0);
    EXPECT_EQ(stored(), QStringList{u"Jos\u00e9 N\u00fa\u00f1ez|5559|1|0000000000"_s});
}

} // namespace
} // namespace corvane
