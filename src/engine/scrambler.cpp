#include "engine/scrambler.h"

namespace corvane {

namespace {

// The low byte of each character: the part of a character the routine works on.
QByteArray lowBytes(QStringView text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        bytes[i] = static_cast<char>(text[i].unicode() & 0xFFu);
    }
    return bytes;
}

quint32 nextKey(quint32 key, quint32 outputByte) {
    return ((key + outputByte) * 41027u + 19843u) & 0xFFFFu;
}

} // namespace

QByteArray scrambleBytes(QByteArrayView bytes, quint16 startKey) {
    QByteArray out(bytes.size(), Qt::Uninitialized);
    quint32 key = startKey;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const quint32 o = (static_cast<unsigned char>(bytes[i]) ^ (key >> 8)) & 0xFFu;
        out[i] = static_cast<char>(o);
        key = nextKey(key, o);
    }
    return out;
}

QByteArray unscrambleBytes(QByteArrayView scrambled, quint16 startKey) {
    QByteArray out(scrambled.size(), Qt::Uninitialized);
    quint32 key = startKey;
    for (qsizetype i = 0; i < scrambled.size(); ++i) {
        const quint32 o = static_cast<unsigned char>(scrambled[i]);
        out[i] = static_cast<char>((o ^ (key >> 8)) & 0xFFu);
        key = nextKey(key, o);
    }
    return out;
}

QString scramble(QStringView text, quint16 startKey) {
    return QString::fromLatin1(scrambleBytes(lowBytes(text), startKey));
}

} // namespace corvane
