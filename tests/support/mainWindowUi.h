#pragma once

#include "platform/oneBased.h"
#include "settings/settings.h"
#include "ui/Unit1.h"
#include "ui/toolkit/checkListBox.h"
#include "ui/toolkit/namedChild.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

namespace corvane::test {

// The main window's elements as the operator sees them, found by their objectName: the window keeps
// its widgets to itself, and a renamed or missing element fails the test that needs it by name.
struct MainWindowUi {
    explicit MainWindowUi(const TForm1& window)
        : messagePanel(find<QWidget>(window, "messagePanel"))
        , messageLabel(find<QLabel>(window, "messageLabel"))
        , toNameLabel(find<QLabel>(window, "toNameLabel"))
        , arrowlabel(find<QLabel>(window, "arrowlabel"))
        , toIdedit(find<QLineEdit>(window, "toIdedit"))
        , editIdButton(find<QPushButton>(window, "editIdButton"))
        , lengthLabel(find<QLabel>(window, "lengthLabel"))
        , messageMemo(find<MessageMemo>(window, "messageMemo"))
        , clearButton(find<QPushButton>(window, "clearButton"))
        , sendButton(find<QPushButton>(window, "sendButton"))
        , cancelSendButton(find<QPushButton>(window, "cancelSendButton"))
        , messageStatusLabel(find<QLabel>(window, "messageStatusLabel"))
        , namesListbox(find<CheckListBox>(window, "namesListbox"))
        , NamesSelectingPanel(find<QWidget>(window, "NamesSelectingPanel"))
        , checkAllButton(find<QPushButton>(window, "checkAllButton"))
        , uncheckAllButton(find<QPushButton>(window, "uncheckAllButton"))
        , instructionsButton(find<QPushButton>(window, "instructionsButton"))
        , typeNameedit(find<QLineEdit>(window, "typeNameedit"))
        , groupSelectingLabel(find<QLabel>(window, "groupSelectingLabel"))
        , groupsListBox(find<QListWidget>(window, "groupsListBox"))
        , StatusBar1(find<QStatusBar>(window, "StatusBar1"))
        , SendOptions1(find<QMenu>(window, "SendOptions1"))
        , Data1(find<QAction>(window, "Data1"))
        , SendFutureDelivery1(find<QAction>(window, "SendFutureDelivery1")) {
        for (int n = pickButtons.first; n <= pickButtons.last; ++n) {
            pickButtons[n] = namedChild<QPushButton>(window, QStringLiteral("pickButton%1").arg(n));
        }
    }

    QWidget* messagePanel;
    QLabel* messageLabel;
    QLabel* toNameLabel;
    QLabel* arrowlabel;
    QLineEdit* toIdedit;
    QPushButton* editIdButton;
    QLabel* lengthLabel;
    MessageMemo* messageMemo;
    QPushButton* clearButton;
    OneBased<QPushButton*, quickMessageCount> pickButtons;
    QPushButton* sendButton;
    QPushButton* cancelSendButton;
    QLabel* messageStatusLabel;
    CheckListBox* namesListbox;
    QWidget* NamesSelectingPanel;
    QPushButton* checkAllButton;
    QPushButton* uncheckAllButton;
    QPushButton* instructionsButton;
    QLineEdit* typeNameedit;
    QLabel* groupSelectingLabel;
    QListWidget* groupsListBox;
    QStatusBar* StatusBar1;
    QMenu* SendOptions1;
    QAction* Data1;
    QAction* SendFutureDelivery1;

private:
    template <typename T>
    static T* find(const TForm1& window, const char* name) {
        return namedChild<T>(window, QString::fromLatin1(name));
    }
};

} // namespace corvane::test
