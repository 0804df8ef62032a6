#include "engine/pagingEngine.h"

#include "engine/engineOutputs.h"
#include "engine/jobLog.h"
#include "settings/settings.h"

#include <QThread>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

PagingEngine::PagingEngine(EngineWiring wiring)
    : m_client(wiring.client)
    , m_outputs(wiring.outputs)
    , m_contacts(wiring.contacts)
    , m_deferred(wiring.deferred)
    , m_settings(wiring.settings)
    , m_clock(wiring.clock)
    , m_timeFormat(wiring.timeFormat)
    , m_pause(wiring.pause ? std::move(wiring.pause) : [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); })
    , m_log(wiring.log) {}

PagingEngine::~PagingEngine() = default;

void PagingEngine::prepareSendJob() {
    m_job.state = EngineState::Idle;
    for (int n = ServiceTable::first; n <= ServiceTable::last; ++n) {
        m_job.recipientLists[n].clear();
    }
}

void PagingEngine::writelogMessageSent() {
    if (!m_settings.loggingEnabled) {
        return;
    }
    try {
        corvane::writelogMessageSent(m_log, m_job, m_services, !m_holdRefused);
    } catch (const LogWriteError& e) {
        m_outputs.setStatusText(e.text());
    }
}

void PagingEngine::writelogError(const QString& str, bool individual) {
    if (!m_settings.loggingEnabled) {
        return;
    }
    try {
        corvane::writelogError(m_log, m_job, m_services, str, individual);
    } catch (const LogWriteError& e) {
        m_outputs.setStatusText(e.text());
    }
}

void PagingEngine::noteEndReason(const QString& reason) {
    if (m_endReason.isEmpty()) {
        m_endReason = reason;
    }
}

void PagingEngine::reportPaged() {
    m_job.recipientInFlight = false;
    RecipientOutcome outcome;
    outcome.name = m_job.contactName;
    outcome.pagerId = m_job.pagerId;
    outcome.service = m_job.currentService;
    outcome.paged = true;
    m_outputs.recipientOutcome(outcome);
}

void PagingEngine::reportNotPaged(const QString& name, const QString& pagerId, int service, const QString& reason) {
    RecipientOutcome outcome;
    outcome.name = name;
    outcome.pagerId = pagerId;
    outcome.service = service;
    outcome.reason = reason;
    m_outputs.recipientOutcome(outcome);
}

void PagingEngine::reportQueuedNotPaged(const QString& name, const QString& pagerId, const QString& reason) {
    m_outputs.appendResult(u"NOT SENT: "_s + name + u" ("_s + reason + u')');
    reportNotPaged(name, pagerId, m_job.currentService, reason);
}

void PagingEngine::accountForUnpaged(const QString& reason) {
    if (std::exchange(m_job.recipientInFlight, false)) {
        reportQueuedNotPaged(m_job.contactName, m_job.pagerId, reason);
    }
    QStringList& queue = m_job.recipientLists[m_job.currentService];
    for (const QString& name : std::exchange(queue, QStringList())) {
        reportQueuedNotPaged(name, QString(), reason);
    }
}

} // namespace corvane
