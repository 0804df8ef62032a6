#include "engine/pagingEngine.h"

#include "engine/engineOutputs.h"
#include "engine/jobLog.h"
#include "settings/settings.h"

#include <QThread>

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
        corvane::writelogMessageSent(m_log, m_job, m_services);
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

} // namespace corvane
