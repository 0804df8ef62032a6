// The command-line programs' shared layer, in process.
#include "app/cli/exitStatus.h"
#include "app/cli/outputFile.h"
#include "app/cli/terminal.h"
#include "namedRows.h"
#include "printers.h"
#include "tempWorkingDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

struct PrintableCase {
    const char* what;
    QString text;
    QString shown;
};

class Printable : public ::testing::TestWithParam<PrintableCase> {};

// What a server or a stored value holds reaches a terminal as text, never as a control sequence.
TEST_P(Printable, ShowsControlCharactersAsEscapes) {
    EXPECT_EQ(cli::printable(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Printable,
    ::testing::Values(PrintableCase{"plain text and other letters", u"Zoë Ørsted, Женя"_s, u"Zoë Ørsted, Женя"_s},
                      PrintableCase{"a tab and line ends inside", u"a\tb\rc\nd"_s, u"a\\tb\\rc\\nd"_s},
                      PrintableCase{"an escape sequence", u"\x1b[2Jred"_s, u"\\x1b[2Jred"_s},
                      PrintableCase{"DEL and a C1 control", u"a\x7f\u009b"_s, u"a\\x7f\\x9b"_s},
                      PrintableCase{"one trailing line end is the line's own", u"250 OK\r\n"_s, u"250 OK"_s},
                      PrintableCase{"a NUL", QString(QChar(0)) + u"x"_s, u"\\x00x"_s}),
    test::NamedByWhat());

TEST(ExitStatus, IsTheSameNumberInEveryProgram) {
    EXPECT_EQ(cli::code(cli::ExitStatus::Done), 0);
    EXPECT_EQ(cli::code(cli::ExitStatus::NotEveryone), 1);
    EXPECT_EQ(cli::code(cli::ExitStatus::Usage), 2);
}

class OutputFileTest : public ::testing::Test {
protected:
    test::TempWorkingDir dir;
};

// A regular file is replaced whole, with its permissions, and only at commit; withdrawn, the old
// list goes and nothing new is left.
TEST_F(OutputFileTest, ARegularFileIsReplacedWholeOrWithdrawn) {
    dir.write(u"list.txt"_s, "old\n");
    QFile::setPermissions(dir.filePath(u"list.txt"_s), QFile::ReadOwner | QFile::WriteOwner);
    QString error;
    std::optional<cli::OutputFile> file = cli::OutputFile::prepare(u"list.txt"_s, error);
    ASSERT_TRUE(file) << error.toStdString();
    EXPECT_EQ(dir.read(u"list.txt"_s), "old\n") << "untouched until the list is whole";
    ASSERT_TRUE(file->commit("Bob\nCy\n", error)) << error.toStdString();
    EXPECT_EQ(dir.read(u"list.txt"_s), "Bob\nCy\n");
    EXPECT_EQ(QFile::permissions(dir.filePath(u"list.txt"_s)),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"list.txt"_s}) << "no leftovers";

    std::optional<cli::OutputFile> again = cli::OutputFile::prepare(u"list.txt"_s, error);
    ASSERT_TRUE(again);
    again->withdraw();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(OutputFileTest, AFolderOrAPipeNobodyReadsIsRefused) {
    QDir().mkdir(u"folder"_s);
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    QString error;
    EXPECT_FALSE(cli::OutputFile::prepare(u"folder"_s, error));
    EXPECT_EQ(error, u"a folder, not a file"_s);
    EXPECT_FALSE(cli::OutputFile::prepare(u"pipe"_s, error));
    EXPECT_EQ(error, u"a pipe that nobody reads"_s);
}

} // namespace
} // namespace corvane
