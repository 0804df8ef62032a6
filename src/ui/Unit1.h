#pragma once

#include "engine/contactDirectory.h"
#include "engine/deferredRequests.h"
#include "engine/engineOutputs.h"
#include "engine/recipientSelection.h"
#include "platform/oneBased.h"
#include "settings/settings.h"

#include <QMainWindow>
#include <QPlainTextEdit>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QStatusBar;
class QTimer;

namespace corvane {

class CheckListBox;
class Clock;
class contactsCursor;
class ContactsStore;
class GuardedTcpEvents;
class OperatorDialogs;
class ActivityLog;
class ModalRunner;
class PagingEngine;
class SocketClient;
class TAboutForm;
class TconfigForm;
class TcontactsGridForm;
class TDataModule2;
class TSendLaterForm;
class TInstructionsForm;
class TsendingMemoForm;
class TviewContactForm;
struct RecipientSelection;

// The message editor: at most 999 characters, and Enter inserts no line break.
class MessageMemo final : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr int maxLength = messageMaxLength;
    explicit MessageMemo(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void enforceMaxLength();
};

// The other windows the main window opens; each may be absent (not created yet).
struct SecondaryWindows {
    TviewContactForm* viewContactForm = nullptr;
    TInstructionsForm* InstructionsForm = nullptr;
    TsendingMemoForm* sendingMemoForm = nullptr;
    TAboutForm* AboutForm = nullptr;
    TconfigForm* configForm = nullptr;
    TcontactsGridForm* contactsGridForm = nullptr;
    TSendLaterForm* SendLaterForm = nullptr;
};

// The main window: message editor, recipient selection, Send and Cancel, status displays. It shows
// what the engine reports and hands Send, Cancel, the timer and the posted requests to the engine;
// all paging logic lives in the engine.
// The application's title, as the system and the windows show it.
inline constexpr const char16_t* programTitle = u"Corvane v3";

class TForm1 final : public QMainWindow, public EngineOutputs, public DeferredRequests, public ContactDirectory {
    Q_OBJECT

public:
    // Runs FormCreate: caption, service table, settings (with the log directory check), address split.
    TForm1(Settings& settings, OperatorDialogs& dialogs, ModalRunner& modal, const Clock& clock);
    ~TForm1() override;

    void setSecondaryWindows(const SecondaryWindows& windows) { m_windows = windows; }
    // The data module is created after the windows; the contacts cursor comes with it.
    void setDataModule(TDataModule2& dataModule);

    PagingEngine& engine() { return *m_engine; }
    contactsCursor* contactsTable() { return m_contactsTable.get(); }
    OperatorDialogs& dialogs() { return m_dialogs; }

    // Handlers, public so that the program and its tests can reach them as the operator would.
    void FormShow();
    void sendButtonClick(bool fromSendButton = true);
    // The results window's "Page again those not paged": the last job's message and delivery time
    // to those of its recipients who were not paged, through the same Send.
    void pageAgainThoseNotPaged();
    void cancelSendButtonClick();
    void Timer1Timer();
    void messageMemoChange();
    void clearButtonClick();
    void pickButtonClick(int n);
    void instructionsButtonClick();
    void About1Click();
    void Configure1Click();
    void ContactsDatabase1Click();
    void sendLaterButtonClick();
    void fillNamesListBox();
    void fillGroupslistbox();
    void namesListboxClick();
    void namesListboxStateChange(int index, Qt::CheckState oldState, Qt::CheckState newState);
    void namesListboxDblClick();
    void checkAllButtonClick();
    void uncheckAllButtonClick();
    void groupsListBoxClick();
    void editIdButtonClick();
    void typeNameeditChange();
    bool typeNameeditKeyDown(int key); // true when the key was consumed
    void resetToNoRecipient();

    RecipientSelection currentSelection(bool fromSendButton) const;

    // EngineOutputs
    void setStatusText(const QString& text) override;
    void setPhaseWord(const QString& word) override;
    void clearResults() override;
    void appendResult(const QString& line) override;
    void showResults() override;
    void setBanner(const QString& text) override;
    void recipientOutcome(const RecipientOutcome& outcome) override;
    void holdRefused(const QString& serviceName, const QString& reply) override;
    void jobEnded(const JobReport& report) override;
    // DeferredRequests
    void postGotDisconnect() override;
    void postTryAlt() override;
    // ContactDirectory: the main window's cursor, once the data module exists.
    bool lookupContact(const QString& name, LookedUpContact& found) override;
    void readAllContacts(const std::function<void(const contactRecordType&)>& visit) override;
    void readGroupMembers(int group, const std::function<void(const contactRecordType&)>& visit) override;

    int arrowCountdown() const { return m_arrowCountdown; }
    // The "Select All" button, which the configuration window shows or hides.
    QWidget& selectAllButton();

signals:
    // A started send has ended; for programs and benchmarks that wait on it.
    void sendFinished(const corvane::JobReport& report);

protected:
    bool event(QEvent* event) override;
    void customEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildElements();
    void buildMessageArea(QWidget& area);
    void buildRecipientArea(QWidget& area);
    void chainTabOrder();
    void buildStatusBarAndTimer();
    void connectHandlers();
    void buildMenu();
    void setIdFieldForDisplay(const QString& text);
    void startSend(const RecipientSelection& selection);
    void guarded(const std::function<void()>& handler);

    // Window elements, named as their objectName; code outside the window finds them by that name.
    QWidget* messagePanel;
    QLabel* messageLabel;
    QLabel* Image1;
    QLabel* Label2;
    QLabel* toNameLabel;
    QLabel* arrowlabel;
    QLineEdit* toIdedit;
    QPushButton* editIdButton;
    QLabel* Label1;
    QLabel* lengthLabel;
    MessageMemo* messageMemo;
    QPushButton* clearButton;
    QLabel* standardMessagesLabel;
    OneBased<QPushButton*, quickMessageCount> pickButtons;
    QPushButton* sendButton;
    QPushButton* cancelSendButton;
    QLabel* Label3;
    QLabel* messageStatusLabel;
    QLabel* Label4;
    CheckListBox* namesListbox;
    QWidget* NamesSelectingPanel;
    QPushButton* checkAllButton;
    QPushButton* uncheckAllButton;
    QPushButton* instructionsButton;
    QLabel* Label8;
    QLineEdit* typeNameedit;
    QLabel* Label5;
    QLabel* groupSelectingLabel;
    QListWidget* groupsListBox;
    QStatusBar* StatusBar1;
    QAction* Exit1;
    QAction* Configure1;
    QAction* Data1;
    QMenu* SendOptions1;
    QAction* SendFutureDelivery1;
    QAction* About1;
    QTimer* Timer1;

    Settings& m_settings;
    OperatorDialogs& m_dialogs;
    ModalRunner& m_modal;
    std::unique_ptr<SocketClient> m_clientSocket;
    std::unique_ptr<ActivityLog> m_log;
    std::unique_ptr<PagingEngine> m_engine;
    std::unique_ptr<GuardedTcpEvents> m_guardedEvents;
    std::unique_ptr<contactsCursor> m_contactsTable;
    std::unique_ptr<ContactsStore> m_store;
    SecondaryWindows m_windows;
    int m_arrowCountdown = 0;
    bool m_shown = false;
    // The job under way or last ended, as "Page again those not paged" repeats it.
    struct SentJob {
        QString message;
        QString hold;
        QStringList notPaged; // names, as chosen
    } m_lastJob;
};

} // namespace corvane
