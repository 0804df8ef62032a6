#include "ui/config.h"

#include "engine/serviceTable.h"
#include "platform/error.h"
#include "platform/operatorDialogs.h"
#include "settings/settings.h"
#include "ui/toolkit/handlerGuard.h"
#include "ui/toolkit/typingLimit.h"
#include "ui/windowStyle.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

void digitsOnly(QLineEdit* edit) {
    acceptOnly(*edit, QRegularExpression(u"[0-9]*"_s));
}

QLabel* heading(QWidget* page, const QString& text, int y) {
    auto* label = new QLabel(text, page);
    label->setGeometry(0, y, 441, 20);
    label->setAlignment(Qt::AlignCenter);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

} // namespace

TconfigForm::TconfigForm(Settings& settings, ServiceTable& services, OperatorDialogs& dialogs)
    : QDialog(nullptr)
    , m_settings(settings)
    , m_services(services)
    , m_dialogs(dialogs) {
    setObjectName(u"configForm"_s);
    setWindowTitle(u"Configuration  -  Corvane"_s);
    makeFixedDialogWindow(*this, 458, 346);

    SaveButton = makeButton(this, "SaveButton", u"Save"_s, 296, 318, 75, 25);
    SaveButton->setAutoDefault(false);
    CancelButton = makeButton(this, "CancelButton", u"Cancel"_s, 378, 318, 75, 25);
    CancelButton->setAutoDefault(false);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(u"PageControl1"_s);
    PageControl1->setGeometry(4, 12, 449, 305);
    buildGeneralPage();
    buildServicesPage();
    buildGroupsPage();
    buildMessagesPage();

    connectGuarded(SaveButton, &QPushButton::clicked, this, m_dialogs, [this] { SaveButtonClick(); });
    connectGuarded(CancelButton, &QPushButton::clicked, this, m_dialogs, [this] { CancelButtonClick(); });

    PageControl1->setAccessibleName(u"Settings pages"_s);
    const char* kinds[5] = {"name", "address", "port", "most characters", "characters per page"};
    for (int n = 1; n <= serviceCount; ++n) {
        for (int c = 0; c < 5; ++c) {
            serviceEdits[n][c]->setAccessibleName(u"Service %1 %2"_s.arg(n).arg(QString::fromLatin1(kinds[c])));
        }
    }
    for (int n = 1; n <= groupCount; ++n) {
        groupNameEdits[n]->setAccessibleName(u"Group %1 name"_s.arg(n));
    }
    for (int n = 1; n <= quickMessageCount; ++n) {
        messageEdits[n]->setAccessibleName(u"Quick message %1"_s.arg(n));
    }
    nameControlsForScreenReaders(*this);
}

void TconfigForm::buildGeneralPage() {
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(u"TabSheet1"_s);
    PageControl1->addTab(TabSheet1, u"General"_s);
    heading(TabSheet1, u"GENERAL SETTINGS"_s, 8);
    makeLabel(TabSheet1, "Label1", u"SNPP Timeout:"_s, 20, 52, 150, 18);
    timeoutEdit = makeEdit(TabSheet1, u"timeoutEdit"_s, 176, 50, 33, 3);
    digitsOnly(timeoutEdit);
    makeLabel(TabSheet1, "Label2", u"(seconds)"_s, 216, 52, 80, 18);
    makeLabel(TabSheet1, "Label3", u"Logs enabled:"_s, 20, 86, 150, 18);
    loggingEnabledCheckbox = new QCheckBox(TabSheet1);
    loggingEnabledCheckbox->setObjectName(u"loggingEnabledCheckbox"_s);
    loggingEnabledCheckbox->setGeometry(176, 86, 20, 18);
    makeLabel(TabSheet1, "Label4", u"Log Directory:"_s, 20, 120, 150, 18);
    loggingDirEdit = makeEdit(TabSheet1, u"loggingDirEdit"_s, 176, 118, 81, 0);
    makeLabel(TabSheet1, "Label5", u"(end in '/')"_s, 264, 120, 100, 18);
    makeLabel(TabSheet1, "Label6", u"Hide 'Select All' button:"_s, 20, 154, 150, 18);
    hideCheckallCheckbox = new QCheckBox(TabSheet1);
    hideCheckallCheckbox->setObjectName(u"hideCheckallCheckbox"_s);
    hideCheckallCheckbox->setGeometry(176, 154, 20, 18);
    makeLabel(TabSheet1, "Label7", u"(default: Disabled)"_s, 204, 154, 140, 18);
}

