// The SNPP dialogue on one connection: greeting, LOGI, HOLD, then PAGE / MESS / SEND for every
// chunk of every recipient, then QUIT. Driven by the TCP client's notifications.
#include "engine/engineOutputs.h"
#include "engine/messageChunks.h"
#include "engine/pagingEngine.h"
#include "engine/snppCommands.h"

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

// Replies are taken a line at a time: a reply split over two deliveries is put together again, and
// several replies in one delivery are answered in turn. A reply that arrives whole is classified
// exactly as it would be on its own. Once the engine has asked to close, the rest is not read.
void PagingEngine::clientSocketDataIn(TcpClient&, const QString& Text, bool) {
    m_replyBuffer += Text;
    qsizetype end;
    while (!m_closeRequested && (end = m_replyBuffer.indexOf(u'\n')) >= 0) {
        const QString reply = m_replyBuffer.left(end + 1);
        m_replyBuffer.remove(0, end + 1);
        handleReply(reply);
    }
    // A server that never ends its line still gets an answer once the line can no longer be a reply
    // still on its way.
    if (!m_closeRequested && m_replyBuffer.size() > maxReplyLength) {
        handleReply(std::exchange(m_replyBuffer, QString()));
    }
}

void PagingEngine::handleReply(const QString& Text) {
    const QString code = Text.left(3);
    const bool holdWanted = m_job.holdValue.size() == 12;
    switch (classify(code)) {
    case ReplyClass::Greeting:
        if (m_job.state == EngineState::AwaitingGreeting) {
            greetingStep(Text);
        }
        return;
    case ReplyClass::Accepted:
        switch (m_job.state) {
        case EngineState::LoginSent:
            if (holdWanted) {
                send(holdLine(m_job.holdValue));
                m_job.state = EngineState::HoldSent;
            } else {
                sendFirstPage();
            }
            return;
        case EngineState::HoldSent:
            sendFirstPage();
            return;
        case EngineState::PageSent:
            sendMessageChunk(m_job, currentServiceRecord(), m_client);
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
        if (m_job.state == EngineState::HoldSent) {
            writelogError(u"WARNING: Server did not accept HOLD command (future delivery)."_s, false);
            sendFirstPage();
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
    } else if (m_job.holdValue.size() == 12) {
        send(holdLine(m_job.holdValue));
        m_job.state = EngineState::HoldSent;
    } else {
        sendFirstPage();
    }
}

void PagingEngine::sendFirstPage() {
    if (!m_job.multiRecipient) {
        sendPageString();
        m_job.state = EngineState::PageSent;
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
            queue.removeFirst();
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
        sendPageString();
        queue.removeFirst();
        m_job.state = EngineState::PageSent;
        return true;
    }
    return false;
}

void PagingEngine::sendPageString() {
    send(pageLine(m_job.pagerId, m_job.pagerPassword));
}

void PagingEngine::chunkStep() {
    if (chunkRemains(m_job)) {
        sendPageString();
        m_job.state = EngineState::PageSent;
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
    m_outputs.setPhaseWord(u"SUCCESS"_s);
    send(quitLine());
    m_job.state = EngineState::QuitSent;
}

void PagingEngine::refusalStep(const QString& reply) {
    if (m_job.multiRecipient) {
        LookForNextIDinList();
        return;
    }
    m_outputs.appendResult(u"FAIL, Send process terminated"_s);
    m_outputs.setPhaseWord(u"FAIL"_s);
    closeConnection();
    m_outputs.setStatusText(reply);
}

void PagingEngine::send(const QString& line) {
    m_client.setDataToSend(line);
}

void PagingEngine::closeConnection() {
    m_closeRequested = true;
    m_client.setConnected(false);
}

} // namespace corvane
