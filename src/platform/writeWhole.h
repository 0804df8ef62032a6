#pragma once

#include <QByteArrayView>

namespace corvane {

// Writes all of bytes to the descriptor, going on after short writes and interruptions; false when
// the system refused the rest, with errno saying why (ENOSPC when it took nothing more).
bool writeWhole(int fd, QByteArrayView bytes);
// The same at an offset of the file, leaving the descriptor's own position alone.
bool writeWholeAt(int fd, QByteArrayView bytes, qint64 offset);

} // namespace corvane
