#include "settings/iniFile.h"

#include "platform/error.h"
#include "printers.h"
#include "tempWorkingDir.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::TempWorkingDir;

const QString iniName = u"./test.ini"_s;

TEST(IniTextToInt, ConvertsLikeThePlatformOrGivesTheDefault) {
    struct Case {
        QString text;
        int value;
    };
    const Case cases[] = {
        {u"30"_s, 30},
        {u"0x1E"_s, 30},
        {u"0X1e"_s, 30},
        {u"$1E"_s, 30},
        {u"  12"_s, 12},
        {u"+7"_s, 7},
        {u"-12"_s, -12},
        {u"-$1E"_s, -30},
        {u"0"_s, 0},
        {u"007"_s, 7},
        {u"2147483647"_s, 2147483647},
        {u"-2147483648"_s, -2147483647 - 1},
        {u"2147483648"_s, 45},
        {u"99999999999"_s, 45},
        {u"$80000000"_s, 45},
        {u"abc"_s, 45},
        {u""_s, 45},
        {u"12abc"_s, 45},
        {u"12 "_s, 45},
        {u"1 2"_s, 45},
        {u"0x"_s, 45},
        {u"$"_s, 45},
        {u"-"_s, 45},
        {u"0x-5"_s, 45},
        {u"1.5"_s, 45},
        {u"--1"_s, 45},
        {u"true"_s, 45},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(iniTextToInt(c.text, 45), c.value) << c.text.toStdString();
    }
}

TEST(TIniFile, ReadsValuesTrimmedUnquotedAndCaseInsensitively) {
    TempWorkingDir dir;
    dir.write(iniName, "\r\n; a remark\r\n[general]\r\n"
                       "  Plain =  spaced value  \r\n"
                       "dq=\"quoted \"\r\n"
                       "sq=' single'\r\n"
                       "mixed=\"not closed'\r\n"
                       "empty=\r\n"
                       "eq=a=b\r\n"
                       "euro=\x80\r\n"
                       "\n"
                       "[Other]\n"
                       "plain=from other\n"
                       "[GENERAL]\r\n"
                       "late=second section of the same name is not read\r\n");
    const TIniFile ini(iniName);
    struct Case {
        QString section, key, expected;
    };
    const Case cases[] = {
        {u"General"_s, u"PLAIN"_s, u"spaced value"_s},
        {u"GENERAL"_s, u"dq"_s, u"quoted "_s},
        {u"general"_s, u"sq"_s, u" single"_s},
        {u"general"_s, u"mixed"_s, u"\"not closed'"_s},
        {u"general"_s, u"empty"_s, u""_s},
        {u"general"_s, u"eq"_s, u"a=b"_s},
        {u"other"_s, u"plain"_s, u"from other"_s},
        {u"general"_s, u"late"_s, u"default"_s},
        {u"general"_s, u"euro"_s, u"\u20ac"_s},
        {u"general"_s, u"absent"_s, u"default"_s},
        {u"absent"_s, u"plain"_s, u"default"_s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.ReadString(c.section, c.key, u"default"_s), c.expected) << c.key.toStdString();
    }
    EXPECT_EQ(TIniFile(u"./missing.ini"_s).ReadString(u"a"_s, u"b"_s, u"default"_s), u"default"_s);
}

TEST(TIniFile, LongValuesAreCutTo2047Characters) {
    TempWorkingDir dir;
    dir.write(iniName, "[a]\r\nlong=" + QByteArray(3000, 'x') + "\r\n");
    EXPECT_EQ(TIniFile(iniName).ReadString(u"a"_s, u"long"_s, QString()), QString(2047, u'x'));
}

