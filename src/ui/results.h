#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QPlainTextEdit;

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

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* sendingMemo; // by that objectName for code outside the window
    QStringList m_pending;
    QTimer m_batch;
};

} // namespace corvane
