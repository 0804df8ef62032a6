#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace corvane {

// How to choose recipients, in twenty lines. Not modal; a second request only brings it forward.
class TInstructionsForm final : public QWidget {
    Q_OBJECT

public:
    explicit TInstructionsForm(QWidget* parent = nullptr);

    static QStringList instructionLines();

    QPlainTextEdit* Memo1;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fitLinesToMemo();
};

} // namespace corvane
