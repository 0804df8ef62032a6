#include "engine/eventLoopDeferredRequests.h"

#include "engine/pagingEngine.h"

#include <QCoreApplication>
#include <QEvent>

namespace corvane {

void postDeferredRequest(QObject& target, DeferredRequest request) {
    QCoreApplication::postEvent(&target, new QEvent(QEvent::Type(QEvent::User + static_cast<int>(request))));
}

bool runDeferredRequest(const QEvent& event, PagingEngine& engine) {
    if (event.type() == QEvent::User + static_cast<int>(DeferredRequest::gotDisconnect)) {
        engine.gotDisconnect();
        return true;
    }
    if (event.type() == QEvent::User + static_cast<int>(DeferredRequest::tryAlt)) {
        engine.tryAlt();
        return true;
    }
    return false;
}

void EventLoopDeferredRequests::postGotDisconnect() {
    postDeferredRequest(*this, DeferredRequest::gotDisconnect);
}

void EventLoopDeferredRequests::postTryAlt() {
    postDeferredRequest(*this, DeferredRequest::tryAlt);
}

void EventLoopDeferredRequests::customEvent(QEvent* event) {
    if (m_engine != nullptr) {
        runDeferredRequest(*event, *m_engine);
    }
}

} // namespace corvane
