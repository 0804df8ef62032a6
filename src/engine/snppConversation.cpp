// The SNPP dialogue on one connection: greeting, LOGI, HOLD, then PAGE / MESS / SEND for every
// chunk of every recipient, then QUIT. Driven by the TCP client's notifications.
#include "engine/engineOutputs.h"
#include "engine/messageChunks.h"
#include "engine/pagingEngine.h"
#include "engine/snppCommands.h"
#include "platform/error.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

enum class ReplyClass { Greeting, Accepted, Refused, Closing, Other };

// Each delivery is one reply, classified by its first three characters only.
ReplyClass classify(const QString& code) {
    if (code == u"220"_s) {
        return ReplyClass::Greeting;
    }
    if (code == u"250"_s) {
        return ReplyClass::Accepted;
    }
    if (code.startsWith(u'5') || code == u"421"_s) {
        return ReplyClass::Refused;
    }
    if (code == u"221"_s) {
        return ReplyClass::Closing;
    }
    return ReplyClass::Other;
}

constexpr QChar stx = QChar(0x02);

// A reply as a reason for not paging: its text without the line end.
QString replyText(const QString& reply) {
    QString text = reply;
    while (text.endsWith(u'\n') || text.endsWith(u'\r')) {
        text.chop(1);
    }
    return text;
}

} // namespace

// Each delivery is one reply, classified by its first line: a server that adds a second line to a
// reply (a notice after the greeting, a stray line) must not put the dialogue out of step, so the
// rest of that delivery is dropped. A delivery without a line end is the start of a reply still on
// its way and is joined with the next one. Once the engine has asked to close, nothing more is read.
void PagingEngine::clientSocketDataIn(TcpClient&, const QString& Text, bool) {
    if (m_closing == Closing::Requested) {
        return;
    }
    QStringView text(Text);
    if (m_discardToLineEnd) {
        // The tail of a reply that was answered already for its length: it is no reply of its own.
        const qsizetype end = text.indexOf(u'\n');
        if (end < 0) {
            return;
        }
        m_discardToLineEnd = false;
        text = text.sliced(end + 1);
        if (text.isEmpty()) {
            return;
        }
    }
    m_replyBuffer += text;
    const qsizetype end = m_replyBuffer.indexOf(u'\n');
    if (end >= 0) {
        const QString reply = m_replyBuffer.left(end + 1);
        m_replyBuffer.clear();
        handleReply(reply);
        return;
    }
    // A server that never ends its line still gets an answer once the line can no longer be a reply
    // still on its way; whatever more of that line comes is dropped.
    if (m_replyBuffer.size() > maxReplyLength) {
        m_discardToLineEnd = true;
        handleReply(std::exchange(m_replyBuffer, QString()));
    }
}

