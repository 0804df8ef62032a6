#pragma once

#include "engine/deferredRequests.h"

#include <QObject>

namespace corvane {

class PagingEngine;

// The deferred requests as events posted to an object of the user-interface thread: QEvent::User
// + 1 for gotDisconnect and + 2 for tryAlt. They run from the event loop, after the notification
// that posted them has returned.
enum class DeferredRequest { gotDisconnect = 1, tryAlt = 2 };
void postDeferredRequest(QObject& target, DeferredRequest request);
// Runs the request the event carries on the engine; false when the event is no such request.
bool runDeferredRequest(const QEvent& event, PagingEngine& engine);

// Posts the deferred requests to itself, for programs without a main window (the main window
// posts the same events to itself).
class EventLoopDeferredRequests final : public QObject, public DeferredRequests {
public:
    void setEngine(PagingEngine* engine) { m_engine = engine; }
    void postGotDisconnect() override;
    void postTryAlt() override;

protected:
    void customEvent(QEvent* event) override;

private:
    PagingEngine* m_engine = nullptr;
};

} // namespace corvane
