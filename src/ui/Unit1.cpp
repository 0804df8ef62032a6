#include "ui/Unit1.h"

#include "contacts/contactsCursor.h"
#include "contacts/contactsStore.h"
#include "engine/eventLoopDeferredRequests.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "platform/error.h"
#include "platform/longTimeFormat.h"
#include "platform/operatorDialogs.h"
#include "settings/activityLog.h"
#include "settings/settings.h"
#include "transport/guardedTcpEvents.h"
#include "transport/socketClient.h"
#include "ui/about.h"
#include "ui/config.h"
#include "ui/contactsGridForm.h"
#include "ui/instructions.h"
#include "ui/results.h"
#include "ui/sendLater.h"
#include "ui/toolkit/checkListBox.h"
#include "ui/toolkit/handlerGuard.h"
#include "ui/toolkit/modalRunner.h"
#include "ui/toolkit/pickList.h"
#include "ui/toolkit/typingLimit.h"
#include "ui/windowStyle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

constexpr int clientWidth = 621;
constexpr int clientHeight = 470;
constexpr int statusBarHeight = 22;

QPixmap decorativePicture() {
    QPixmap picture(269, 55);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 269, 55);
    sky.setColorAt(0, QColor(0x1B, 0x3A, 0x6B));
    sky.setColorAt(1, QColor(0x6F, 0xA8, 0xDC));
    painter.fillRect(picture.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 160), 2));
    for (int r = 10; r <= 40; r += 10) {
        painter.drawArc(QRect(230 - r, 28 - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
    }
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPointSize(16);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(12, 0, 200, 55), Qt::AlignVCenter | Qt::AlignLeft, u"Corvane"_s);
    return picture;
}

} // namespace

MessageMemo::MessageMemo(QWidget* parent)
    : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, &MessageMemo::enforceMaxLength);
}

void MessageMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// Typing, pasting or placing a quick message never leaves more than the limit in the editor.
void MessageMemo::enforceMaxLength() {
    const QString text = toPlainText();
    if (text.size() <= maxLength) {
        return;
    }
    QTextCursor cursor = textCursor();
    const int position = std::min(cursor.position(), maxLength);
    QSignalBlocker blocker(this);
    setPlainText(text.left(maxLength));
    cursor = textCursor();
    cursor.setPosition(position);
    setTextCursor(cursor);
    blocker.unblock();
    emit textChanged();
}

TForm1::TForm1(Settings& settings, OperatorDialogs& dialogs, ModalRunner& modal, const Clock& clock)
    : m_settings(settings)
    , m_dialogs(dialogs)
    , m_modal(modal)
    , m_clientSocket(std::make_unique<SocketClient>()) {
    setObjectName(u"Form1"_s);
    // A fixed border with the system menu, minimise and close, and no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const LongTimeFormat timeFormat = LongTimeFormat::fromLocale(QLocale::system());
    m_log = std::make_unique<ActivityLog>(settings, clock, timeFormat);
    m_engine = std::make_unique<PagingEngine>(
        EngineWiring{*m_clientSocket, *this, *this, *this, settings, *m_log, clock, timeFormat, nullptr});
    m_guardedEvents =
        std::make_unique<GuardedTcpEvents>(*m_engine, [this](const Error& e) { m_dialogs.showMessage(e.text()); });
    m_clientSocket->setEvents(m_guardedEvents.get());
    buildElements();
    buildMenu();
    messageMemo->setAccessibleName(u"Message"_s);
    toIdedit->setAccessibleName(u"Pager ID"_s);
    namesListbox->setAccessibleName(u"Contacts list"_s);
    groupsListBox->setAccessibleName(u"Groups"_s);
    for (int n = 1; n <= quickMessageCount; ++n) {
        pickButtons[n]->setAccessibleName(u"Quick message %1"_s.arg(n));
    }
    nameControlsForScreenReaders(*this);
    FormCreate();
}

TForm1::~TForm1() {
    Timer1->stop();
    m_clientSocket->setEvents(nullptr);
}

void TForm1::FormCreate() {
    setWindowTitle(u"Corvane    "_s + QString::fromLatin1(companyName) + u"  "_s +
                   QString::fromLatin1(supportTelephone));
    QApplication::setApplicationName(QString::fromUtf16(programTitle));
    fillBuiltinServiceTable(m_engine->serviceTable());
    readSettings(m_settings, m_dialogs);
    splitIPintoParts(m_engine->serviceTable());
    SendOptions1->menuAction()->setVisible(false);
}