// Never shown to the operator: the service table is built in and cannot be changed here.
void TconfigForm::buildServicesPage() {
    servicesTabSheet = new QWidget;
    servicesTabSheet->setObjectName(u"servicesTabSheet"_s);
    PageControl1->addTab(servicesTabSheet, u"Services"_s);
    heading(servicesTabSheet, u"SNPP SERVICES"_s, 2);
    const int columns[5][2] = {{72, 110}, {186, 150}, {340, 32}, {376, 30}, {410, 30}};
    const char* captions[5] = {"Name:", "IP / Hostname:", "Port:", "Max.", "Split"};
    const char* kinds[5] = {"name", "ip", "port", "maxChars", "splitChars"};
    const int limits[5] = {serviceRecordType::nameMaxLength, serviceRecordType::addressMaxLength, 4, 4, 4};
    for (int c = 0; c < 5; ++c) {
        auto* caption = new QLabel(QString::fromLatin1(captions[c]), servicesTabSheet);
        caption->setGeometry(columns[c][0], 22, columns[c][1], 16);
    }
    for (int n = 1; n <= serviceCount; ++n) {
        const int y = 38 + (n - 1) * 20;
        auto* caption = new QLabel(n < 10 ? u" Service %1: "_s.arg(n) : u" Service %1:"_s.arg(n), servicesTabSheet);
        caption->setGeometry(2, y + 2, 70, 16);
        for (int c = 0; c < 5; ++c) {
            QLineEdit* edit = makeEdit(servicesTabSheet, u"service%1%2Edit"_s.arg(n).arg(QString::fromLatin1(kinds[c])),
                                       columns[c][0], y, columns[c][1], limits[c]);
            edit->setFixedHeight(19);
            if (c >= 2) {
                digitsOnly(edit);
            }
            serviceEdits[n][c] = edit;
        }
    }
}

// A page of numbered one-line edits under a heading: the group names and the quick messages.
template <int N>
QWidget* TconfigForm::buildNumberedPage(const NumberedPage& page, OneBased<QLineEdit*, N>& edits) {
    auto* sheet = new QWidget;
    sheet->setObjectName(QString::fromLatin1(page.objectName));
    PageControl1->addTab(sheet, page.tabCaption);
    heading(sheet, page.heading, 4);
    makeLabel(sheet, page.noteName, page.note, 300, 22, 120, 16);
    for (int n = 1; n <= page.rows; ++n) {
        const int y = page.top + (n - 1) * page.spacing;
        auto* caption = new QLabel(QString::number(n), sheet);
        caption->setGeometry(page.editLeft - 28, y + 2, 20, 18);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edits[n] = makeEdit(sheet, page.editName.arg(n), page.editLeft, y, page.editWidth, page.maxLength);
    }
    return sheet;
}

void TconfigForm::buildGroupsPage() {
    TabSheet4 = buildNumberedPage({"TabSheet4", u"Groups"_s, u"GROUP NAMES"_s, "Label8", u"(32 chars max)"_s,
                                   u"group%1NameEdit"_s, groupCount, 40, 23, 108, 225, groupNameMaxLength},
                                  groupNameEdits);
}

void TconfigForm::buildMessagesPage() {
    TabSheet3 = buildNumberedPage({"TabSheet3", u"Quick-messages"_s, u"QUICK-MESSAGES"_s, "Label9",
                                   u"(100 chars max)"_s, u"message%1Edit"_s, quickMessageCount, 44, 27, 118, 213, 100},
                                  messageEdits);
}

void TconfigForm::hideServicesPage() {
    PageControl1->setTabVisible(PageControl1->indexOf(servicesTabSheet), false);
}

void TconfigForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

// Esc does not close this window; only Save, Cancel and the close box do. Enter presses the button
// that has the keyboard focus and no other.
void TconfigForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || pressFocusedButton(*this, *event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TconfigForm::FormShow() {
    PageControl1->setCurrentWidget(TabSheet1);
    for (int n = 1; n <= serviceCount; ++n) {
        const serviceRecordType& service = m_services[n];
        const QString values[5] = {service.name, service.ip, QString::number(service.port),
                                   QString::number(service.maxChars), QString::number(service.splitChars)};
        for (int c = 0; c < 5; ++c) {
            showWhole(*serviceEdits[n][c], values[c]);
        }
    }
    showWhole(*timeoutEdit, QString::number(m_settings.timeout));
    for (int n = 1; n <= quickMessageCount; ++n) {
        showWhole(*messageEdits[n], m_settings.quickMessages[n]);
    }
    for (int n = 1; n <= groupCount; ++n) {
        showWhole(*groupNameEdits[n], m_settings.groupNames[n]);
    }
    loggingEnabledCheckbox->setChecked(m_settings.loggingEnabled);
    showWhole(*loggingDirEdit, m_settings.loggingDir);
    loggingDirEdit->setCursorPosition(0); // a long path shows its start, where it differs
    hideCheckallCheckbox->setChecked(m_settings.hideCheckAllButton);
}

void TconfigForm::SaveButtonClick() {
    bool ok = false;
    const int timeout = timeoutEdit->text().toInt(&ok);
    if (!ok) {
        m_dialogs.showMessage(u"'%1' is not a valid integer value"_s.arg(timeoutEdit->text()));
        return;
    }
    m_settings.timeout = timeout;
    for (int n = 1; n <= quickMessageCount; ++n) {
        m_settings.quickMessages[n] = messageEdits[n]->text();
    }
    m_settings.loggingEnabled = loggingEnabledCheckbox->isChecked();
    m_settings.loggingDir = loggingDirEdit->text();
    m_settings.hideCheckAllButton = hideCheckallCheckbox->isChecked();
    for (int n = 1; n <= groupCount; ++n) {
        m_settings.groupNames[n] = groupNameEdits[n]->text();
    }
    writeSettings(m_settings); // a refused write raises "Unable to write to ..." and the window stays open
    splitIPintoParts(m_services);
    if (m_checkAllButton != nullptr) {
        m_checkAllButton->setVisible(!m_settings.hideCheckAllButton);
    }
    accept();
}

void TconfigForm::CancelButtonClick() {
    reject();
}

} // namespace corvane
