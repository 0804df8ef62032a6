#pragma once

#include "engine/serviceTable.h"
#include "platform/oneBased.h"
#include "settings/settings.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace corvane {

class OperatorDialogs;

// The configuration window: time-out, logging, the "Select All" switch, group names and quick
// messages. Every showing reloads the fields from memory; Save puts them into effect and into the
// settings file, Cancel discards them.
class TconfigForm final : public QDialog {
    Q_OBJECT

public:
    TconfigForm(Settings& settings, ServiceTable& services, OperatorDialogs& dialogs);

    // The main window's "Select All" button, which Save shows or hides at once.
    void setCheckAllButton(QWidget* button) { m_checkAllButton = button; }
    void hideServicesPage();

    void FormShow();
    void SaveButtonClick();
    void CancelButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Window elements, named as their objectName; code outside the window finds them by that name.
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* servicesTabSheet;
    QWidget* TabSheet4;
    QWidget* TabSheet3;
    QLineEdit* timeoutEdit;
    QCheckBox* loggingEnabledCheckbox;
    QLineEdit* loggingDirEdit;
    QCheckBox* hideCheckallCheckbox;
    OneBased<QLineEdit*, groupCount> groupNameEdits;
    OneBased<QLineEdit*, quickMessageCount> messageEdits;
    OneBased<std::array<QLineEdit*, 5>, serviceCount> serviceEdits; // name, ip, port, maxChars, splitChars
    QPushButton* SaveButton;
    QPushButton* CancelButton;

    struct NumberedPage {
        const char* objectName;
        QString tabCaption;
        QString heading;
        const char* noteName;
        QString note;
        QString editName; // with %1 for the row number
        int rows;
        int top;
        int spacing;
        int editLeft;
        int editWidth;
        int maxLength;
    };

    template <int N>
    QWidget* buildNumberedPage(const NumberedPage& page, OneBased<QLineEdit*, N>& edits);
    void buildGeneralPage();
    void buildServicesPage();
    void buildGroupsPage();
    void buildMessagesPage();

    Settings& m_settings;
    ServiceTable& m_services;
    OperatorDialogs& m_dialogs;
    QWidget* m_checkAllButton = nullptr;
};

} // namespace corvane
