#include "ui/sendLater.h"

#include "engine/pagingEngine.h"
#include "platform/clock.h"
#include "platform/operatorDialogs.h"
#include "ui/toolkit/handlerGuard.h"
#include "ui/toolkit/typingLimit.h"
#include "ui/windowStyle.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

TSendLaterForm::TSendLaterForm(PagingEngine& engine, const Clock& clock, OperatorDialogs& dialogs)
    : QDialog(nullptr)
    , m_engine(engine)
    , m_clock(clock)
    , m_dialogs(dialogs) {
    setObjectName(u"SendLaterForm"_s);
    setWindowTitle(u"Send, for future delivery"_s);
    makeFixedDialogWindow(*this, 302, 230);

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setGeometry(8, 8, 286, 104);
    makeLabel(frame, "Label1", u"Month:"_s, 8, 10, 44, 18);
    monthEdit = makeEdit(frame, u"monthEdit"_s, 52, 8, 28, 2);
    makeLabel(frame, "Label2", u"Date:"_s, 96, 10, 36, 18);
    dateEdit = makeEdit(frame, u"dateEdit"_s, 132, 8, 28, 2);
    makeLabel(frame, "Label3", u"Year:"_s, 176, 10, 36, 18);
    yearEdit = makeEdit(frame, u"yearEdit"_s, 212, 8, 28, 2);
    makeLabel(frame, "Label4", u"Time:"_s, 8, 44, 44, 18);
    timeEdit = makeEdit(frame, u"timeEdit"_s, 52, 42, 52, 5);
    showWhole(*timeEdit, u"00:00"_s);
    amPmComboBox = new QComboBox(frame);
    amPmComboBox->setObjectName(u"amPmComboBox"_s);
    amPmComboBox->addItems({u"AM"_s, u"PM"_s});
    amPmComboBox->setGeometry(112, 42, 56, 22);
    makeLabel(frame, "Label5", u"(hh:mm)"_s, 52, 68, 60, 16);
    makeLabel(frame, "Label6", u"example: 06:45  PM"_s, 120, 68, 150, 16);

    shareFittingFont(
        {makeLabel(this, "Label7", u"Use this screen to send a message, for later delivery."_s, 8, 118, 290, 18),
         makeLabel(this, "Label8", u"To send a message for immediate delivery, choose 'Cancel'"_s, 8, 138, 290, 18),
         makeLabel(this, "Label9", u"below, and use the normal SEND button on the main screen."_s, 8, 156, 290, 18)});

    sendButton = makeButton(this, "sendButton", u"Send"_s, 64, 190, 80, 28);
    cancelButton = makeButton(this, "cancelButton", u"Cancel"_s, 158, 190, 80, 28);
    connectGuarded(sendButton, &QPushButton::clicked, this, m_dialogs, [this] { sendButtonClick(); });
    connectGuarded(cancelButton, &QPushButton::clicked, this, m_dialogs, [this] { cancelButtonClick(); });
    amPmComboBox->setCurrentIndex(0); // FormCreate: "AM"; afterwards the operator's choice stays
    amPmComboBox->setAccessibleName(u"AM or PM"_s);
    nameControlsForScreenReaders(*this);
}

void TSendLaterForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TSendLaterForm::FormShow() {
    const QString today = m_clock.now().date().toString(u"yyMMdd"_s);
    showWhole(*yearEdit, today.mid(0, 2));
    showWhole(*monthEdit, today.mid(2, 2));
    showWhole(*dateEdit, today.mid(4, 2));
}

void TSendLaterForm::sendButtonClick() {
    QString time = timeEdit->text();
    if (time.size() == 4 && time[1] == u':') {
        time.prepend(u'0');
    }
    if (time.size() != 5 || time[2] != u':') {
        m_dialogs.showMessage(u"Error in time field. Use format hh:mm"_s);
        return;
    }
    if (yearEdit->text().size() != 2 || monthEdit->text().size() != 2 || dateEdit->text().size() != 2) {
        m_dialogs.showMessage(u"Error formatting your date input"_s);
        return;
    }
    bool ok = false;
    int hour = time.left(2).trimmed().toInt(&ok);
    if (!ok || time.left(2).endsWith(u' ')) {
        m_dialogs.showMessage(u"Error formatting your hour input"_s);
        return;
    }
    if (amPmComboBox->currentText() == u"PM"_s) {
        if (hour >= 1 && hour <= 11) {
            hour += 12;
        }
    } else if (hour == 12) {
        hour = 0;
    }
    const QString hourText = hour >= 0 && hour <= 9 ? u"0"_s + QString::number(hour) : QString::number(hour);
    m_engine.setHoldValue(yearEdit->text() + monthEdit->text() + dateEdit->text() + hourText + time.mid(3, 2) +
                          u"00"_s);
    accept();
}

void TSendLaterForm::cancelButtonClick() {
    reject();
}

void TSendLaterForm::reject() {
    m_engine.setHoldValue(QString());
    QDialog::reject();
}

} // namespace corvane
