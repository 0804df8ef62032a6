#pragma once

#include "platform/oneBased.h"

#include <QString>

namespace corvane {

class OperatorDialogs;

inline constexpr int quickMessageCount = 8;
inline constexpr int groupCount = 10;
inline constexpr int groupNameMaxLength = 32;

// The operator's settings, one record for the whole run: filled at start-up, changed only by the
// configuration window's Save and by the start-up check of the log directory.
struct Settings {
    OneBased<QString, quickMessageCount> quickMessages;
    int timeout = 45; // seconds; 0 or less leaves the watchdog unarmed where it applies
    bool loggingEnabled = false;
    QString loggingDir = QStringLiteral("./logs/");
    bool hideCheckAllButton = false;
    OneBased<QString, groupCount> groupNames; // empty: the group is not in use
};

// The settings file, relative to the working directory at each access. This is also the text the
// operator sees in "Unable to write to ./corvane3.ini".
QString settingsFileName();
QString defaultLoggingDir();

// Reads every entry into settings, then checks the log directory: one missing level is created,
// and when that fails the operator is told and logging is off for this run (the file keeps its value).
void readSettings(Settings& settings, OperatorDialogs& dialogs);

// Writes every entry, changed or not, in the fixed order, all in one new file. Throws corvane::Error
// "Unable to write to ./corvane3.ini" when the system refuses it; then the file is as it was.
void writeSettings(const Settings& settings);

} // namespace corvane
