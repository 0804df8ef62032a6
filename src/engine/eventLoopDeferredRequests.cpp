#include "engine/eventLoopDeferredRequests.h"

#include "engine/pagingEngine.h"

#include <QCoreApplication>
#include <QEvent>

namespace corvane {

void EventLoopDeferredRequests::postGotDisconnect() {
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(QEvent::User + gotDisconnectEvent)));
}

void EventLoopDeferredRequests::postTryAlt() {
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(QEvent::User + tryAltEvent)));
}

void EventLoopDeferredRequests::customEvent(QEvent* event) {
    if (m_engine == nullptr) {
        return;
    }
    if (event->type() == QEvent::User + gotDisconnectEvent) {
        m_engine->gotDisconnect();
    } else if (event->type() == QEvent::User + tryAltEvent) {
        m_engine->tryAlt();
    }
}

} // namespace corvane
