#include "engine/snppCommands.h"

#include "engine/scrambler.h"
#include "platform/codePage.h"

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

// The chunk crosses the network in the same code page as every other text, so that characters
// such as "€" or typographic quotes arrive as the plain form would bring them; for Latin-1
// text the bytes are what scrambling the characters' low bytes gives.
QByteArray encryptedPayload(const QString& chunk) {
    return scrambleBytes(toCodePage(chunk), scrambleStartKey);
}

// Base64 never holds a CR or LF, so the scrambled chunk keeps the operator's line breaks.
QString encryptedMessLine(const QString& chunk) {
    return u"MESS SNPPENCRYPTED001"_s + QString::fromLatin1(encryptedPayload(chunk).toBase64()) + crlf;
}

QString sendLine() {
    return u"SEND"_s + crlf;
}

QString quitLine() {
    return u"QUIT"_s + crlf;
}

QString resetLine() {
    return u"RESE"_s + crlf;
}

namespace {
bool isControl(char16_t u) {
    return u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0);
}
} // namespace

bool isPagerId(QStringView id) {
    if (id.isEmpty()) {
        return false;
    }
    for (const QChar c : id) {
        if (c.isSpace() || isControl(c.unicode())) {
            return false;
        }
    }
    return true;
}

QString notAPagerIdReason(const QString& id) {
    if (id.isEmpty()) {
        return u"no pager ID"_s;
    }
    QString shown;
    for (const QChar c : id) {
        shown +=
            isControl(c.unicode()) ? u"\\x"_s + QString::number(c.unicode(), 16).rightJustified(2, u'0') : QString(c);
    }
    return u"pager ID \"%1\" is not one word"_s.arg(shown);
}

} // namespace corvane
