#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace corvane {

class Clock;
class OperatorDialogs;
class PagingEngine;

// The future delivery window: a date and a 12-hour time become the hold value YYMMDDHHMMSS.
class TSendLaterForm final : public QDialog {
    Q_OBJECT

public:
    // Send sets the engine's hold value, Cancel empties it.
    TSendLaterForm(PagingEngine& engine, const Clock& clock, OperatorDialogs& dialogs);

    void FormShow();
    void sendButtonClick();
    void cancelButtonClick();

    // Cancel, the close box and Esc: no hold value, and nothing is sent.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Window elements, named as their objectName; code outside the window finds them by that name.
    QLineEdit* monthEdit;
    QLineEdit* dateEdit;
    QLineEdit* yearEdit;
    QLineEdit* timeEdit;
    QComboBox* amPmComboBox;
    QPushButton* sendButton;
    QPushButton* cancelButton;

    PagingEngine& m_engine;
    const Clock& m_clock;
    OperatorDialogs& m_dialogs;
};

} // namespace corvane
