#include "settings/settings.h"

#include "platform/operatorDialogs.h"
#include "settings/iniFile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

const QString defaultQuickMessages[quickMessageCount] = {
    u"Hi"_s,         u"Call home"_s,    u"Call the office"_s, u"Call me"_s,
    u"I love you"_s, u"See you soon"_s, u"Break a leg"_s,     u"Don't call"_s,
};

QString messageKey(int n) {
    return u"message"_s + QString::number(n);
}
QString groupKey(int n) {
    return u"group"_s + QString::number(n) + u"Name"_s;
}

void checkLoggingDir(Settings& settings, OperatorDialogs& dialogs) {
    if (QFileInfo(settings.loggingDir).isDir()) {
        return;
    }
    // One level only: a missing parent is the operator's to create, not ours to guess.
    if (!settings.loggingDir.isEmpty() && QDir().mkdir(settings.loggingDir)) {
        return;
    }
    dialogs.showMessage(u"Unable to create logging directory:"_s + settings.loggingDir);
    settings.loggingEnabled = false;
}

} // namespace

QString settingsFileName() {
    return u"./corvane3.ini"_s;
}

QString defaultLoggingDir() {
    return u"./logs/"_s;
}

void readSettings(Settings& settings, OperatorDialogs& dialogs) {
    {
        const IniContents ini = TIniFile(settingsFileName()).load();
        for (int n = 1; n <= quickMessageCount; ++n) {
            settings.quickMessages[n] = ini.ReadString(u"GENERAL"_s, messageKey(n), defaultQuickMessages[n - 1]);
        }
        settings.timeout = ini.ReadInteger(u"General"_s, u"timeout"_s, 45);
        settings.loggingEnabled = ini.ReadBool(u"LOGGING"_s, u"loggingEnabled"_s, false);
        settings.loggingDir = ini.ReadString(u"LOGGING"_s, u"loggingDir"_s, defaultLoggingDir());
        settings.hideCheckAllButton = ini.ReadBool(u"GENERAL"_s, u"hidecheckAllButton"_s, false);
        for (int n = 1; n <= groupCount; ++n) {
            settings.groupNames[n] = ini.ReadString(u"Groups"_s, groupKey(n), QString()).left(groupNameMaxLength);
        }
    }
    checkLoggingDir(settings, dialogs);
}

// Every entry, in the fixed order, goes into one new file: a failure leaves the old file whole, with
// all of its old values.
void writeSettings(const Settings& settings) {
    const auto flag = [](bool on) { return on ? u"1"_s : u"0"_s; };
    std::vector<IniEntry> entries;
    entries.push_back({u"General"_s, u"timeout"_s, QString::number(settings.timeout)});
    for (int n = 1; n <= quickMessageCount; ++n) {
        entries.push_back({u"General"_s, messageKey(n), settings.quickMessages[n]});
    }
    entries.push_back({u"LOGGING"_s, u"loggingEnabled"_s, flag(settings.loggingEnabled)});
    entries.push_back({u"LOGGING"_s, u"loggingDir"_s, settings.loggingDir});
    entries.push_back({u"General"_s, u"hideCheckAllButton"_s, flag(settings.hideCheckAllButton)});
    for (int n = 1; n <= groupCount; ++n) {
        entries.push_back({u"Groups"_s, groupKey(n), settings.groupNames[n]});
    }
    TIniFile(settingsFileName()).WriteEntries(entries);
}

} // namespace corvane
