#include "settings/settings.h"

#include "faultyFilesystems.h"
#include "platform/error.h"
#include "printers.h"
#include "recordingDialogs.h"
#include "settings/iniFile.h"
#include "tempWorkingDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::RecordingDialogs;
using test::TempWorkingDir;

const QString ini = u"corvane3.ini"_s;

void expectSameSettings(const Settings& a, const Settings& b) {
    for (int n = 1; n <= quickMessageCount; ++n) {
        EXPECT_EQ(a.quickMessages[n], b.quickMessages[n]) << "message" << n;
    }
    EXPECT_EQ(a.timeout, b.timeout);
    EXPECT_EQ(a.loggingEnabled, b.loggingEnabled);
    EXPECT_EQ(a.loggingDir, b.loggingDir);
    EXPECT_EQ(a.hideCheckAllButton, b.hideCheckAllButton);
    for (int n = 1; n <= groupCount; ++n) {
        EXPECT_EQ(a.groupNames[n], b.groupNames[n]) << "group" << n;
    }
}

TEST(ReadSettings, NoFileGivesTheDefaultsAndCreatesTheLogDirectory) {
    TempWorkingDir dir;
    RecordingDialogs dialogs;
    Settings settings;
    readSettings(settings, dialogs);

    const QStringList messages = {u"Hi"_s,         u"Call home"_s,    u"Call the office"_s, u"Call me"_s,
                                  u"I love you"_s, u"See you soon"_s, u"Break a leg"_s,     u"Don't call"_s};
    for (int n = 1; n <= quickMessageCount; ++n) {
        EXPECT_EQ(settings.quickMessages[n], messages[n - 1]);
    }
    EXPECT_EQ(settings.timeout, 45);
    EXPECT_FALSE(settings.loggingEnabled);
    EXPECT_EQ(settings.loggingDir, u"./logs/"_s);
    EXPECT_FALSE(settings.hideCheckAllButton);
    for (int n = 1; n <= groupCount; ++n) {
        EXPECT_TRUE(settings.groupNames[n].isEmpty());
    }
    EXPECT_TRUE(QFileInfo(dir.filePath(u"logs"_s)).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(ini))) << "start-up alone never creates the settings file";
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(ReadSettings, ReadsTheFileAsWrittenByHand) {
    TempWorkingDir dir;
    dir.write(ini, "[general]\r\nmessage1=\r\nmessage8=  Back at 5 \r\nHIDECHECKALLBUTTON=1\r\ntimeout=0x1E\r\n"
                   "[logging]\r\nloggingEnabled=-1\r\nloggingDir=./mylogs/\r\n"
                   "[Groups]\r\ngroup3Name=" +
                       QByteArray(40, 'g') + "\r\ngroup10Name=Night shift\r\n");
    RecordingDialogs dialogs;
    Settings settings;
    readSettings(settings, dialogs);
    EXPECT_EQ(settings.quickMessages[1], u""_s) << "an empty entry is a value, not the default";
    EXPECT_EQ(settings.quickMessages[2], u"Call home"_s);
    EXPECT_EQ(settings.quickMessages[8], u"Back at 5"_s);
    EXPECT_TRUE(settings.hideCheckAllButton);
    EXPECT_EQ(settings.timeout, 30);
    EXPECT_TRUE(settings.loggingEnabled);
    EXPECT_EQ(settings.loggingDir, u"./mylogs/"_s);
    EXPECT_EQ(settings.groupNames[3], QString(32, u'g'));
    EXPECT_EQ(settings.groupNames[10], u"Night shift"_s);
    EXPECT_TRUE(QFileInfo(dir.filePath(u"mylogs"_s)).isDir());
}

