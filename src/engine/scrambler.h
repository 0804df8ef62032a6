#pragma once

#include <QByteArray>
#include <QString>

namespace corvane {

inline constexpr quint16 scrambleStartKey = 47216;

// The encrypted form's scrambling: each output character is the low byte of the input character
// XOR the key's high byte, and the 16-bit key runs on from each output byte. Output characters
// are all in 0..255 and the output is as long as the input.
QString scramble(QStringView text, quint16 startKey);

// The same routine over bytes: what goes on the wire for a chunk in the network's code page.
QByteArray scrambleBytes(QByteArrayView bytes, quint16 startKey);
// What a receiver holding the same start key does: recovers every byte.
QByteArray unscrambleBytes(QByteArrayView scrambled, quint16 startKey);

} // namespace corvane
