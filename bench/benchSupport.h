#pragma once

#include "platform/operatorDialogs.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace corvane::bench {

// Answers every question at once, so nothing waits for an operator during a measurement.
struct QuietDialogs final : OperatorDialogs {
    void showMessage(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return true; }
    void beep() override {}
};

// Distinct names that do not arrive in name order.
inline QString contactName(int i) {
    return QStringLiteral("Contact %1 %2").arg(i * 7919 % 100003).arg(i);
}

// "names.txt" in the working directory with count contacts; returns its bytes.
inline QByteArray writeNamesFile(int count) {
    QByteArray names;
    for (int i = 0; i < count; ++i) {
        names += contactName(i).toLatin1() + "," + QByteArray::number(5550000 + i) + "\r\n";
    }
    QFile file(QStringLiteral("names.txt"));
    file.open(QIODevice::WriteOnly);
    file.write(names);
    return names;
}

} // namespace corvane::bench
