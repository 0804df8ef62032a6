// Keeps a job moving from connection to connection: the next service, the watchdog, the alternate
// address, abandoning a connection, Cancel and the final tally.
#include "engine/deferredRequests.h"
#include "engine/engineOutputs.h"
#include "engine/messageChunks.h"
#include "engine/pagingEngine.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "settings/settings.h"

#include <array>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

// Says who is closing the client while the close runs. The Disconnected it raises clears the mark
// itself; only a close that raised none puts back what was marked before.
template <typename Mark>
class MarkedWhile {
public:
    MarkedWhile(Mark& mark, Mark as)
        : m_mark(mark)
        , m_as(as)
        , m_before(std::exchange(mark, as)) {}
    ~MarkedWhile() {
        if (m_mark == m_as) {
            m_mark = m_before;
        }
    }
    MarkedWhile(const MarkedWhile&) = delete;
    MarkedWhile& operator=(const MarkedWhile&) = delete;

private:
    Mark& m_mark;
    Mark m_as;
    Mark m_before;
};

} // namespace

bool PagingEngine::ConnectToNextService(int start) {
    for (int n = start; n <= ServiceTable::last; ++n) {
        if (m_job.recipientLists[n].isEmpty()) {
            continue;
        }
        m_job.currentService = n;
        if (!m_services.isUsable(n)) {
            // Counted in the total and never paged.
            accountForUnpaged(u"service %1 cannot be paged"_s.arg(n));
            continue;
        }
        const serviceRecordType& service = m_services[n];
        m_job.altTried = false;
        try {
            m_client.setRemoteHost(service.realIP);
            m_client.setRemotePort(service.port);
        } catch (const Error&) {
            m_outputs.setStatusText(u"Error setting remotehost: "_s + service.realIP);
            m_outputs.appendResult(m_timeFormat.format(m_clock.now().time()) + u" ERROR setting remotehost: "_s +
                                   service.realIP);
            writelogError(u"ERROR connecting to service"_s, false);
            accountForUnpaged(u"cannot set the remote host "_s + service.realIP);
            continue;
        }
        m_endReason.clear();
        m_job.state = EngineState::Connecting;
        setPhase(Phase::Connecting);
        // From its first connection on, a job with queued recipients shows its results, so that
        // one that reaches nobody still shows its tally and whom it did not page.
        m_outputs.showResults();
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
        m_discardToLineEnd = false;
        m_closing = Closing::No;
        m_holdWarned = false;
        m_job.state = EngineState::AwaitingGreeting;
        setPhase(Phase::Connected);
        return;
    }
    if (postTryAltIfUntried()) {
        return;
    }
    FailIt(Description);
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
    // The service ended the connection while someone was still waiting for it: the log names them,
    // as it names those of a connection that timed out.
    const Closing closing = m_closing;
    if (closing == Closing::No && someoneWaiting()) {
        writelogError(u"ERROR: Connection lost while sending to service."_s, false);
    }
    m_disconnectSeen = true;
    m_replyBuffer.clear();
    m_discardToLineEnd = false;
    m_closing = Closing::No;
    m_job.state = EngineState::Idle;
    m_job.watchdogSeconds = 0;
    if (StatusCode != 0) {
        m_outputs.setStatusText(u"Error: "_s + Description);
    }
    if (closing == Closing::Switching) {
        // tryAlt closed the primary to try the alternate: the job goes on there.
        return;
    }
    noteEndReason(StatusCode != 0 ? Description : u"the service closed the connection"_s);
    if (m_job.multiRecipient) {
        m_deferred.postGotDisconnect();
        return;
    }
    if (closing != Closing::Abandoning) {
        // A server that hangs up before the page was taken has not paged anyone: the message
        // status must not go on saying the job is under way.
        if (!m_delivered && (m_phase == Phase::Connecting || m_phase == Phase::Connected)) {
            setPhase(Phase::Fail);
        }
        endSingleJob();
    }
}

void PagingEngine::clientSocketError(TcpClient&, int, const QString&) {}

