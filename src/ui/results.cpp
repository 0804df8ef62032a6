#include "ui/results.h"

#include "ui/windowStyle.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {
constexpr int clientWidth = 430;
constexpr int clientHeight = 191;
constexpr int buttonRowHeight = 34;
} // namespace

TsendingMemoForm::TsendingMemoForm(QWidget* parent)
    : QWidget(parent) {
    setObjectName(u"sendingMemoForm"_s);
    setWindowTitle(u"SNPP Results"_s);
    makeFixedDialogWindow(*this, clientWidth, clientHeight);
    // A plain-text document appends in constant time per line, however long the list grows.
    sendingMemo = new QPlainTextEdit(this);
    sendingMemo->setObjectName(u"sendingMemo"_s);
    sendingMemo->setReadOnly(true);
    sendingMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sendingMemo->setPlainText(u"sendingMemo"_s);
    pageAgainButton = new QPushButton(u"Page again those not paged"_s, this);
    pageAgainButton->setObjectName(u"pageAgainButton"_s);
    pageAgainButton->setAccessibleName(u"Page again those not paged"_s);
    pageAgainButton->setAutoDefault(true); // Enter presses it while it has the focus, as Space does
    pageAgainButton->hide();
    connect(pageAgainButton, &QPushButton::clicked, this, &TsendingMemoForm::pageAgainRequested);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sendingMemo);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(6, 4, 6, 4);
    buttonRow->addStretch();
    buttonRow->addWidget(pageAgainButton);
    layout->addLayout(buttonRow);
    sendingMemo->setAccessibleName(u"SNPP results"_s);
    m_batch.setSingleShot(true);
    m_batch.setInterval(batchMs);
    connect(&m_batch, &QTimer::timeout, this, [this] { flushLines(); });
}

void TsendingMemoForm::clearLines() {
    m_pending.clear();
    m_batch.stop();
    sendingMemo->clear();
    offerPageAgain(false);
}

void TsendingMemoForm::offerPageAgain(bool offered) {
    if (offered == pageAgainButton->isVisibleTo(this)) {
        return;
    }
    pageAgainButton->setVisible(offered);
    setFixedSize(clientWidth, clientHeight + (offered ? buttonRowHeight : 0));
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
