#pragma once

#include <QByteArray>
#include <QString>

namespace corvane {

// The single-byte code page that text takes on the network, in the settings file, the activity log
// and the contacts import file: Windows-1252. Every character it cannot represent becomes "?".
QByteArray toCodePage(QStringView text);
QString fromCodePage(QByteArrayView bytes);

} // namespace corvane
