#pragma once

#include "engine/deferredRequests.h"

#include <QObject>

namespace corvane {

class PagingEngine;

// Posts the deferred requests as events (QEvent::User + 1 for gotDisconnect, + 2 for tryAlt) to
// itself, so they run from the event loop after the current notification has returned. For
// programs without a main window; the main window posts the same events to itself.
class EventLoopDeferredRequests final : public QObject, public DeferredRequests {
public:
    static constexpr int gotDisconnectEvent = 1; // offsets from QEvent::User
    static constexpr int tryAltEvent = 2;

    void setEngine(PagingEngine* engine) { m_engine = engine; }
    void postGotDisconnect() override;
    void postTryAlt() override;

protected:
    void customEvent(QEvent* event) override;

private:
    PagingEngine* m_engine = nullptr;
};

} // namespace corvane