void PagingEngine::handleReply(const QString& Text) {
    const QString code = Text.left(3);
    const ReplyClass replyClass = classify(code);
    if (m_job.state == EngineState::BeforePageSent) {
        // The service's own command is not part of the dialogue: whatever it answers, the page goes
        // on, unless the service is closing.
        if (code == u"421"_s) {
            writelogError(u"ERROR code:"_s + code, true);
            refusalStep(Text);
        } else {
            m_transactionTaken = m_transactionTaken || replyClass == ReplyClass::Accepted;
            holdOrPage();
        }
        return;
    }
    if (m_job.state == EngineState::ResetSent) {
        resetStep(Text, replyClass == ReplyClass::Accepted, replyClass == ReplyClass::Greeting);
        return;
    }
    switch (replyClass) {
    case ReplyClass::Greeting:
        if (m_job.state == EngineState::AwaitingGreeting) {
            greetingStep(Text);
        }
        return;
    case ReplyClass::Accepted:
        switch (m_job.state) {
        case EngineState::LoginSent:
            sendFirstPage();
            return;
        case EngineState::HoldSent:
            m_transactionTaken = true;
            sendPageString();
            m_job.state = EngineState::PageSent;
            return;
        case EngineState::PageSent:
            m_transactionTaken = true;
            send(takeNextMessLine(m_job, currentServiceRecord()));
            m_job.state = EngineState::MessageSent;
            return;
        case EngineState::MessageSent:
            send(sendLine());
            m_job.state = EngineState::SendSent;
            return;
        case EngineState::SendSent:
            chunkStep();
            return;
        default:
            return;
        }
    case ReplyClass::Refused:
        if (m_job.state == EngineState::LoginSent) {
            // Without a login the service takes no page: end the attempt now rather than wait for
            // the watchdog. A job with queued recipients goes on with the next service.
            m_outputs.setStatusText(Text);
            writelogError(u"ERROR: Login refused, code:"_s + code, false);
            noteEndReason(u"login refused: "_s + replyText(Text));
            closeConnection();
        } else if (m_job.state == EngineState::HoldSent) {
            if (!std::exchange(m_holdWarned, true)) {
                writelogError(u"WARNING: Server did not accept HOLD command (future delivery)."_s, false);
                m_outputs.holdRefused(currentServiceRecord().name, replyText(Text));
            }
            m_holdRefused = true;
            sendPageString();
            m_job.state = EngineState::PageSent;
        } else if (m_job.state == EngineState::PageSent || m_job.state == EngineState::MessageSent ||
                   m_job.state == EngineState::SendSent) {
            writelogError(u"ERROR code:"_s + code, true);
            refusalStep(Text);
        }
        return;
    case ReplyClass::Closing:
        if (m_job.state == EngineState::LoginSent) {
            m_outputs.setStatusText(Text);
        }
        noteEndReason(u"the service ended the conversation: "_s + replyText(Text));
        closeConnection();
        return;
    case ReplyClass::Other:
        m_outputs.setStatusText(Text);
        noteEndReason(u"unexpected reply: "_s + replyText(Text));
        closeConnection();
        return;
    }
}

void PagingEngine::greetingStep(const QString& reply) {
    m_outputs.setBanner(QString());
    if (reply.size() > 6 && reply[4] == stx) {
        QString banner;
        // From the 6th character, up to the first CR, the 45th character or the reply's last one.
        for (qsizetype i = 5; i < reply.size() - 1 && i < 45 && reply[i] != u'\r'; ++i) {
            banner.append(reply[i]);
        }
        if (!banner.isEmpty()) {
            m_outputs.setBanner(banner);
        }
    }
    const serviceRecordType& service = currentServiceRecord();
    if (!service.userID.isEmpty() && !service.password.isEmpty()) {
        send(logiLine(service.userID, service.password));
        m_job.state = EngineState::LoginSent;
    } else {
        sendFirstPage();
    }
}

void PagingEngine::sendFirstPage() {
    if (!m_job.multiRecipient) {
        beginPageTransaction();
        return;
    }
    if (!startNextQueuedRecipient(true)) {
        send(quitLine());
        closeConnection();
    }
}

void PagingEngine::LookForNextIDinList() {
    if (!startNextQueuedRecipient(false)) {
        send(quitLine());
        closeConnection();
    }
}

// Pages the first queued name of the current service that can still be paged. A name deleted from
// the contacts while the job runs, one whose lookup fails (the table busy in another program past
// its wait) and one whose stored pager ID cannot go into PAGE are passed over with their reason
// (they stay counted in the total), so one bad contact cannot drop everyone queued behind it.
bool PagingEngine::startNextQueuedRecipient(bool showResults) {
    QStringList& queue = m_job.recipientLists[m_job.currentService];
    while (!queue.isEmpty()) {
        LookedUpContact contact;
        bool found = false;
        try {
            found = m_contacts.lookupContact(queue.first(), contact);
        } catch (const Error& e) {
            reportQueuedNotPaged(queue.takeFirst(), QString(), e.text());
            continue;
        }
        if (!found) {
            reportQueuedNotPaged(queue.takeFirst(), QString(), u"no longer in the contacts table"_s);
            continue;
        }
        if (!isPagerId(contact.id)) {
            reportQueuedNotPaged(queue.takeFirst(), contact.id, notAPagerIdReason(contact.id));
            continue;
        }
        m_job.contactName = queue.takeFirst();
        m_job.recipientInFlight = true;
        m_holdRefused = false;
        m_job.pagerId = contact.id;
        m_job.pagerPassword = contact.password;
        SetMessageIndex(m_job, currentServiceRecord());
        if (showResults) {
            m_outputs.showResults();
        }
        m_outputs.appendResult(u"Sending to: "_s + m_job.contactName + u" ..."_s);
        beginPageTransaction();
        return true;
    }
    return false;
}

