#pragma once

namespace corvane {

// The engine's two deferred requests. Each runs later on the user-interface thread, after the
// notification that posted it has returned, so the TCP client is never reconfigured from inside
// its own notification.
class DeferredRequests {
public:
    virtual ~DeferredRequests() = default;
    virtual void postGotDisconnect() = 0;
    virtual void postTryAlt() = 0;
};

} // namespace corvane
