#pragma once

#include <QString>

namespace corvane {

class TcpClient;

// The four notifications of the TCP client, always delivered on the user-interface thread from the
// event loop, never from inside a call the program made.
class TcpClientEvents {
public:
    virtual ~TcpClientEvents() = default;

    // Once per connection attempt: StatusCode 0 when established, else the system's error code.
    virtual void clientSocketConnected(TcpClient& Sender, int StatusCode, const QString& Description) = 0;
    // Each time data arrives; Text holds the bytes of one receive, converted from the code page.
    virtual void clientSocketDataIn(TcpClient& Sender, const QString& Text, bool EOL) = 0;
    // When an established connection closes, by either side: StatusCode 0 for an orderly close.
    virtual void clientSocketDisconnected(TcpClient& Sender, int StatusCode, const QString& Description) = 0;
    // Errors that arise outside a call of the program (a queued send that failed later).
    virtual void clientSocketError(TcpClient& Sender, int ErrorCode, const QString& Description) = 0;
};

// One outgoing TCP connection at a time, driven through four properties. Setters that cannot do
// what they are asked throw corvane::Error with a text for the operator.
class TcpClient {
public:
    virtual ~TcpClient() = default;

    virtual void setEvents(TcpClientEvents* events) = 0;

    virtual QString RemoteHost() const = 0;
    // Resolves the name at once; fails when it cannot be resolved or a connection is open or opening.
    virtual void setRemoteHost(const QString& host) = 0;
    virtual int RemotePort() const = 0;
    // Fails while a connection is open or opening.
    virtual void setRemotePort(int port) = 0;

    // True from a successful connection until it closes.
    virtual bool Connected() const = 0;
    // true: starts an attempt and returns at once. false: closes, letting queued data go out first,
    // and raises Disconnected before returning (after the current DataIn when called inside one);
    // an attempt under way is abandoned with no notification.
    virtual void setConnected(bool connected) = 0;

    // Queues the text, converted to the code page, on the open connection.
    virtual void setDataToSend(const QString& text) = 0;
};

} // namespace corvane