void PagingEngine::gotDisconnect() {
    if (!m_jobRunning) {
        return; // the job was ended whole meanwhile (cancelJob)
    }
    // A connection is under way again: an alternate attempt started after this request was posted.
    // The end of that attempt brings a request of its own, so this one must not move the job on
    // under it.
    if (m_job.state != EngineState::Idle) {
        return;
    }
    // Whoever the ended connection did not page will not be paged by this job.
    accountForUnpaged(m_endReason.isEmpty() ? u"the connection ended"_s : m_endReason);
    if (ConnectToNextService(m_job.currentService + 1)) {
        return;
    }
    endWithTally(Phase::Done);
}

void PagingEngine::endWithTally(Phase phase) {
    m_outputs.appendResult(QString());
    m_outputs.appendResult(QString::number(m_job.sentOkCount) + u" of "_s + QString::number(m_job.totalRecipients) +
                           u" MESSAGES SENT OK"_s);
    setPhase(phase);
    if (std::exchange(m_jobRunning, false)) {
        JobReport report;
        report.outcome = JobReport::Outcome::Tally;
        report.multiRecipient = true;
        report.sentOk = m_job.sentOkCount;
        report.total = m_job.totalRecipients;
        report.skipped = m_skipped;
        m_outputs.jobEnded(report);
    }
}

void PagingEngine::tryAlt() {
    // Cancelled or failed since it was posted, or the alternate was tried already: nothing to do.
    if (m_job.state == EngineState::Idle || m_job.altTried) {
        return;
    }
    m_job.altTried = true;
    m_disconnectSeen = false;
    {
        const MarkedWhile switching(m_closing, Closing::Switching);
        m_client.setConnected(false);
    }
    // The primary may have closed already (then the job stands Idle): whatever ends the alternate
    // attempt ends this service's turn.
    const bool primaryWasOpen = m_job.state == EngineState::Idle;
    m_endReason.clear();
    // The alternate starts the page that was under way from its beginning: the primary may have
    // taken part of it, or none, but never all of it (a page it took is no longer in flight).
    if (m_job.multiRecipient) {
        if (std::exchange(m_job.recipientInFlight, false)) {
            m_job.recipientLists[m_job.currentService].prepend(m_job.contactName);
        }
    } else {
        SetMessageIndex(m_job, currentServiceRecord());
    }
    m_pause(alternatePauseMs);
    const serviceRecordType& service = currentServiceRecord();
    try {
        m_client.setRemoteHost(service.AltRealIP);
        m_client.setRemotePort(alternatePort);
    } catch (const Error&) {
        m_outputs.setStatusText(u"Error setting remotehost: "_s + service.AltRealIP);
        // The log names whom this leaves unpaged: the one recipient of a single page, or everyone
        // queued for this service (the page under way is back in its queue by now).
        writelogError(u"ERROR connecting to service"_s, !m_job.multiRecipient);
        // The service cannot be reached at all now: give it up at once rather than leave the job
        // waiting on a watchdog that may never fire.
        noteEndReason(u"cannot set the remote host "_s + service.AltRealIP);
        FailIt();
        if (primaryWasOpen && m_job.multiRecipient) {
            m_deferred.postGotDisconnect(); // the close of the primary asked for none
        }
        return;
    }
    m_job.state = EngineState::Connecting;
    setPhase(Phase::Connecting);
    if (m_job.multiRecipient) {
        // The page under way starts again on the alternate: without this line its second "Sending
        // to:" would follow the first with nothing between.
        m_outputs.appendResult(u"TRYING THE ALTERNATE ADDRESS OF SERVICE: "_s + service.name + u" ..."_s);
    }
    m_job.watchdogSeconds = alternateWatchdog;
    m_client.setConnected(true);
}

void PagingEngine::FailIt(const QString& reason) {
    abandon(false, reason);
}

