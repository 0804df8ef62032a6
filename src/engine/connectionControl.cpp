// Keeps a job moving from connection to connection: the next service, the watchdog, the alternate
// address, abandoning a connection, Cancel and the final tally.
#include "engine/deferredRequests.h"
#include "engine/engineOutputs.h"
#include "engine/pagingEngine.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "settings/settings.h"

using namespace Qt::Literals::StringLiterals;

namespace corvane {

bool PagingEngine::ConnectToNextService(int start) {
    for (int n = start; n <= ServiceTable::last; ++n) {
        if (m_job.recipientLists[n].isEmpty() || !m_services.isUsable(n)) {
            continue;
        }
        const serviceRecordType& service = m_services[n];
        m_job.currentService = n;
        m_job.altTried = false;
        try {
            m_client.setRemoteHost(service.realIP);
            m_client.setRemotePort(service.port);
        } catch (const Error&) {
            m_outputs.setStatusText(u"Error setting remotehost: "_s + service.realIP);
            m_outputs.appendResult(m_timeFormat.format(m_clock.now().time()) + u" ERROR setting remotehost: "_s +
                                   service.realIP);
            writelogError(u"ERROR connecting to service"_s, false);
            continue;
        }
        m_job.state = EngineState::Connecting;
        m_outputs.setPhaseWord(u"CONNECTING..."_s);
        m_outputs.appendResult(u"CONNECTING TO SERVICE: "_s + service.name + u" ..."_s);
        m_job.watchdogSeconds = m_settings.timeout;
        m_client.setConnected(true);
        return true;
    }
    return false;
}

void PagingEngine::clientSocketConnected(TcpClient&, int StatusCode, const QString& Description) {
    if (StatusCode == 0) {
        m_replyBuffer.clear();
        m_closeRequested = false;
        m_job.state = EngineState::AwaitingGreeting;
        m_outputs.setPhaseWord(u"CONNECTED..."_s);
        return;
    }
    if (postTryAltIfUntried()) {
        return;
    }
    FailIt();
    m_outputs.setStatusText(u"Error: "_s + Description);
    writelogError(u"ERROR connecting to service."_s, false);
}

bool PagingEngine::postTryAltIfUntried() {
    if (currentServiceRecord().AltRealIP.isEmpty() || m_job.altTried) {
        return false;
    }
    m_deferred.postTryAlt();
    return true;
}

void PagingEngine::clientSocketDisconnected(TcpClient&, int StatusCode, const QString& Description) {
    m_disconnectSeen = true;
    m_replyBuffer.clear();
    m_closeRequested = false;
    m_job.state = EngineState::Idle;
    m_job.watchdogSeconds = 0;
    if (m_job.multiRecipient) {
        m_deferred.postGotDisconnect();
    }
    if (StatusCode != 0) {
        m_outputs.setStatusText(u"Error: "_s + Description);
    }
}

void PagingEngine::clientSocketError(TcpClient&, int, const QString&) {}

void PagingEngine::gotDisconnect() {
    // A connection is under way again: an alternate attempt started after this request was posted.
    // The end of that attempt brings a request of its own, so this one must not move the job on
    // under it.
    if (m_job.state != EngineState::Idle) {
        return;
    }
    if (ConnectToNextService(m_job.currentService + 1)) {
        return;
    }
    m_outputs.appendResult(QString());
    m_outputs.appendResult(QString::number(m_job.sentOkCount) + u" of "_s + QString::number(m_job.totalRecipients) +
                           u" MESSAGES SENT OK"_s);
    m_outputs.setPhaseWord(u"DONE"_s);
}

void PagingEngine::tryAlt() {
    // Cancelled or failed since it was posted, or the alternate was tried already: nothing to do.
    if (m_job.state == EngineState::Idle || m_job.altTried) {
        return;
    }
    m_job.altTried = true;
    m_disconnectSeen = false;
    m_client.setConnected(false);
    m_pause(alternatePauseMs);
    const serviceRecordType& service = currentServiceRecord();
    try {
        m_client.setRemoteHost(service.AltRealIP);
        m_client.setRemotePort(alternatePort);
    } catch (const Error&) {
        m_outputs.setStatusText(u"Error setting remotehost: "_s + service.AltRealIP);
        writelogError(u"ERROR connecting to service"_s, true);
        // The service cannot be reached at all now: give it up at once rather than leave the job
        // waiting on a watchdog that may never fire.
        FailIt();
        return;
    }
    m_job.state = EngineState::Connecting;
    m_outputs.setPhaseWord(u"CONNECTING..."_s);
    m_job.watchdogSeconds = alternateWatchdog;
    m_client.setConnected(true);
}

// A multi-recipient job whose connection ends without a Disconnected (it was never established)
// still goes on with the next service, exactly as after a close.
void PagingEngine::FailIt() {
    const bool wasActive = m_job.state != EngineState::Idle;
    m_disconnectSeen = false;
    m_client.setConnected(false);
    m_job.watchdogSeconds = 0;
    m_job.state = EngineState::Idle;
    m_outputs.setPhaseWord(u"FAIL"_s);
    if (m_job.multiRecipient && wasActive && !m_disconnectSeen) {
        m_deferred.postGotDisconnect();
    }
}

void PagingEngine::cancelSendButtonClick() {
    FailIt();
    m_outputs.setPhaseWord(u"CANCEL"_s);
}

void PagingEngine::Timer1Timer() {
    if (++m_job.tickCount < ticksPerSecond) {
        return;
    }
    m_job.tickCount = 0;
    if (m_job.watchdogSeconds <= 0 || --m_job.watchdogSeconds > 0) {
        return;
    }
    if (postTryAltIfUntried()) {
        return;
    }
    FailIt();
    writelogError(u"ERROR: Timeout when sending to service."_s, false);
}

} // namespace corvane