void TForm1::buildElements() {
    auto* central = new QWidget(this);
    central->setObjectName(u"clientArea"_s);
    central->setFixedSize(clientWidth, clientHeight - statusBarHeight);
    setCentralWidget(central);

    buildMessageArea(*central);
    buildRecipientArea(*central);
    chainTabOrder();
    buildStatusBarAndTimer();
    connectHandlers();
}

// The left column: banner, picture, the recipient marker and pager ID, the message with its quick
// messages, Send and Cancel, and the message status.
void TForm1::buildMessageArea(QWidget& area) {
    messagePanel = new QFrame(&area);
    messagePanel->setObjectName(u"messagePanel"_s);
    static_cast<QFrame*>(messagePanel)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    messagePanel->setGeometry(0, 0, clientWidth, 24);
    messageLabel = makeLabel(messagePanel, "messageLabel", u"Hello world!"_s, 2, 3, 100, 18);
    setTextColour(*messageLabel, Qt::blue);
    messageLabel->adjustSize();

    Image1 = makeLabel(&area, "Image1", QString(), 8, 30, 269, 55);
    Image1->setPixmap(decorativePicture());

    Label2 = makeLabel(&area, "Label2", u" TO: "_s, 8, 94, 36, 20);
    setBackground(*Label2, Qt::white);
    toNameLabel = makeLabel(&area, "toNameLabel", u"[ ]"_s, 48, 94, 205, 20);
    arrowlabel = makeLabel(&area, "arrowlabel", u" <-- "_s, 256, 94, 36, 20);
    setBackground(*arrowlabel, indicatorYellow);
    setTextColour(*arrowlabel, Qt::black);
    arrowlabel->hide();

    toIdedit = new QLineEdit(&area);
    toIdedit->setObjectName(u"toIdedit"_s);
    toIdedit->setGeometry(48, 118, 140, 22);
    limitTyping(*toIdedit, pagerIdMaxLength);
    toIdedit->setEnabled(false);
    setBackground(*toIdedit, silver);
    // The picked contact's pager ID stays readable in the disabled field.
    QPalette idPalette = toIdedit->palette();
    idPalette.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    toIdedit->setPalette(idPalette);
    editIdButton = makeButton(&area, "editIdButton", u"<-- Direct Entry"_s, 192, 117, 100, 24);

    Label1 = makeLabel(&area, "Label1", u" Message: "_s, 8, 150, 70, 18);
    setBackground(*Label1, Qt::white);
    lengthLabel = makeLabel(&area, "lengthLabel", u"(0)"_s, 182, 150, 110, 18);
    lengthLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    messageMemo = new MessageMemo(&area);
    messageMemo->setObjectName(u"messageMemo"_s);
    messageMemo->setGeometry(8, 170, 284, 106);
    messageMemo->setPlainText(u"messageMemo"_s);

    clearButton = makeButton(&area, "clearButton", u"Clear"_s, 8, 282, 58, 24);
    clearButton->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    // The caption takes the width its text needs at the window's font, and the eight buttons follow it.
    standardMessagesLabel = makeLabel(&area, "standardMessagesLabel", u"Quick-Messages:"_s, 68, 285, 100, 18);
    standardMessagesLabel->setFixedWidth(standardMessagesLabel->fontMetrics().horizontalAdvance(u"Quick-Messages:"_s) +
                                         2);
    const int firstPick = standardMessagesLabel->geometry().right() + 2;
    for (int n = 1; n <= quickMessageCount; ++n) {
        auto* button = new QPushButton(QString::number(n), &area);
        button->setObjectName(u"pickButton"_s + QString::number(n));
        button->setGeometry(firstPick + (n - 1) * 16, 283, 16, 21);
        pickButtons[n] = button;
        connectGuarded(button, &QPushButton::clicked, this, m_dialogs, [this, n] { pickButtonClick(n); });
    }

    QFont bold = font();
    bold.setBold(true);
    sendButton = makeButton(&area, "sendButton", u"&Send"_s, 8, 316, 138, 40);
    sendButton->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    sendButton->setFont(bold);
    cancelSendButton = makeButton(&area, "cancelSendButton", u"&Cancel"_s, 154, 316, 138, 40);
    cancelSendButton->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    cancelSendButton->setFont(bold);

    Label3 = makeLabel(&area, "Label3", u"Message Status:"_s, 8, 368, 108, 18);
    messageStatusLabel = makeLabel(&area, "messageStatusLabel", u"NONE"_s, 118, 368, 170, 18);
}