// A multi-recipient job whose connection ends without a Disconnected (it was never established)
// still goes on with the next service, exactly as after a close. A single page the service had
// already taken (only its QUIT went unanswered) stays a success.
void PagingEngine::abandon(bool cancelled, const QString& reason) {
    const bool wasActive = m_job.state != EngineState::Idle;
    if (wasActive) {
        noteEndReason(reason.isEmpty() ? u"abandoned"_s : reason);
    }
    m_cancelling = cancelled;
    m_disconnectSeen = false;
    {
        const MarkedWhile abandoning(m_closing, Closing::Abandoning);
        m_client.setConnected(false);
    }
    m_job.watchdogSeconds = 0;
    m_job.state = EngineState::Idle;
    const bool keptSuccess = !m_job.multiRecipient && m_delivered;
    if (!keptSuccess) {
        setPhase(Phase::Fail);
    }
    if (m_job.multiRecipient && wasActive && !m_disconnectSeen) {
        m_deferred.postGotDisconnect();
    }
    if (cancelled) {
        setPhase(Phase::Cancel);
    }
    if (!m_job.multiRecipient) {
        endSingleJob();
    }
    m_cancelling = false;
}

void PagingEngine::endSingleJob() {
    if (!std::exchange(m_jobRunning, false)) {
        return;
    }
    if (m_delivered) {
        reportPaged();
    } else {
        m_job.recipientInFlight = false;
        reportNotPaged(m_job.contactName, m_job.pagerId, m_job.currentService,
                       m_cancelling            ? u"cancelled"_s
                       : m_endReason.isEmpty() ? u"not paged"_s
                                               : m_endReason);
    }
    JobReport report;
    report.outcome = m_delivered    ? JobReport::Outcome::Success
                     : m_cancelling ? JobReport::Outcome::Cancel
                                    : JobReport::Outcome::Fail;
    report.sentOk = m_delivered ? 1 : 0;
    report.total = 1;
    m_outputs.jobEnded(report);
}

void PagingEngine::setPhase(Phase phase) {
    // The words the operator reads, in the order of Phase.
    static const std::array<QString, 7> words{QString(), u"CONNECTING..."_s, u"CONNECTED..."_s, u"SUCCESS"_s,
                                              u"FAIL"_s, u"CANCEL"_s,        u"DONE"_s};
    m_phase = phase;
    m_outputs.setPhaseWord(words[static_cast<std::size_t>(phase)]);
}

void PagingEngine::cancelSendButtonClick() {
    if (m_job.state != EngineState::Idle && someoneWaiting()) {
        writelogError(u"ERROR: Send cancelled by the operator."_s, false);
    }
    abandon(true, u"cancelled"_s);
}

void PagingEngine::cancelJob(const QString& logText) {
    if (!m_jobRunning) {
        return;
    }
    const bool wasActive = m_job.state != EngineState::Idle;
    if (wasActive && someoneWaiting()) {
        writelogError(logText, false);
    }
    abandon(true, u"cancelled"_s); // a single page ends here, with its own outcome
    if (!m_job.multiRecipient || !m_jobRunning) {
        return;
    }
    const QString reason = u"cancelled"_s;
    accountForUnpaged(reason);
    for (int n = m_job.currentService + 1; n <= ServiceTable::last; ++n) {
        if (m_job.recipientLists[n].isEmpty()) {
            continue;
        }
        m_job.currentService = n;
        writelogError(logText, false);
        accountForUnpaged(reason);
    }
    endWithTally(Phase::Cancel);
}

bool PagingEngine::someoneWaiting() const {
    if (!m_job.multiRecipient) {
        return m_jobRunning && !m_delivered;
    }
    return m_job.recipientInFlight || !m_job.recipientLists[m_job.currentService].isEmpty();
}

void PagingEngine::Timer1Timer() {
    if (++m_job.tickCount < ticksPerSecond) {
        return;
    }
    m_job.tickCount = 0;
    if (m_job.watchdogSeconds <= 0 || --m_job.watchdogSeconds > 0) {
        return;
    }
    if (!m_job.multiRecipient && m_delivered) {
        // The page was taken; only the goodbye is missing. Trying the alternate would page it a
        // second time, so the connection is only closed.
        FailIt();
        return;
    }
    if (postTryAltIfUntried()) {
        return;
    }
    writelogError(u"ERROR: Timeout when sending to service."_s, false);
    FailIt(u"no answer in time"_s);
}

} // namespace corvane
