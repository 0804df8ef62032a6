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

} // namespace

// Each delivery is one reply, classified by its first line: a server that adds a second line to a
// reply (a notice after the greeting, a stray line) must not put the dialogue out of step, so the
// rest of that delivery is dropped. A delivery without a line end is the start of a reply still on
// its way and is joined with the next one. Once the engine has asked to close, nothing more is read.
void PagingEngine::clientSocketDataIn(TcpClient&, const QString& Text, bool) {
    if (m_closeRequested) {
        return;
    }
    m_replyBuffer += Text;
    const qsizetype end = m_replyBuffer.indexOf(u'\n');
    if (end >= 0) {
        const QString reply = m_replyBuffer.left(end + 1);
        m_replyBuffer.clear();
        handleReply(reply);
        return;
    }
    // A server that never ends its line still gets an answer once the line can no longer be a reply
    // still on its way.
    if (m_replyBuffer.size() > maxReplyLength) {
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
            holdOrPage();
        }
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
            sendPageString();
            m_job.state = EngineState::PageSent;
            return;
        case EngineState::PageSent:
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
            closeConnection();
        } else if (m_job.state == EngineState::HoldSent) {
            if (!std::exchange(m_holdWarned, true)) {
                writelogError(u"WARNING: Server did not accept HOLD command (future delivery)."_s, false);
            }
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
        closeConnection();
        return;
    case ReplyClass::Other:
        m_outputs.setStatusText(Text);
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

// Pages the first queued name of the current service that can still be found. A name deleted from
// the contacts while the job runs is passed over (it stays counted in the total), so one missing
// contact cannot silently drop everyone queued behind it.
bool PagingEngine::startNextQueuedRecipient(bool showResults) {
    QStringList& queue = m_job.recipientLists[m_job.currentService];
    while (!queue.isEmpty()) {
        LookedUpContact contact;
        if (!m_contacts.lookupContact(queue.first(), contact)) {
            m_outputs.recipientSkipped(queue.takeFirst(), u"no longer in the contacts table"_s);
            continue;
        }
        m_job.contactName = queue.first();
        m_job.pagerId = contact.id;
        m_job.pagerPassword = contact.password;
        SetMessageIndex(m_job, currentServiceRecord());
        if (showResults) {
            m_outputs.showResults();
        }
        m_outputs.appendResult(u"Sending to: "_s + m_job.contactName + u" ..."_s);
        queue.removeFirst();
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
        LookForNextIDinList();
        return;
    }
    writelogMessageSent();
    m_delivered = true;
    setPhase(u"SUCCESS"_s);
    send(quitLine());
    m_job.state = EngineState::QuitSent;
}

void PagingEngine::refusalStep(const QString& reply) {
    if (m_job.multiRecipient) {
        LookForNextIDinList();
        return;
    }
    m_outputs.appendResult(u"FAIL, Send process terminated"_s);
    setPhase(u"FAIL"_s);
    closeConnection();
    m_outputs.setStatusText(reply);
}

// A peer that resets the connection as we write ends that connection, not the job: the close that
// follows moves a job with queued recipients on to the next service, as after any lost connection.
void PagingEngine::send(const QString& line) {
    if (m_closeRequested) {
        return;
    }
    try {
        m_client.setDataToSend(line);
    } catch (const Error& e) {
        m_outputs.setStatusText(u"Error: "_s + e.text());
        writelogError(u"ERROR: Connection lost while sending to service."_s, false);
        closeConnection();
    }
}

void PagingEngine::closeConnection() {
    m_closeRequested = true;
    m_client.setConnected(false);
}

} // namespace corvane