TEST(ReadSettings, UnusableLogDirectoryTurnsLoggingOffForTheRunOnly) {
    struct Case {
        const char* what;
        QByteArray dirEntry;
        QString message;
    };
    const Case cases[] = {
        {"parent missing", "./no/such/", u"Unable to create logging directory:./no/such/"_s},
        {"present but empty", "", u"Unable to create logging directory:"_s},
        {"a file in the way", "./afile", u"Unable to create logging directory:./afile"_s},
    };
    for (const auto& c : cases) {
        TempWorkingDir dir;
        dir.write(u"afile"_s, "x");
        const QByteArray file = "[LOGGING]\r\nloggingEnabled=1\r\nloggingDir=" + c.dirEntry + "\r\n";
        dir.write(ini, file);
        RecordingDialogs dialogs;
        Settings settings;
        readSettings(settings, dialogs);
        EXPECT_EQ(dialogs.messages, QStringList{c.message}) << c.what;
        EXPECT_FALSE(settings.loggingEnabled) << c.what;
        EXPECT_EQ(dir.read(ini), file) << c.what << ": the file keeps its value for the next start";
    }
}

TEST(WriteSettings, AFreshSaveWritesEveryEntryInItsOrder) {
    TempWorkingDir dir;
    RecordingDialogs dialogs;
    Settings settings;
    readSettings(settings, dialogs);
    settings.groupNames[2] = u"Nurses"_s;
    writeSettings(settings);
    const QByteArray expected = "[General]\r\ntimeout=45\r\nmessage1=Hi\r\nmessage2=Call home\r\n"
                                "message3=Call the office\r\nmessage4=Call me\r\nmessage5=I love you\r\n"
                                "message6=See you soon\r\nmessage7=Break a leg\r\nmessage8=Don't call\r\n"
                                "hideCheckAllButton=0\r\n"
                                "[LOGGING]\r\nloggingEnabled=0\r\nloggingDir=./logs/\r\n"
                                "[Groups]\r\ngroup1Name=\r\ngroup2Name=Nurses\r\ngroup3Name=\r\ngroup4Name=\r\n"
                                "group5Name=\r\ngroup6Name=\r\ngroup7Name=\r\ngroup8Name=\r\ngroup9Name=\r\n"
                                "group10Name=\r\n";
    EXPECT_EQ(dir.read(ini), expected);
}

TEST(WriteSettings, EveryValueSurvivesASaveAndARestart) {
    TempWorkingDir dir;
    QDir().mkdir(u"elsewhere"_s);
    Settings saved;
    for (int n = 1; n <= quickMessageCount; ++n) {
        saved.quickMessages[n] = u"Quick \u00e9 "_s + QString::number(n);
    }
    saved.quickMessages[4] = QString();
    saved.timeout = 0;
    saved.loggingEnabled = true;
    saved.loggingDir = u"./elsewhere/"_s;
    saved.hideCheckAllButton = true;
    for (int n = 1; n <= groupCount; ++n) {
        saved.groupNames[n] = n == 5 ? QString() : QString(32, QChar(u'A' + n));
    }
    writeSettings(saved);

    RecordingDialogs dialogs;
    Settings restarted;
    readSettings(restarted, dialogs);
    expectSameSettings(saved, restarted);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // The switch is written as hideCheckAllButton in General and read back as hidecheckAllButton
    // from GENERAL: one and the same entry.
    saved.hideCheckAllButton = false;
    writeSettings(saved);
    readSettings(restarted, dialogs);
    EXPECT_FALSE(restarted.hideCheckAllButton);
    EXPECT_EQ(dir.read(ini).count("ideCheckAllButton"), 1);
}

TEST(WriteSettings, ALongGroupNameComesBackCutTo32) {
    TempWorkingDir dir;
    dir.write(ini, "[Groups]\r\ngroup1Name=" + QByteArray(40, 'x') + "\r\n");
    RecordingDialogs dialogs;
    Settings settings;
    readSettings(settings, dialogs);
    writeSettings(settings);
    EXPECT_EQ(TIniFile(u"./corvane3.ini"_s).ReadString(u"Groups"_s, u"group1Name"_s, QString()), QString(32, u'x'));
}

