#pragma once

#include "app/gateway/snppSession.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace corvane::gateway {

class GatewayConnection;

// Listens on one address and port and serves every connection with its own SNPP session, all on
// the event loop's thread.
class GatewayServer final : public QObject {
public:
    // pageSent records the pages of a SEND and says whether it could (see PagesSent).
    GatewayServer(GatewayRules rules, int idleTimeoutSeconds, PagesSent pageSent);
    ~GatewayServer() override;

    // Binds and listens; on failure returns false with the system's text in error.
    bool listen(const QString& address, int port, QString& error);
    int port() const { return m_port; }
    int connectionCount() const { return static_cast<int>(m_connections.size()); }

    // How long accepting pauses when the process is out of file descriptors.
    static constexpr int acceptPauseMs = 200;

private:
    void acceptOne();
    void forget(GatewayConnection* connection);

    GatewayRules m_rules;
    int m_idleTimeoutSeconds;
    PagesSent m_pageSent;
    int m_listenFd = -1;
    int m_port = 0;
    QSocketNotifier* m_acceptNotifier = nullptr;
    std::vector<std::unique_ptr<GatewayConnection>> m_connections;
};

} // namespace corvane::gateway
