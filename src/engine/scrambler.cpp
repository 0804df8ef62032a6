#include "engine/scrambler.h"

namespace corvane {

QString scramble(QStringView text, quint16 startKey) {
    QString out(text.size(), Qt::Uninitialized);
    quint32 key = startKey;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const quint32 b = text[i].unicode() & 0xFFu;
        const quint32 o = (b ^ (key >> 8)) & 0xFFu;
        out[i] = QChar(char16_t(o));
        key = ((key + o) * 41027u + 19843u) & 0xFFFFu;
    }
    return out;
}

QString unscramble(QStringView scrambled, quint16 startKey) {
    QString out(scrambled.size(), Qt::Uninitialized);
    quint32 key = startKey;
    for (qsizetype i = 0; i < scrambled.size(); ++i) {
        const quint32 o = scrambled[i].unicode() & 0xFFu;
        out[i] = QChar(char16_t((o ^ (key >> 8)) & 0xFFu));
        key = ((key + o) * 41027u + 19843u) & 0xFFFFu;
    }
    return out;
}

QByteArray scrambleBytes(QByteArrayView bytes, quint16 startKey) {
    QByteArray out(bytes.size(), Qt::Uninitialized);
    quint32 key = startKey;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const quint32 o = (static_cast<unsigned char>(bytes[i]) ^ (key >> 8)) & 0xFFu;
        out[i] = static_cast<char>(o);
        key = ((key + o) * 41027u + 19843u) & 0xFFFFu;
    }
    return out;
}

QByteArray unscrambleBytes(QByteArrayView scrambled, quint16 startKey) {
    QByteArray out(scrambled.size(), Qt::Uninitialized);
    quint32 key = startKey;
    for (qsizetype i = 0; i < scrambled.size(); ++i) {
        const quint32 o = static_cast<unsigned char>(scrambled[i]);
        out[i] = static_cast<char>((o ^ (key >> 8)) & 0xFFu);
        key = ((key + o) * 41027u + 19843u) & 0xFFFFu;
    }
    return out;
}

} // namespace corvane
