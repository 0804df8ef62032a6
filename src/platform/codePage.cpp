#include "platform/codePage.h"

#include <array>

namespace corvane {

namespace {

// Bytes 0x80..0x9F; the five bytes Windows-1252 leaves undefined map to the C1 control of the same
// value, which is also what the system's own conversion does, so every byte survives a round trip.
constexpr std::array<char16_t, 32> highControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encodeOne(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < highControls.size(); ++i) {
        if (highControls[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

} // namespace

QByteArray toCodePage(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    // A character outside the Basic Multilingual Plane is one character to the operator, so it
    // becomes one "?", not two; a lone surrogate becomes "?" as well.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            bytes.append('?');
        } else if (QChar::isSurrogate(unit)) {
            bytes.append('?');
        } else {
            bytes.append(encodeOne(unit));
        }
    }
    return bytes;
}

QString fromCodePage(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b <= 0x9F ? highControls[b - 0x80] : char16_t(b));
    }
    return text;
}

} // namespace corvane
