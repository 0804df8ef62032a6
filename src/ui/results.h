#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace corvane {

// "SNPP Results": one line per event of a send to several recipients. Not modal; the engine goes on
// appending while it is hidden.
class TsendingMemoForm final : public QWidget {
    Q_OBJECT

public:
    explicit TsendingMemoForm(QWidget* parent = nullptr);

    QPlainTextEdit* sendingMemo;

    void clearLines();
    void appendLine(const QString& line);
    QStringList lines() const;
};

} // namespace corvane
