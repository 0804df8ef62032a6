#include "engine/pagingEngine.h"

#include "engine/engineOutputs.h"
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
    , m_log(wiring.settings, m_services, wiring.clock, wiring.timeFormat) {}

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
        m_log.writelogMessageSent(m_job);
    } catch (const LogWriteError& e) {
        m_outputs.setStatusText(e.text());
    }
}

void PagingEngine::writelogError(const QString& str, bool individual) {
    if (!m_settings.loggingEnabled) {
        return;
    }
    try {
        m_log.writelogError(m_job, str, individual);
    } catch (const LogWriteError& e) {
        m_outputs.setStatusText(e.text());
    }
}

} // namespace corvane
