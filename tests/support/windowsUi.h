#pragma once

#include "engine/serviceTable.h"
#include "platform/oneBased.h"
#include "settings/settings.h"
#include "ui/config.h"
#include "ui/contactsGridForm.h"
#include "ui/results.h"
#include "ui/sendLater.h"
#include "ui/toolkit/namedChild.h"
#include "ui/viewContact.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <array>

// The elements of the windows other than the main one, as the operator sees them, found by their
// objectName: each window keeps its widgets to itself, and a renamed or missing element fails the
// test that needs it by name.
namespace corvane::test {

namespace detail {
template <typename T>
T* find(const QObject& window, const char* name) {
    return namedChild<T>(window, QString::fromLatin1(name));
}
template <typename T>
T* find(const QObject& window, const QString& name) {
    return namedChild<T>(window, name);
}
} // namespace detail

struct ConfigWindowUi {
    explicit ConfigWindowUi(const TconfigForm& window)
        : PageControl1(detail::find<QTabWidget>(window, "PageControl1"))
        , TabSheet1(detail::find<QWidget>(window, "TabSheet1"))
        , servicesTabSheet(detail::find<QWidget>(window, "servicesTabSheet"))
        , TabSheet4(detail::find<QWidget>(window, "TabSheet4"))
        , TabSheet3(detail::find<QWidget>(window, "TabSheet3"))
        , timeoutEdit(detail::find<QLineEdit>(window, "timeoutEdit"))
        , loggingEnabledCheckbox(detail::find<QCheckBox>(window, "loggingEnabledCheckbox"))
        , loggingDirEdit(detail::find<QLineEdit>(window, "loggingDirEdit"))
        , hideCheckallCheckbox(detail::find<QCheckBox>(window, "hideCheckallCheckbox"))
        , SaveButton(detail::find<QPushButton>(window, "SaveButton"))
        , CancelButton(detail::find<QPushButton>(window, "CancelButton")) {
        for (int n = 1; n <= groupCount; ++n) {
            groupNameEdits[n] = detail::find<QLineEdit>(window, QStringLiteral("group%1NameEdit").arg(n));
        }
        for (int n = 1; n <= quickMessageCount; ++n) {
            messageEdits[n] = detail::find<QLineEdit>(window, QStringLiteral("message%1Edit").arg(n));
        }
        const char* kinds[5] = {"name", "ip", "port", "maxChars", "splitChars"};
        for (int n = 1; n <= serviceCount; ++n) {
            for (int c = 0; c < 5; ++c) {
                serviceEdits[n][c] = detail::find<QLineEdit>(
                    window, QStringLiteral("service%1%2Edit").arg(n).arg(QString::fromLatin1(kinds[c])));
            }
        }
    }

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
};

struct ContactsWindowUi {
    explicit ContactsWindowUi(const TcontactsGridForm& window)
        : nameEdit(detail::find<QLineEdit>(window, "nameEdit"))
        , idEdit(detail::find<QLineEdit>(window, "idEdit"))
        , ServicenumberEdit(detail::find<QLineEdit>(window, "ServicenumberEdit"))
        , passwordEdit(detail::find<QLineEdit>(window, "passwordEdit"))
        , passwordLabel(detail::find<QLabel>(window, "passwordLabel"))
        , optionalLabel(detail::find<QLabel>(window, "optionalLabel"))
        , DBGrid1(detail::find<QTableView>(window, "DBGrid1"))
        , Insertbutton(detail::find<QPushButton>(window, "Insertbutton"))
        , deleteButton(detail::find<QPushButton>(window, "deleteButton"))
        , Updatebutton(detail::find<QPushButton>(window, "Updatebutton"))
        , cancelButton(detail::find<QPushButton>(window, "cancelButton"))
        , GroupSelectComboBox(detail::find<QComboBox>(window, "GroupSelectComboBox"))
        , showAllContactsButton(detail::find<QPushButton>(window, "showAllContactsButton"))
        , showingGroupsLabel(detail::find<QLabel>(window, "showingGroupsLabel"))
        , exitButton(detail::find<QPushButton>(window, "exitButton")) {
        for (int g = 1; g <= groupCount; ++g) {
            groupCheckboxes[g] = detail::find<GroupCheckBox>(window, QStringLiteral("group%1checkbox").arg(g));
        }
        for (int n = 1; n <= serviceCount; ++n) {
            serviceLabels[n] = detail::find<QLabel>(window, QStringLiteral("service%1Label").arg(n));
        }
    }

    QLineEdit* nameEdit;
    QLineEdit* idEdit;
    QLineEdit* ServicenumberEdit;
    QLineEdit* passwordEdit;
    QLabel* passwordLabel;
    QLabel* optionalLabel;
    OneBased<GroupCheckBox*, groupCount> groupCheckboxes;
    QTableView* DBGrid1;
    QPushButton* Insertbutton;
    QPushButton* deleteButton;
    QPushButton* Updatebutton;
    QPushButton* cancelButton;
    QComboBox* GroupSelectComboBox;
    QPushButton* showAllContactsButton;
    QLabel* showingGroupsLabel;
    OneBased<QLabel*, serviceCount> serviceLabels;
    QPushButton* exitButton;
};

struct SendLaterUi {
    explicit SendLaterUi(const TSendLaterForm& window)
        : monthEdit(detail::find<QLineEdit>(window, "monthEdit"))
        , dateEdit(detail::find<QLineEdit>(window, "dateEdit"))
        , yearEdit(detail::find<QLineEdit>(window, "yearEdit"))
        , timeEdit(detail::find<QLineEdit>(window, "timeEdit"))
        , amPmComboBox(detail::find<QComboBox>(window, "amPmComboBox"))
        , sendButton(detail::find<QPushButton>(window, "sendButton"))
        , cancelButton(detail::find<QPushButton>(window, "cancelButton")) {}

    QLineEdit* monthEdit;
    QLineEdit* dateEdit;
    QLineEdit* yearEdit;
    QLineEdit* timeEdit;
    QComboBox* amPmComboBox;
    QPushButton* sendButton;
    QPushButton* cancelButton;
};

struct ViewContactUi {
    explicit ViewContactUi(const TviewContactForm& window)
        : nameLabel(detail::find<QLabel>(window, "nameLabel"))
        , idLabel(detail::find<QLabel>(window, "idLabel"))
        , serviceLabel(detail::find<QLabel>(window, "serviceLabel")) {}

    QLabel* nameLabel;
    QLabel* idLabel;
    QLabel* serviceLabel;
};

struct ResultsUi {
    explicit ResultsUi(const TsendingMemoForm& window)
        : sendingMemo(detail::find<QPlainTextEdit>(window, "sendingMemo")) {}

    QPlainTextEdit* sendingMemo;
};

inline ConfigWindowUi ui(const TconfigForm& window) {
    return ConfigWindowUi(window);
}
inline ContactsWindowUi ui(const TcontactsGridForm& window) {
    return ContactsWindowUi(window);
}
inline SendLaterUi ui(const TSendLaterForm& window) {
    return SendLaterUi(window);
}
inline ViewContactUi ui(const TviewContactForm& window) {
    return ViewContactUi(window);
}
inline ResultsUi ui(const TsendingMemoForm& window) {
    return ResultsUi(window);
}

} // namespace corvane::test