// The right column: the names list with its selecting controls, the name search and the groups.
void TForm1::buildRecipientArea(QWidget& area) {
    Label4 = makeLabel(&area, "Label4", u"Contacts List:  (click to select)"_s, 308, 30, 204, 16);
    setTextColour(*Label4, captionNavy);
    namesListbox = new CheckListBox(&area);
    namesListbox->setObjectName(u"namesListbox"_s);
    namesListbox->setGeometry(308, 48, 204, 226);
    setBackground(*namesListbox, Qt::white);

    NamesSelectingPanel = new QFrame(&area);
    NamesSelectingPanel->setObjectName(u"NamesSelectingPanel"_s);
    static_cast<QFrame*>(NamesSelectingPanel)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    NamesSelectingPanel->setGeometry(518, 48, 96, 76);
    int y = 3;
    for (const auto& [name, text] :
         {std::pair{"Label6", u"SELECT"_s}, std::pair{"Label7", u"MULTIPLE"_s}, std::pair{"Label9", u"RECIPIENTS"_s}}) {
        auto* line = makeLabel(NamesSelectingPanel, name, text, 3, y, 90, 16);
        line->setAlignment(Qt::AlignCenter);
        setBackground(*line, indicatorYellow);
        y += 17;
    }
    auto* byChecking = makeLabel(NamesSelectingPanel, "Label10", u"by checking"_s, 3, y + 2, 90, 16);
    byChecking->setAlignment(Qt::AlignCenter);
    NamesSelectingPanel->hide();

    checkAllButton = makeButton(&area, "checkAllButton", u"Select All"_s, 518, 130, 96, 24);
    uncheckAllButton = makeButton(&area, "uncheckAllButton", u"De-select All"_s, 518, 158, 96, 24);
    instructionsButton = makeButton(&area, "instructionsButton", u"Instructions"_s, 518, 186, 96, 24);

    Label8 = makeLabel(&area, "Label8", u"name search:"_s, 308, 282, 80, 18);
    Label8->setFixedWidth(Label8->fontMetrics().horizontalAdvance(u"name search:"_s) + 2);
    typeNameedit = new QLineEdit(&area);
    typeNameedit->setObjectName(u"typeNameedit"_s);
    const int searchLeft = Label8->geometry().right() + 4;
    typeNameedit->setGeometry(searchLeft, 280, 512 - searchLeft, 22);
    setBackground(*typeNameedit, Qt::white);
    typeNameedit->installEventFilter(this);

    Label5 = makeLabel(&area, "Label5", u"Groups:  (click to select)"_s, 308, 310, 204, 16);
    setTextColour(*Label5, captionNavy);
    groupsListBox = new PickList(&area);
    groupsListBox->setObjectName(u"groupsListBox"_s);
    groupsListBox->setGeometry(308, 328, 204, 114);
    setBackground(*groupsListBox, Qt::white);
    groupSelectingLabel = makeLabel(&area, "groupSelectingLabel", u"GROUP SELECT"_s, 518, 328, 96, 24);
    groupSelectingLabel->setAlignment(Qt::AlignCenter);
    setBackground(*groupSelectingLabel, indicatorYellow);
    groupSelectingLabel->hide();
}

void TForm1::chainTabOrder() {
    // The message comes first: Tab from the window's start reaches the editor, then the left column
    // from top to bottom, then the recipient choosers on the right.
    QList<QWidget*> tabOrder{messageMemo, clearButton};
    for (QPushButton* button : pickButtons) {
        tabOrder.append(button);
    }
    tabOrder.append({sendButton, cancelSendButton, toIdedit, editIdButton, namesListbox, checkAllButton,
                     uncheckAllButton, instructionsButton, typeNameedit, groupsListBox});
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

void TForm1::buildStatusBarAndTimer() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(u"StatusBar1"_s);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(statusBarHeight);
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(333);
    connectGuarded(Timer1, &QTimer::timeout, this, m_dialogs, [this] { Timer1Timer(); });
    Timer1->start();
}