TEST(WriteSettings, ForeignSectionsAndKeysSurviveUntouched) {
    TempWorkingDir dir;
    dir.write(ini, "; site notes\r\n[Site]\r\nowner=ops\r\n\r\n[General]\r\ncolour=blue\r\ntimeout=10\r\n");
    RecordingDialogs dialogs;
    Settings settings;
    readSettings(settings, dialogs);
    writeSettings(settings);
    const QByteArray after = dir.read(ini);
    EXPECT_TRUE(
        after.startsWith("; site notes\r\n[Site]\r\nowner=ops\r\n\r\n[General]\r\ncolour=blue\r\ntimeout=10\r\n"))
        << after.toStdString();
}

TEST(WriteSettings, RefusedWriteRaisesTheMessageWithThePathAsPassed) {
    TempWorkingDir dir;
    QDir().mkdir(ini);
    try {
        writeSettings(Settings{});
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.text(), u"Unable to write to ./corvane3.ini"_s);
    }
}

// A site's own settings file, large enough that a cut copy would lose its end.
QByteArray siteSettingsFile() {
    QByteArray bytes = "; corvane3.ini of the night desk\r\n[Site]\r\n";
    for (int n = 0; bytes.size() < 3200; ++n) {
        bytes += "note" + QByteArray::number(n) + "=kept by the site, never by the program\r\n";
    }
    return bytes + "[General]\r\ntimeout=30\r\n[Groups]\r\ngroup1Name=Night shift\r\n";
}

// Writes the settings and says how it went: 0 the file was replaced, 1 the right error, 2 no error
// at all, 3 another error.
int saveOutcome() {
    try {
        Settings settings;
        settings.groupNames[2] = u"Day shift"_s;
        writeSettings(settings);
        return 0;
    } catch (const Error& e) {
        return e.text() == u"Unable to write to ./corvane3.ini"_s ? 1 : 3;
    }
}

TEST(WriteSettings, SaveWritesTheSameBytesAsEntryByEntryInOneNewFile) {
    TempWorkingDir dir;
    dir.write(ini, siteSettingsFile());
    Settings settings;
    settings.timeout = 12;
    settings.quickMessages[3] = u"Call the desk"_s;
    settings.groupNames[10] = u"Tenth"_s;
    writeSettings(settings);
    const QByteArray together = dir.read(ini);

    dir.write(ini, siteSettingsFile());
    TIniFile one(u"./corvane3.ini"_s);
    one.WriteInteger(u"General"_s, u"timeout"_s, settings.timeout);
    for (int n = 1; n <= quickMessageCount; ++n) {
        one.WriteString(u"General"_s, u"message"_s + QString::number(n), settings.quickMessages[n]);
    }
    one.WriteBool(u"LOGGING"_s, u"loggingEnabled"_s, settings.loggingEnabled);
    one.WriteString(u"LOGGING"_s, u"loggingDir"_s, settings.loggingDir);
    one.WriteBool(u"General"_s, u"hideCheckAllButton"_s, settings.hideCheckAllButton);
    for (int n = 1; n <= groupCount; ++n) {
        one.WriteString(u"Groups"_s, u"group"_s + QString::number(n) + u"Name"_s, settings.groupNames[n]);
    }
    EXPECT_EQ(together, dir.read(ini));
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList{ini}) << "no temporary file is left beside it";
}

TEST(WriteSettings, FileSizeLimitLeavesTheOldFileWhole) {
    TempWorkingDir dir;
    const QByteArray before = siteSettingsFile();
    dir.write(ini, before);
    EXPECT_EQ(test::runWithFileSizeLimit(2048, saveOutcome), 1);
    EXPECT_EQ(dir.read(ini), before);
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList{ini}) << "no temporary file is left beside it";
}

TEST(WriteSettings, FullDiskLeavesTheOldFileWhole) {
    test::SmallTmpfs disk(64);
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(disk.path());
    const QByteArray before = siteSettingsFile();
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    disk.fill();
    EXPECT_EQ(saveOutcome(), 1);
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir().entryList(QDir::Files), (QStringList{ini, u"filler"_s}));
    QDir::setCurrent(previous);
}

} // namespace
} // namespace corvane
