#include "engine/snppCommands.h"

#include "engine/scrambler.h"

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {
const QString crlf = u"\r\n"_s;
}

QString commandArgument(QString text) {
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

QString logiLine(const QString& userID, const QString& password) {
    return u"LOGI "_s + commandArgument(userID) + u' ' + commandArgument(password) + crlf;
}

QString holdLine(const QString& holdValue) {
    return u"HOLD "_s + commandArgument(holdValue) + crlf;
}

QString pageLine(const QString& pagerId, const QString& pagerPassword) {
    QString line = u"PAGE "_s + commandArgument(pagerId);
    if (!pagerPassword.isEmpty()) {
        line += u' ' + commandArgument(pagerPassword);
    }
    return line + crlf;
}

QString plainMessLine(const QString& chunk) {
    return u"MESS "_s + commandArgument(chunk) + crlf;
}

// Base64 never holds a CR or LF, so the scrambled chunk keeps the operator's line breaks.
QString encryptedMessLine(const QString& chunk) {
    const QByteArray scrambled = scramble(chunk, scrambleStartKey).toLatin1();
    return u"MESS SNPPENCRYPTED001"_s + QString::fromLatin1(scrambled.toBase64()) + crlf;
}

QString sendLine() {
    return u"SEND"_s + crlf;
}

QString quitLine() {
    return u"QUIT"_s + crlf;
}

} // namespace corvane
