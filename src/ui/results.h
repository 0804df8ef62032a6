#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace corvane {

// "SNPP Results": one line per event of a send to several recipients. Not modal; the engine goes on
// appending while it is hidden. Lines that come in quick succession are added together a few times a
// second, so a long send does not redraw the window for every line; every line is shown.
class TsendingMemoForm final : public QWidget {
    Q_OBJECT

public:
    explicit TsendingMemoForm(QWidget* parent = nullptr);

    static constexpr int batchMs = 50;

    void clearLines();
    void appendLine(const QString& line);
    // Every line, those still waiting for the next batch included.
    QStringList lines();
    // Adds the waiting lines now.
    void flushLines();
    // The button "Page again those not paged" under the list, after a job that left someone unpaged;
    // without it the window is as it always was. Emptying the list takes it away.
    void offerPageAgain(bool offered);

signals:
    void pageAgainRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // By these objectNames for code outside the window.
    QPlainTextEdit* sendingMemo;
    QPushButton* pageAgainButton;
    QStringList m_pending;
    QTimer m_batch;
};

} // namespace corvane