void PagingEngine::sendPageString() {
    send(pageLine(m_job.pagerId, m_job.pagerPassword));
}

// Every chunk is a transaction of its own: the service's own command, then HOLD (gateways apply a
// HOLD to the next transaction only), then PAGE.
void PagingEngine::beginPageTransaction() {
    m_transactionTaken = false;
    const QString& command = currentServiceRecord().beforePage;
    if (!command.isEmpty()) {
        send(commandArgument(command) + u"\r\n"_s);
        m_job.state = EngineState::BeforePageSent;
        return;
    }
    holdOrPage();
}

void PagingEngine::holdOrPage() {
    if (m_job.holdValue.size() == 12) {
        send(holdLine(m_job.holdValue));
        m_job.state = EngineState::HoldSent;
        return;
    }
    sendPageString();
    m_job.state = EngineState::PageSent;
}

void PagingEngine::chunkStep() {
    if (chunkRemains(m_job)) {
        beginPageTransaction();
        return;
    }
    if (m_job.multiRecipient) {
        ++m_job.sentOkCount;
        m_outputs.appendResult(u"MESSAGE SENT OK"_s);
        writelogMessageSent();
        reportPaged();
        LookForNextIDinList();
        return;
    }
    writelogMessageSent();
    m_delivered = true;
    setPhase(Phase::Success);
    send(quitLine());
    m_job.state = EngineState::QuitSent;
}

void PagingEngine::refusalStep(const QString& reply) {
    if (m_job.multiRecipient) {
        m_job.recipientInFlight = false;
        reportQueuedNotPaged(m_job.contactName, m_job.pagerId, replyText(reply));
        if (m_transactionTaken) {
            // The server still holds what it took of this transaction (the pager, the message, the
            // delivery time): the next recipient's PAGE would join it, or be refused as out of
            // order, so the transaction is cleared first.
            send(resetLine());
            m_job.state = EngineState::ResetSent;
            return;
        }
        LookForNextIDinList();
        return;
    }
    noteEndReason(replyText(reply));
    m_outputs.appendResult(u"FAIL, Send process terminated"_s);
    setPhase(Phase::Fail);
    closeConnection();
    m_outputs.setStatusText(reply);
}

// Only a cleared transaction lets the next recipient be paged on this connection. A server that
// will not clear it ends the connection as a lost one: everyone still queued is accounted for when
// it closes.
void PagingEngine::resetStep(const QString& reply, bool accepted, bool greeted) {
    if (accepted) {
        LookForNextIDinList();
        return;
    }
    if (greeted) {
        // HylaFAX's hfaxd answers RESE as a new session does, with its greeting, and forgets the
        // login: the session is clear, and the next recipient follows a new LOGI.
        const serviceRecordType& service = currentServiceRecord();
        if (!service.userID.isEmpty() && !service.password.isEmpty()) {
            send(logiLine(service.userID, service.password));
            m_job.state = EngineState::LoginSent;
            return;
        }
        LookForNextIDinList();
        return;
    }
    m_outputs.setStatusText(reply);
    writelogError(u"ERROR: RESE refused, code:"_s + reply.left(3), false);
    noteEndReason(u"the service did not clear the refused page: "_s + replyText(reply));
    closeConnection();
}

// A peer that resets the connection as we write ends that connection, not the job: the close that
// follows moves a job with queued recipients on to the next service, as after any lost connection.
void PagingEngine::send(const QString& line) {
    if (m_closing == Closing::Requested) {
        return;
    }
    try {
        m_client.setDataToSend(line);
    } catch (const Error& e) {
        m_outputs.setStatusText(u"Error: "_s + e.text());
        writelogError(u"ERROR: Connection lost while sending to service."_s, false);
        noteEndReason(e.text());
        closeConnection();
    }
}

void PagingEngine::closeConnection() {
    m_closing = Closing::Requested;
    m_client.setConnected(false);
}

} // namespace corvane
