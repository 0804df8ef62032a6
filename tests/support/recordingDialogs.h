#pragma once

#include "platform/operatorDialogs.h"

#include <QString>
#include <QStringList>

namespace corvane::test {

// Records every message and answers confirmations from a preset answer, with no modal loop.
class RecordingDialogs : public OperatorDialogs {
public:
    QStringList messages;
    QStringList confirmations; // "title|text"
    int beeps = 0;
    bool confirmAnswer = true;

    void showMessage(const QString& text) override {
        messages.append(text);
        events.append(text);
    }
    bool confirm(const QString& title, const QString& text) override {
        confirmations.append(title + u'|' + text);
        return confirmAnswer;
    }
    // Messages and beeps in the order they came, beeps as "<beep>".
    QStringList events;
    void beep() override {
        ++beeps;
        events.append(QStringLiteral("<beep>"));
    }
};

} // namespace corvane::test
