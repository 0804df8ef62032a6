#include "ui/results.h"

#include "ui/windowStyle.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

TsendingMemoForm::TsendingMemoForm(QWidget* parent)
    : QWidget(parent) {
    setObjectName(u"sendingMemoForm"_s);
    setWindowTitle(u"SNPP Results"_s);
    makeFixedDialogWindow(*this, 430, 191);
    // A plain-text document appends in constant time per line, however long the list grows.
    sendingMemo = new QPlainTextEdit(this);
    sendingMemo->setObjectName(u"sendingMemo"_s);
    sendingMemo->setReadOnly(true);
    sendingMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sendingMemo->setPlainText(u"sendingMemo"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sendingMemo);
    sendingMemo->setAccessibleName(u"SNPP results"_s);
    m_batch.setSingleShot(true);
    m_batch.setInterval(batchMs);
    connect(&m_batch, &QTimer::timeout, this, [this] { flushLines(); });
}

void TsendingMemoForm::clearLines() {
    m_pending.clear();
    m_batch.stop();
    sendingMemo->clear();
}

void TsendingMemoForm::appendLine(const QString& line) {
    m_pending.append(line);
    if (!m_batch.isActive()) {
        m_batch.start();
    }
}

void TsendingMemoForm::flushLines() {
    m_batch.stop();
    if (m_pending.isEmpty()) {
        return;
    }
    sendingMemo->appendPlainText(m_pending.join(u'\n'));
    m_pending.clear();
}

QStringList TsendingMemoForm::lines() {
    flushLines();
    const QString text = sendingMemo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

void TsendingMemoForm::showEvent(QShowEvent* event) {
    flushLines();
    QWidget::showEvent(event);
}

} // namespace corvane
