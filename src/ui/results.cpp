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
}

void TsendingMemoForm::clearLines() {
    sendingMemo->clear();
}

void TsendingMemoForm::appendLine(const QString& line) {
    sendingMemo->appendPlainText(line);
}

QStringList TsendingMemoForm::lines() const {
    const QString text = sendingMemo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

} // namespace corvane
