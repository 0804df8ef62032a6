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
// Clears the transaction under way on the server: the pagers and message it took so far.
QString resetLine();

// A pager ID is one word: PAGE takes the ID and then, after a blank, the pager's password, so an ID
// holding a blank would page another pager with the rest as its password. Empty, white space or a
// control character anywhere: not a pager ID.
bool isPagerId(QStringView id);
// Why id is no pager ID, in words for the operator (control characters shown as escapes).
QString notAPagerIdReason(const QString& id);

// The encrypted form's payload: the chunk in the network's code page, scrambled byte by byte.
QByteArray encryptedPayload(const QString& chunk);

} // namespace corvane
