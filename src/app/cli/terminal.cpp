#include "app/cli/terminal.h"

using namespace Qt::Literals::StringLiterals;

namespace corvane::cli {

QString printable(const QString& text) {
    QString shown = text;
    if (shown.endsWith(u'\n')) {
        shown.chop(shown.endsWith(u"\r\n"_s) ? 2 : 1);
    }
    QString out;
    out.reserve(shown.size());
    for (const QChar c : shown) {
        const char16_t u = c.unicode();
        if (u == u'\t') {
            out += u"\\t"_s;
        } else if (u == u'\r') {
            out += u"\\r"_s;
        } else if (u == u'\n') {
            out += u"\\n"_s;
        } else if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0)) {
            out += u"\\x"_s + QString::number(u, 16).rightJustified(2, u'0');
        } else {
            out += c;
        }
    }
    return out;
}

void printLine(FILE* stream, const QString& text) {
    const QByteArray bytes = printable(text).toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void printDataLine(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void Messages::say(const QString& text) const {
    printLine(stderr, m_program + u": "_s + text);
}

} // namespace corvane::cli