void TForm1::connectHandlers() {
    connectGuarded(messageMemo, &QPlainTextEdit::textChanged, this, m_dialogs, [this] { messageMemoChange(); });
    connectGuarded(clearButton, &QPushButton::clicked, this, m_dialogs, [this] { clearButtonClick(); });
    connectGuarded(sendButton, &QPushButton::clicked, this, m_dialogs, [this] { sendButtonClick(true); });
    connectGuarded(cancelSendButton, &QPushButton::clicked, this, m_dialogs, [this] { cancelSendButtonClick(); });
    connectGuarded(instructionsButton, &QPushButton::clicked, this, m_dialogs, [this] { instructionsButtonClick(); });
    connectGuarded(editIdButton, &QPushButton::clicked, this, m_dialogs, [this] { editIdButtonClick(); });
    connectGuarded(checkAllButton, &QPushButton::clicked, this, m_dialogs, [this] { checkAllButtonClick(); });
    connectGuarded(uncheckAllButton, &QPushButton::clicked, this, m_dialogs, [this] { uncheckAllButtonClick(); });
    connectGuarded(namesListbox, &CheckListBox::clicked, this, m_dialogs, [this] { namesListboxClick(); });
    connectGuarded(namesListbox, &CheckListBox::doubleClicked, this, m_dialogs, [this] { namesListboxDblClick(); });
    connectGuarded(namesListbox, &CheckListBox::stateChanged, this, m_dialogs,
                   [this](int index, Qt::CheckState oldState, Qt::CheckState newState) {
                       namesListboxStateChange(index, oldState, newState);
                   });
    connectGuarded(groupsListBox, &QListWidget::itemClicked, this, m_dialogs, [this] { groupsListBoxClick(); });
    // A keyboard move of the highlight (arrows, Home/End, page keys, a typed letter) picks the group
    // it lands on, as a click does: the marker, the indicators and Send must name the same group.
    // Moves made from code clear the highlight, which picks nothing.
    connectGuarded(groupsListBox, &QListWidget::currentRowChanged, this, m_dialogs, [this] { groupsListBoxClick(); });
    connectGuarded(typeNameedit, &QLineEdit::textEdited, this, m_dialogs, [this] { typeNameeditChange(); });
}

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(u"File"_s);
    file->setObjectName(u"File1"_s);
    Exit1 = file->addAction(u"Exit"_s);
    Exit1->setObjectName(u"Exit1"_s);
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    Configure1 = bar->addAction(u"Configure"_s);
    Configure1->setObjectName(u"Configure1"_s);
    connectGuarded(Configure1, &QAction::triggered, this, m_dialogs, [this] { Configure1Click(); });
    Data1 = bar->addAction(u"Contacts"_s);
    Data1->setObjectName(u"Data1"_s);
    connectGuarded(Data1, &QAction::triggered, this, m_dialogs, [this] { ContactsDatabase1Click(); });
    SendOptions1 = bar->addMenu(u"Send Options"_s);
    SendOptions1->setObjectName(u"SendOptions1"_s);
    SendOptions1->setEnabled(false);
    SendFutureDelivery1 = SendOptions1->addAction(u"Send, Future Delivery"_s);
    SendFutureDelivery1->setObjectName(u"SendFutureDelivery1"_s);
    connectGuarded(SendFutureDelivery1, &QAction::triggered, this, m_dialogs, [this] { sendLaterButtonClick(); });
    About1 = bar->addAction(u"About"_s);
    About1->setObjectName(u"About1"_s);
    connectGuarded(About1, &QAction::triggered, this, m_dialogs, [this] { About1Click(); });
    setFixedSize(clientWidth, clientHeight + bar->sizeHint().height());
    move(327, 262);
}

QWidget& TForm1::selectAllButton() {
    return *checkAllButton;
}

void TForm1::setDataModule(TDataModule2& dataModule) {
    m_contactsTable = std::make_unique<contactsCursor>(dataModule);
    m_store = std::make_unique<ContactsStore>(*m_contactsTable);
}

