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
        const TIniFile ini(settingsFileName());
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

void writeSettings(const Settings& settings) {
    TIniFile ini(settingsFileName());
    ini.WriteInteger(u"General"_s, u"timeout"_s, settings.timeout);
    for (int n = 1; n <= quickMessageCount; ++n) {
        ini.WriteString(u"General"_s, messageKey(n), settings.quickMessages[n]);
    }
    ini.WriteBool(u"LOGGING"_s, u"loggingEnabled"_s, settings.loggingEnabled);
    ini.WriteString(u"LOGGING"_s, u"loggingDir"_s, settings.loggingDir);
    ini.WriteBool(u"General"_s, u"hideCheckAllButton"_s, settings.hideCheckAllButton);
    for (int n = 1; n <= groupCount; ++n) {
        ini.WriteString(u"Groups"_s, groupKey(n), settings.groupNames[n]);
    }
}

} // namespace corvane
