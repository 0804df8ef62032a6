#include "ui/instructions.h"

#include "ui/windowStyle.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

QStringList TInstructionsForm::instructionLines() {
    return {
        u"--> To Send to ONE Recipient:"_s,
        u"Simply select one of the recipients in your Contacts list by clicking on that name."_s,
        u"You do NOT need to put a check by the name."_s,
        u"When you select a name, the name and corresponding pager ID will "_s,
        u"automatically be placed in the 'TO' section on the left side of the screen."_s,
        u""_s,
        u"--> To Send to MULTIPLE Recipients:"_s,
        u"In the Contacts list, check the recipients you wish to send to by clicking the "_s,
        u"check box to the left of each recipient. A box to the right of the contacts list"_s,
        u"will appear indicating 'Multiple Recipients' mode."_s,
        u""_s,
        u"--> Direct ID Entry:"_s,
        u"To directly enter a pager id, click the 'Direct Entry' button. This allows you to"_s,
        u"send a message to one pager id, without having that contact in your database."_s,
        u""_s,
        u"--> To Send to a GROUP:"_s,
        u"Simply click on the group name in the group list. You may only send to one"_s,
        u"group at a time. A box to the right of the Groups list will appear, indicating "_s,
        u"'Group' mode. The message will be sent to all contacts associated with that "_s,
        u"group."_s,
    };
}

TInstructionsForm::TInstructionsForm(QWidget* parent)
    : QWidget(parent) {
    setObjectName(u"InstructionsForm"_s);
    setWindowTitle(u"Instructions  -  Corvane"_s);
    makeFixedDialogWindow(*this, 404, 310);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setPlainText(instructionLines().join(u'\n'));
    Memo1->setGeometry(0, 0, 404, 270);
    fitLinesToMemo();
    auto* ok = makeButton(this, "okButton", u"OK"_s, 164, 278, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    Memo1->setAccessibleName(u"Instructions"_s);
    nameControlsForScreenReaders(*this);
}

// The twenty lines are written to be read as lines: the text takes the largest size, up to the
// window's own, at which the longest line fits the width and all twenty fit the height, so the word
// wrap never breaks a line and nothing needs scrolling.
void TInstructionsForm::fitLinesToMemo() {
    const QStringList lines = instructionLines();
    const QMargins margins = Memo1->contentsMargins();
    const qreal documentMargin = Memo1->document()->documentMargin();
    const qreal width = Memo1->width() - margins.left() - margins.right() - 2 * documentMargin - 4;
    const qreal height = Memo1->height() - margins.top() - margins.bottom() - 2 * documentMargin - 2;
    QFont font = Memo1->font();
    const auto fits = [&] {
        const QFontMetricsF metrics(font);
        for (const QString& line : lines) {
            if (metrics.horizontalAdvance(line) > width) {
                return false;
            }
        }
        return metrics.lineSpacing() * lines.size() <= height;
    };
    while (!fits() && font.pointSizeF() > 5) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    Memo1->setFont(font);
}

// The OK button is the window's default button: Enter closes the window.
void TInstructionsForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace corvane
