#include "settings/settings.h"

#include "platform/operatorDialogs.h"
#include "settings/iniFile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

const OneBased<QString, quickMessageCount> defaultQuickMessages{
    std::array<QString, quickMessageCount>{u"Hi"_s, u"Call home"_s, u"Call the office"_s, u"Call me"_s, u"I love you"_s,
                                           u"See you soon"_s, u"Break a leg"_s, u"Don't call"_s}};

// Where each setting is in the file. Two are read under one spelling and written under another
// (section GENERAL and General, key hidecheckAllButton and hideCheckAllButton); sections and keys
// match without regard to case, so both name one and the same entry. The defaults are those of
// the Settings record.
struct SettingKey {
    QString readSection;
    QString readKey;
    QString writeSection;
    QString writeKey;
};

const SettingKey timeoutKey{u"General"_s, u"timeout"_s, u"General"_s, u"timeout"_s};
const SettingKey loggingEnabledKey{u"LOGGING"_s, u"loggingEnabled"_s, u"LOGGING"_s, u"loggingEnabled"_s};
const SettingKey loggingDirKey{u"LOGGING"_s, u"loggingDir"_s, u"LOGGING"_s, u"loggingDir"_s};
const SettingKey hideCheckAllKey{u"GENERAL"_s, u"hidecheckAllButton"_s, u"General"_s, u"hideCheckAllButton"_s};

SettingKey messageKey(int n) {
    const QString key = u"message"_s + QString::number(n);
    return {u"GENERAL"_s, key, u"General"_s, key};
}
SettingKey groupKey(int n) {
    const QString key = u"group"_s + QString::number(n) + u"Name"_s;
    return {u"Groups"_s, key, u"Groups"_s, key};
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
    return Settings{}.loggingDir;
}

void readSettings(Settings& settings, OperatorDialogs& dialogs) {
    {
        const Settings defaults;
        const IniContents ini = TIniFile(settingsFileName()).load();
        const auto text = [&](const SettingKey& k, const QString& fallback) {
            return ini.ReadString(k.readSection, k.readKey, fallback);
        };
        for (int n = 1; n <= quickMessageCount; ++n) {
            settings.quickMessages[n] = text(messageKey(n), defaultQuickMessages[n]);
        }
        settings.timeout = ini.ReadInteger(timeoutKey.readSection, timeoutKey.readKey, defaults.timeout);
        settings.loggingEnabled =
            ini.ReadBool(loggingEnabledKey.readSection, loggingEnabledKey.readKey, defaults.loggingEnabled);
        settings.loggingDir = text(loggingDirKey, defaults.loggingDir);
        settings.hideCheckAllButton =
            ini.ReadBool(hideCheckAllKey.readSection, hideCheckAllKey.readKey, defaults.hideCheckAllButton);
        for (int n = 1; n <= groupCount; ++n) {
            settings.groupNames[n] = text(groupKey(n), QString()).left(groupNameMaxLength);
        }
    }
    checkLoggingDir(settings, dialogs);
}

// Every entry, in the fixed order, goes into one new file: a failure leaves the old file whole, with
// all of its old values.
void writeSettings(const Settings& settings) {
    const auto flag = [](bool on) { return on ? u"1"_s : u"0"_s; };
    std::vector<IniEntry> entries;
    const auto write = [&](const SettingKey& k, const QString& value) {
        entries.push_back({k.writeSection, k.writeKey, value});
    };
    write(timeoutKey, QString::number(settings.timeout));
    for (int n = 1; n <= quickMessageCount; ++n) {
        write(messageKey(n), settings.quickMessages[n]);
    }
    write(loggingEnabledKey, flag(settings.loggingEnabled));
    write(loggingDirKey, settings.loggingDir);
    write(hideCheckAllKey, flag(settings.hideCheckAllButton));
    for (int n = 1; n <= groupCount; ++n) {
        write(groupKey(n), settings.groupNames[n]);
    }
    TIniFile(settingsFileName()).WriteEntries(entries);
}

} // namespace corvane
