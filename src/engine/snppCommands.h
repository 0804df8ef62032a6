#pragma once

#include <QString>

namespace corvane {

// The command lines the program sends, each ending in CR LF. A CR or LF inside an argument goes
// out as a space: an argument can never end the line early and smuggle in a second command.
QString commandArgument(QString text);

QString logiLine(const QString& userID, const QString& password);
QString holdLine(const QString& holdValue);
QString pageLine(const QString& pagerId, const QString& pagerPassword);
QString plainMessLine(const QString& chunk);
QString encryptedMessLine(const QString& chunk);
QString sendLine();
QString quitLine();

} // namespace corvane