void TForm1::guarded(const std::function<void()>& handler) {
    runGuarded(m_dialogs, handler);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

// Runs once, when the event loop first shows the window. A failing step is reported with its own
// text and the steps after it are skipped; the window still opens.
void TForm1::FormShow() {
    guarded([&] {
        checkAllButton->setVisible(!m_settings.hideCheckAllButton);
        if (m_windows.configForm != nullptr) {
            m_windows.configForm->hideServicesPage();
        }
        if (m_windows.contactsGridForm != nullptr) {
            m_windows.contactsGridForm->hidePassword();
        }
        messageMemo->clear();
        setBanner(QString());
        if (!m_contactsTable) {
            throw Error(u"The contacts table is not available"_s);
        }
        m_contactsTable->Open();
        m_contactsTable->First();
        // The data module's folder was set when it was created; the import reads "names.txt" from
        // the working directory. An import that fails is said and the window still gets its lists.
        guarded([&] { importNamesFile(*m_contactsTable, m_contactsTable->dataModule(), m_dialogs); });
        fillNamesListBox();
        fillGroupslistbox();
        m_engine->prepareSendJob();
        typeNameedit->setFocus();
    });
}

void TForm1::sendButtonClick(bool fromSendButton) {
    startSend(currentSelection(fromSendButton));
}

void TForm1::startSend(const RecipientSelection& selection) {
    if (!m_engine->isIdle()) {
        return; // the Send of a running job does nothing; what it knows of the job stays
    }
    m_lastJob = {selection.message, QString(), {}};
    m_engine->sendButtonClick(selection);
    m_lastJob.hold = m_engine->holdValue();
}

void TForm1::pageAgainThoseNotPaged() {
    if (!m_engine->isIdle() || m_lastJob.notPaged.isEmpty()) {
        return;
    }
    RecipientSelection again = RecipientSelection::ofTickedNames(m_lastJob.notPaged, m_lastJob.message);
    again.fromSendButton = false; // the same delivery time as before
    m_engine->setHoldValue(m_lastJob.hold);
    startSend(again);
}

void TForm1::cancelSendButtonClick() {
    m_engine->cancelSendButtonClick();
}

void TForm1::Timer1Timer() {
    if (!arrowlabel->isHidden()) {
        if (--m_arrowCountdown <= 0) {
            arrowlabel->hide();
        }
    }
    m_engine->Timer1Timer();
    if (!messageLabel->text().isEmpty()) {
        if (messageLabel->x() + messageLabel->width() < messagePanel->width()) {
            messageLabel->move(messageLabel->x() + 4, messageLabel->y());
        } else {
            messageLabel->move(2, messageLabel->y());
        }
    }
}

void TForm1::messageMemoChange() {
    lengthLabel->setText(u"("_s + QString::number(messageMemo->toPlainText().size()) + u" chars.)"_s);
}

void TForm1::clearButtonClick() {
    messageMemo->clear();
    messageMemoChange();
}

void TForm1::pickButtonClick(int n) {
    const QString& message = m_settings.quickMessages[n];
    if (!message.isEmpty()) {
        messageMemo->setPlainText(message);
    }
}

void TForm1::instructionsButtonClick() {
    if (m_windows.InstructionsForm == nullptr) {
        return;
    }
    // Placed beside the main window as the other windows are, not where a window manager (or none)
    // would put it; once open it stays where the operator moved it.
    if (!m_windows.InstructionsForm->isVisible()) {
        m_windows.InstructionsForm->move(pos() + QPoint(50, 50));
    }
    m_windows.InstructionsForm->show();
    m_windows.InstructionsForm->raise();
    m_windows.InstructionsForm->activateWindow();
}

void TForm1::About1Click() {
    if (m_windows.AboutForm == nullptr) {
        return;
    }
    m_windows.AboutForm->versionLabel->setText(u"Version: "_s + QStringLiteral(CORVANE_VERSION));
    m_modal.showModal(*m_windows.AboutForm);
}

void TForm1::Configure1Click() {
    if (m_windows.configForm == nullptr) {
        return;
    }
    m_windows.configForm->move(pos() + QPoint(20, 20));
    m_modal.showModal(*m_windows.configForm);
    fillGroupslistbox();
}

// A table that cannot be opened stops here with its message: the window does not open.
void TForm1::ContactsDatabase1Click() {
    if (m_windows.contactsGridForm == nullptr) {
        return;
    }
    m_windows.contactsGridForm->move(pos() + QPoint(20, 20));
    m_windows.contactsGridForm->FormShow();
    m_modal.showModal(*m_windows.contactsGridForm);
    fillNamesListBox();
    resetToNoRecipient();
}

void TForm1::sendLaterButtonClick() {
    if (m_windows.SendLaterForm == nullptr) {
        return;
    }
    m_windows.SendLaterForm->move(pos() + QPoint(150, 50));
    m_modal.showModal(*m_windows.SendLaterForm);
    if (m_engine->holdValue().size() != 12) {
        return;
    }
    if (!m_engine->isIdle()) {
        // The running job reads the hold value at its next transaction; it must not pick this one up.
        m_engine->setHoldValue(QString());
        m_dialogs.showMessage(u"A send is in progress. The message was not sent; send it again when the "
                              u"current send has finished."_s);
        return;
    }
    sendButtonClick(false);
}

void TForm1::setStatusText(const QString& text) {
    StatusBar1->showMessage(text);
}

void TForm1::setPhaseWord(const QString& word) {
    messageStatusLabel->setText(word);
}

void TForm1::clearResults() {
    if (m_windows.sendingMemoForm != nullptr) {
        m_windows.sendingMemoForm->clearLines();
    }
}

void TForm1::appendResult(const QString& line) {
    if (m_windows.sendingMemoForm != nullptr) {
        m_windows.sendingMemoForm->appendLine(line);
    }
}

void TForm1::showResults() {
    if (m_windows.sendingMemoForm != nullptr) {
        if (!m_windows.sendingMemoForm->isVisible()) {
            m_windows.sendingMemoForm->move(pos() + QPoint(150, 50));
        }
        m_windows.sendingMemoForm->show();
    }
}

// The desktop names the recipients it queued and did not page in the results list (the engine
// writes those lines); one it left out at Send is not in the tally and gets no line, as before.
// Every one not paged is kept for "Page again those not paged".
void TForm1::recipientOutcome(const RecipientOutcome& outcome) {
    if (!outcome.paged && !m_lastJob.notPaged.contains(outcome.name)) {
        m_lastJob.notPaged.append(outcome.name);
    }
}

// The operator asked for a later delivery; a page that goes out at once must not pass unsaid.
void TForm1::holdRefused(const QString& serviceName, const QString& reply) {
    setStatusText(u"Warning: "_s + serviceName + u" did not accept the delivery time ("_s + reply +
                  u"); paged at once"_s);
}

void TForm1::jobEnded(const JobReport& report) {
    if (m_windows.sendingMemoForm != nullptr) {
        m_windows.sendingMemoForm->offerPageAgain(report.multiRecipient && !m_lastJob.notPaged.isEmpty());
    }
    emit sendFinished(report);
}

void TForm1::setBanner(const QString& text) {
    messageLabel->setText(text);
    messageLabel->adjustSize();
}

void TForm1::postGotDisconnect() {
    postDeferredRequest(*this, DeferredRequest::gotDisconnect);
}

void TForm1::postTryAlt() {
    postDeferredRequest(*this, DeferredRequest::tryAlt);
}

// The status bar holds what the program says (an engine's error stays until the next one); the
// menu's empty status tips, sent as the pointer passes over it, would wipe it.
bool TForm1::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        event->accept();
        return true;
    }
    return QMainWindow::event(event);
}

void TForm1::customEvent(QEvent* event) {
    guarded([&] { runDeferredRequest(*event, *m_engine); });
}

bool TForm1::lookupContact(const QString& name, LookedUpContact& found) {
    return m_store && m_contactsTable->Active() && m_store->lookupContact(name, found);
}

void TForm1::readAllContacts(const std::function<void(const contactRecordType&)>& visit) {
    if (m_store && m_contactsTable->Active()) {
        m_store->readAllContacts(visit);
    }
}

void TForm1::readGroupMembers(int group, const std::function<void(const contactRecordType&)>& visit) {
    if (m_store && m_contactsTable->Active()) {
        m_store->readGroupMembers(group, visit);
    }
}

} // namespace corvane