TEST(TIniFile, SwitchesReadAnyNonZeroIntegerAsOn) {
    TempWorkingDir dir;
    dir.write(iniName, "[s]\r\ntwo=2\r\nminus=-1\r\nzero=0\r\nhex=0x10\r\nword=true\r\nempty=\r\n");
    const TIniFile ini(iniName);
    struct Case {
        QString key;
        bool ifDefaultOff, ifDefaultOn;
    };
    const Case cases[] = {{u"two"_s, true, true},    {u"minus"_s, true, true}, {u"zero"_s, false, false},
                          {u"hex"_s, true, true},    {u"word"_s, false, true}, {u"empty"_s, false, true},
                          {u"absent"_s, false, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(ini.ReadBool(u"s"_s, c.key, false), c.ifDefaultOff) << c.key.toStdString();
        EXPECT_EQ(ini.ReadBool(u"s"_s, c.key, true), c.ifDefaultOn) << c.key.toStdString();
    }
}

TEST(TIniFile, WritesChangeOnlyTheirOwnLine) {
    struct Case {
        const char* what;
        QByteArray before; // empty: no file
        QString section, key, value;
        QByteArray after;
    };
    const Case cases[] = {
        {"missing file is created", {}, u"General"_s, u"timeout"_s, u"45"_s, "[General]\r\ntimeout=45\r\n"},
        {"replaced in place, spelling of the file kept", "[general]\r\nTIMEOUT=5\r\nx=1\r\n", u"General"_s,
         u"timeout"_s, u"45"_s, "[general]\r\nTIMEOUT=45\r\nx=1\r\n"},
        {"added at the end of its section", "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n", u"a"_s, u"c"_s, u"3"_s,
         "[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\nb=2\r\n"},
        {"added to an empty section", "[A]\r\n[B]\r\n", u"A"_s, u"k"_s, u"v"_s, "[A]\r\nk=v\r\n[B]\r\n"},
        {"missing section at the end, unterminated last line", "[A]\r\na=1", u"B"_s, u"b"_s, u"2"_s,
         "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
        {"empty text keeps the key", "[A]\r\nk=old\r\n", u"A"_s, u"k"_s, u""_s, "[A]\r\nk=\r\n"},
        {"foreign lines and LF endings kept", "; remark\r\njunk\n[A]\na=1\nz=9\n", u"A"_s, u"a"_s, u"2"_s,
         "; remark\r\njunk\n[A]\na=2\nz=9\n"},
        {"line breaks in a value cannot make new entries", "[A]\r\n", u"A"_s, u"k"_s, u"x\r\n[B]\nb=1"_s,
         "[A]\r\nk=x  [B] b=1\r\n"},
        {"code page", "", u"A"_s, u"k"_s, u"\u20ac\u00e9\u4e2d"_s, "[A]\r\nk=\x80\xe9?\r\n"},
    };
    for (const auto& c : cases) {
        TempWorkingDir dir;
        if (!c.before.isNull()) {
            dir.write(iniName, c.before);
        }
        TIniFile ini(iniName);
        ini.WriteString(c.section, c.key, c.value);
        EXPECT_EQ(dir.read(iniName), c.after) << c.what;
    }
}

TEST(TIniFile, IntegersAndSwitchesAreWrittenAsDecimalText) {
    TempWorkingDir dir;
    TIniFile ini(iniName);
    ini.WriteInteger(u"A"_s, u"n"_s, -12);
    ini.WriteBool(u"A"_s, u"on"_s, true);
    ini.WriteBool(u"A"_s, u"off"_s, false);
    EXPECT_EQ(dir.read(iniName), "[A]\r\nn=-12\r\non=1\r\noff=0\r\n");
    EXPECT_EQ(ini.ReadInteger(u"a"_s, u"N"_s, 0), -12);
}

TEST(TIniFile, RefusedWriteRaisesTheMessageAndKeepsWhatWasThere) {
    TempWorkingDir dir;
    // A directory where the file should be: nothing can be read from it or written to it.
    QDir().mkdir(u"blocked.ini"_s);
    TIniFile blocked(u"./blocked.ini"_s);
    try {
        blocked.WriteString(u"A"_s, u"k"_s, u"v"_s);
        ADD_FAILURE() << "write into a directory succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(e.text(), u"Unable to write to ./blocked.ini"_s);
    }

    // A read-only directory with a read-only file: neither a new file nor an in-place write.
    QDir().mkdir(u"ro"_s);
    dir.write(u"ro/x.ini"_s, "[A]\r\nk=old\r\n");
    QFile::setPermissions(dir.filePath(u"ro/x.ini"_s), QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup);
    QFile::setPermissions(dir.filePath(u"ro"_s), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    dir.openToEveryone();
    {
        test::ActAsUnprivileged nobody;
        TIniFile ini(u"./ro/x.ini"_s);
        EXPECT_THROW(ini.WriteString(u"A"_s, u"k"_s, u"new"_s), Error);
        EXPECT_EQ(ini.ReadString(u"A"_s, u"k"_s, QString()), u"old"_s);
    }
    QFile::setPermissions(dir.filePath(u"ro"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(TIniFile, ReadOnlyDirectoryFallsBackToWritingTheFileInPlace) {
    TempWorkingDir dir;
    QDir().mkdir(u"ro"_s);
    dir.write(u"ro/x.ini"_s, "[A]\r\nk=old\r\nother=kept\r\n");
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther |
                          QFile::ReadGroup | QFile::WriteGroup;
    QFile::setPermissions(dir.filePath(u"ro/x.ini"_s), everyone);
    QFile::setPermissions(dir.filePath(u"ro"_s), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    dir.openToEveryone();
    {
        test::ActAsUnprivileged nobody;
        TIniFile ini(u"./ro/x.ini"_s);
        ini.WriteString(u"A"_s, u"k"_s, u"new"_s);
    }
    QFile::setPermissions(dir.filePath(u"ro"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(dir.read(u"ro/x.ini"_s), "[A]\r\nk=new\r\nother=kept\r\n");
}

// Only spaces and tabs are blanks: a form feed, a vertical tab or a no-break space (0xA0) at the
// edge of a value is part of it.
TEST(TIniFile, OnlySpacesAndTabsAreTrimmed) {
    TempWorkingDir dir;
    dir.write(u"x.ini"_s, "[S]\r\n\tplain \t= \t v \t\r\nff=\x0cv\x0c\r\nvt=\x0bv\r\nnbsp=\xa0v\xa0\r\n");
    const TIniFile file(u"./x.ini"_s);
    EXPECT_EQ(file.ReadString(u"S"_s, u"plain"_s, u"-"_s), u"v"_s);
    EXPECT_EQ(file.ReadString(u"S"_s, u"ff"_s, u"-"_s), u"\u000cv\u000c"_s);
    EXPECT_EQ(file.ReadString(u"S"_s, u"vt"_s, u"-"_s), u"\u000bv"_s);
    EXPECT_EQ(file.ReadString(u"S"_s, u"nbsp"_s, u"-"_s), u"\u00a0v\u00a0"_s);
}

// Files that are not settings files at all: each one reads as no file (the defaults) at once,
// without blocking or reading until memory runs out, and Save refuses to replace it, so what is
// there is never lost.
struct HostileFileCase {
    const char* what;
    void (*make)(const TempWorkingDir& dir); // makes ./hostile.ini
};

TEST(TIniFile, AFileThatIsNoSettingsFileReadsAsDefaultsAndIsNeverReplaced) {
    const HostileFileCase cases[] = {
        {"a FIFO (no writer)",
         [](const TempWorkingDir& dir) {
             ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"hostile.ini"_s)).constData(), 0644), 0);
         }},
        {"a link to /dev/zero",
         [](const TempWorkingDir& dir) { QFile::link(u"/dev/zero"_s, dir.filePath(u"hostile.ini"_s)); }},
        {"a regular file of more than 1 MiB",
         [](const TempWorkingDir& dir) {
             QByteArray big = "[A]\r\nk=v\r\n";
             big += QByteArray(1024 * 1024, '\n');
             dir.write(u"hostile.ini"_s, big);
         }},
    };
    for (const HostileFileCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempWorkingDir dir;
        c.make(dir);
        TIniFile ini(u"./hostile.ini"_s);
        EXPECT_EQ(ini.ReadString(u"A"_s, u"k"_s, u"default"_s), u"default"_s);
        EXPECT_THROW(ini.WriteString(u"A"_s, u"k"_s, u"new"_s), Error);
        EXPECT_FALSE(QFileInfo(dir.filePath(u"hostile.ini"_s)).isFile() &&
                     QFileInfo(dir.filePath(u"hostile.ini"_s)).size() < 1024 * 1024)
            << "replaced";
    }
}

// Windows' Notepad starts a file with the UTF-8 byte-order mark: the first section is read, the
// text is UTF-8, and a write keeps the mark and every other byte.
TEST(TIniFile, AByteOrderMarkIsSkippedOnReadingAndKeptOnWriting) {
    TempWorkingDir dir;
    dir.write(u"x.ini"_s, "\xEF\xBB\xBF[LOGGING]\r\nloggingEnabled=1\r\n[MESSAGES]\r\nmessage1=Jos\xC3\xA9\r\n");
    TIniFile ini(u"./x.ini"_s);
    EXPECT_TRUE(ini.ReadBool(u"LOGGING"_s, u"loggingEnabled"_s, false));
    EXPECT_EQ(ini.ReadString(u"MESSAGES"_s, u"message1"_s, QString()), u"Jos\u00e9"_s);
    ini.WriteString(u"MESSAGES"_s, u"message2"_s, u"N\u00fa\u00f1ez"_s);
    EXPECT_EQ(dir.read(u"x.ini"_s),
              "\xEF\xBB\xBF[LOGGING]\r\nloggingEnabled=1\r\n[MESSAGES]\r\nmessage1=Jos\xC3\xA9\r\n"
              "message2=N\xC3\xBA\xC3\xB1"
              "ez\r\n");

    // After the mark, text that is not UTF-8 is the code page's: every byte comes back as it was.
    dir.write(u"y.ini"_s, "\xEF\xBB\xBF[A]\r\nname=Jos\xE9\r\n");
    TIniFile other(u"./y.ini"_s);
    EXPECT_EQ(other.ReadString(u"A"_s, u"name"_s, QString()), u"Jos\u00e9"_s);
    other.WriteString(u"A"_s, u"k"_s, u"v"_s);
    EXPECT_EQ(dir.read(u"y.ini"_s), "\xEF\xBB\xBF[A]\r\nname=Jos\xE9\r\nk=v\r\n");
}

} // namespace
} // namespace corvane
