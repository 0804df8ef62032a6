#pragma once

#include "platform/error.h"
#include "transport/tcpClient.h"

#include <QStringList>
#include <cerrno>
#include <functional>

namespace corvane::test {

// A TcpClient that records what the program does with it and lets the test play the server. Like
// the real client, a close asked for inside DataIn takes effect when that notification returns.
class FakeTcpClient final : public TcpClient {
public:
    QStringList sent;         // every DataToSend text, across connections
    QStringList hostsSet;     // every RemoteHost set
    QList<int> portsSet;      // every RemotePort set
    int connectRequests = 0;  // Connected set to true
    int closeRequests = 0;    // Connected set to false while connecting or open
    QStringList failingHosts; // setRemoteHost throws for these, as for an unresolvable name
    // A send for which this says true fails as a send to a peer that reset the connection.
    std::function<bool(const QString& text)> failSend;
    bool open = false;
    bool connecting = false;
    QString host;
    int port = 0;
    TcpClientEvents* events = nullptr;

    void setEvents(TcpClientEvents* e) override { events = e; }
    QString RemoteHost() const override { return host; }
    void setRemoteHost(const QString& h) override {
        hostsSet.append(h);
        if (open || connecting) {
            throw Error(QStringLiteral("Cannot change value while socket is active"));
        }
        if (failingHosts.contains(h) || h.isEmpty()) {
            throw Error(QStringLiteral("Host not found: ") + h);
        }
        host = h;
    }
    int RemotePort() const override { return port; }
    void setRemotePort(int p) override {
        portsSet.append(p);
        if (open || connecting) {
            throw Error(QStringLiteral("Cannot change value while socket is active"));
        }
        port = p;
    }
    bool Connected() const override { return open; }
    void setConnected(bool c) override {
        if (c) {
            if (open || connecting) {
                throw Error(QStringLiteral("Cannot change value while socket is active"));
            }
            ++connectRequests;
            connecting = true;
            return;
        }
        if (connecting) {
            ++closeRequests;
            connecting = false; // abandoned: no notification
            return;
        }
        if (!open) {
            return;
        }
        if (inDataIn) {
            closePending = true;
            return;
        }
        ++closeRequests;
        open = false;
        events->clientSocketDisconnected(*this, 0, QString());
    }
    void setDataToSend(const QString& text) override {
        if (!open) {
            throw Error(QStringLiteral("Socket is not connected"));
        }
        if (failSend && failSend(text)) {
            throw Error(QStringLiteral("Error sending data: Connection reset by peer"));
        }
        sent.append(text);
    }

    // The server's side.
    void accept() {
        connecting = false;
        open = true;
        events->clientSocketConnected(*this, 0, QString());
    }
    void refuse(int error = ECONNREFUSED) {
        connecting = false;
        events->clientSocketConnected(*this, error, QStringLiteral("Connection refused"));
    }
    void deliver(const QString& text) {
        inDataIn = true;
        events->clientSocketDataIn(*this, text, false);
        inDataIn = false;
        if (closePending) {
            closePending = false;
            ++closeRequests;
            open = false;
            events->clientSocketDisconnected(*this, 0, QString());
        }
    }
    void serverCloses(int status = 0, const QString& description = QString()) {
        open = false;
        events->clientSocketDisconnected(*this, status, description);
    }

private:
    bool inDataIn = false;
    bool closePending = false;
};

} // namespace corvane::test
