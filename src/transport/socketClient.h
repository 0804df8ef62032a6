#pragma once

#include "transport/tcpClient.h"

#include <QByteArray>
#include <QObject>
#include <sys/socket.h>
#include <vector>

class QSocketNotifier;

namespace corvane {

// The TCP client on POSIX non-blocking sockets, watched by QSocketNotifier on the thread that
// owns it, so every notification arrives from the event loop and nothing ever blocks it (apart
// from resolving a host name when RemoteHost is set).
class SocketClient final : public QObject, public TcpClient {
    Q_OBJECT

public:
    explicit SocketClient(QObject* parent = nullptr);
    ~SocketClient() override;

    void setEvents(TcpClientEvents* events) override { m_events = events; }
    QString RemoteHost() const override { return m_host; }
    void setRemoteHost(const QString& host) override;
    int RemotePort() const override { return m_port; }
    void setRemotePort(int port) override;
    bool Connected() const override { return m_phase == Phase::Open; }
    void setConnected(bool connected) override;
    void setDataToSend(const QString& text) override;

private:
    enum class Phase { Closed, Connecting, Open };
    struct Address {
        sockaddr_storage storage{};
        socklen_t length = 0;
    };

    void startAttempt(int lastError);
    void postAttemptFailure(int error);
    void onConnectingWritable();
    void onOpenWritable();
    void onReadable();
    void finishClose();
    void dropConnection(int status, const QString& description);
    void releaseSocket();
    bool flushQueue(int& error);

    TcpClientEvents* m_events = nullptr;
    QString m_host;
    int m_port = 0;
    std::vector<Address> m_addresses;
    std::size_t m_nextAddress = 0;

    Phase m_phase = Phase::Closed;
    int m_fd = -1;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_outQueue;
    quint64 m_attempt = 0; // tells a stale queued notification from the current attempt's
    bool m_inDataIn = false;
    bool m_closeRequested = false;
};

} // namespace corvane
