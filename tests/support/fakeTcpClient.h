#pragma once

#include "platform/error.h"
#include "transport/tcpClient.h"

#include <QStringList>

namespace corvane::test {

// A TcpClient that records what the program does with it and lets the test raise notifications.
class FakeTcpClient final : public TcpClient {
public:
    QStringList sent;        // every DataToSend text
    QStringList hostsSet;    // every RemoteHost set
    int connectRequests = 0; // Connected set to true
    int closeRequests = 0;   // Connected set to false while connecting or open
    bool failHost = false;   // setRemoteHost throws as for an unresolvable name
    bool open = false;
    bool connecting = false;
    QString host;
    int port = 0;
    TcpClientEvents* events = nullptr;

    void setEvents(TcpClientEvents* e) override { events = e; }
    QString RemoteHost() const override { return host; }
    void setRemoteHost(const QString& h) override {
        hostsSet.append(h);
        if (failHost || open || connecting) {
            throw Error(QStringLiteral("Host not found: ") + h);
        }
        host = h;
    }
    int RemotePort() const override { return port; }
    void setRemotePort(int p) override {
        if (open || connecting) {
            throw Error(QStringLiteral("Cannot change value while socket is active"));
        }
        port = p;
    }
    bool Connected() const override { return open; }
    void setConnected(bool c) override {
        if (c) {
            ++connectRequests;
            connecting = true;
        } else if (open || connecting) {
            ++closeRequests;
            const bool wasOpen = open;
            open = connecting = false;
            if (wasOpen && events != nullptr) {
                events->clientSocketDisconnected(*this, 0, QString());
            }
        }
    }
    void setDataToSend(const QString& text) override { sent.append(text); }
};

} // namespace corvane::test
