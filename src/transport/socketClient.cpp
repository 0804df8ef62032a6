#include "transport/socketClient.h"

#include "platform/codePage.h"
#include "platform/error.h"
#include "platform/systemError.h"

#include <QScopedValueRollback>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

constexpr qsizetype receiveChunk = 64 * 1024;
constexpr int drainLimitMs = 15000;

// After the program closes a connection, what it had queued still goes out: the socket is handed
// to a drain that finishes the writes, sends FIN, and reads and discards until the server closes
// too. Closing with unread input would make the kernel answer with a reset and could throw away
// the last command (often QUIT) before the server saw it. The drain never blocks the event loop
// and gives up after drainLimitMs.
class SocketDrain final : public QObject {
public:
    SocketDrain(int fd, QByteArray pending, QObject* parent)
        : QObject(parent)
        , m_fd(fd)
        , m_pending(std::move(pending))
        , m_read(fd, QSocketNotifier::Read, this)
        , m_write(fd, QSocketNotifier::Write, this) {
        connect(&m_read, &QSocketNotifier::activated, this, [this] { onReadable(); });
        connect(&m_write, &QSocketNotifier::activated, this, [this] { onWritable(); });
        QTimer::singleShot(drainLimitMs, this, [this] { finish(); });
        onWritable();
    }
    ~SocketDrain() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

private:
    void onWritable() {
        while (!m_pending.isEmpty()) {
            const ssize_t n = ::send(m_fd, m_pending.constData(), m_pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return;
            }
            if (n < 0) {
                finish();
                return;
            }
            m_pending.remove(0, n);
        }
        m_write.setEnabled(false);
        ::shutdown(m_fd, SHUT_WR);
    }
    void onReadable() {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return;
            }
            finish(); // end of stream or a hard error: the server is done with us
            return;
        }
    }
    void finish() {
        m_read.setEnabled(false);
        m_write.setEnabled(false);
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        deleteLater();
    }

    int m_fd;
    QByteArray m_pending;
    QSocketNotifier m_read;
    QSocketNotifier m_write;
};

Error activeError() {
    return Error(u"Cannot change value while socket is active"_s);
}

} // namespace

SocketClient::SocketClient(QObject* parent)
    : QObject(parent) {}

SocketClient::~SocketClient() {
    m_events = nullptr;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void SocketClient::setRemoteHost(const QString& host) {
    if (m_phase != Phase::Closed) {
        throw activeError();
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const QByteArray name = host.toUtf8();
    const int rc = name.isEmpty() ? EAI_NONAME : ::getaddrinfo(name.constData(), nullptr, &hints, &found);
    if (rc != 0) {
        throw Error(u"Host not found: "_s + host + u" ("_s + QString::fromLocal8Bit(::gai_strerror(rc)) + u')');
    }
    std::vector<Address> addresses;
    for (const addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
        if ((ai->ai_family == AF_INET || ai->ai_family == AF_INET6) && ai->ai_addrlen <= sizeof(sockaddr_storage)) {
            Address address;
            std::memcpy(&address.storage, ai->ai_addr, ai->ai_addrlen);
            address.length = ai->ai_addrlen;
            addresses.push_back(address);
        }
    }
    ::freeaddrinfo(found);
    // IPv4 first: a gateway known by name usually listens there, and ::1 may not be served at all.
    std::stable_partition(addresses.begin(), addresses.end(),
                          [](const Address& a) { return a.storage.ss_family == AF_INET; });
    if (addresses.empty()) {
        throw Error(u"Host not found: "_s + host);
    }
    m_addresses = std::move(addresses);
    m_host = host;
}

void SocketClient::setRemotePort(int port) {
    if (m_phase != Phase::Closed) {
        throw activeError();
    }
    if (port < 0 || port > 65535) {
        throw Error(u"Invalid port: "_s + QString::number(port));
    }
    m_port = port;
}

void SocketClient::setConnected(bool connected) {
    if (connected) {
        if (m_phase != Phase::Closed) {
            throw activeError();
        }
        if (m_addresses.empty()) {
            throw Error(u"No remote host set"_s);
        }
        m_phase = Phase::Connecting;
        ++m_attempt;
        m_nextAddress = 0;
        startAttempt(0);
        return;
    }
    switch (m_phase) {
    case Phase::Closed:
        return;
    case Phase::Connecting:
        // Abandoned: no notification of any kind, and any queued one is now stale.
        ++m_attempt;
        releaseSocket();
        m_phase = Phase::Closed;
        return;
    case Phase::Open:
        if (m_inDataIn) {
            m_closeRequested = true;
            return;
        }
        finishClose();
        return;
    }
}

void SocketClient::setDataToSend(const QString& text) {
    if (m_phase != Phase::Open) {
        throw Error(u"Socket is not connected"_s);
    }
    m_outQueue += toCodePage(text);
    int error = 0;
    if (!flushQueue(error)) {
        throw Error(u"Error sending data: "_s + systemErrorText(error));
    }
}

// Tries the next resolved address; when none is left, the last failure is the attempt's outcome.
void SocketClient::startAttempt(int lastError) {
    while (m_nextAddress < m_addresses.size()) {
        Address address = m_addresses[m_nextAddress++];
        const auto port = htons(static_cast<quint16>(m_port));
        if (address.storage.ss_family == AF_INET) {
            reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = port;
        } else {
            reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = port;
        }
        const int fd = ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const int off = 0;
        ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &off, sizeof off);
        const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length);
        if (rc != 0 && errno != EINPROGRESS) {
            lastError = errno;
            ::close(fd);
            continue;
        }
        // Success or in progress: either way the socket turns writable, and the outcome is read
        // there, so the notification always comes from the event loop.
        m_fd = fd;
        m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
        connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { onConnectingWritable(); });
        return;
    }
    postAttemptFailure(lastError != 0 ? lastError : ECONNREFUSED);
}

void SocketClient::postAttemptFailure(int error) {
    const quint64 attempt = m_attempt;
    QTimer::singleShot(0, this, [this, attempt, error] {
        if (attempt != m_attempt || m_phase != Phase::Connecting) {
            return; // abandoned meanwhile
        }
        m_phase = Phase::Closed;
        if (m_events != nullptr) {
            m_events->clientSocketConnected(*this, error, systemErrorText(error));
        }
    });
}

void SocketClient::onConnectingWritable() {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        error = errno;
    }
    if (error != 0) {
        releaseSocket();
        startAttempt(error);
        return;
    }
    m_writeNotifier->setEnabled(false);
    disconnect(m_writeNotifier, nullptr, this, nullptr);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { onOpenWritable(); });
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { onReadable(); });
    m_phase = Phase::Open;
    m_outQueue.clear();
    if (m_events != nullptr) {
        m_events->clientSocketConnected(*this, 0, QString());
    }
}

void SocketClient::onOpenWritable() {
    int error = 0;
    if (!flushQueue(error)) {
        if (m_events != nullptr) {
            m_events->clientSocketError(*this, error, systemErrorText(error));
        }
        if (m_phase == Phase::Open) {
            dropConnection(error, systemErrorText(error));
        }
    }
}

void SocketClient::onReadable() {
    if (m_phase != Phase::Open) {
        return;
    }
    QByteArray buffer(receiveChunk, Qt::Uninitialized);
    const ssize_t n = ::recv(m_fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            return;
        }
        const int error = errno;
        dropConnection(error, systemErrorText(error));
        return;
    }
    if (n == 0) {
        dropConnection(0, QString());
        return;
    }
    buffer.truncate(n);
    {
        const QScopedValueRollback inDataIn(m_inDataIn, true);
        if (m_events != nullptr) {
            m_events->clientSocketDataIn(*this, fromCodePage(buffer), false);
        }
    }
    if (m_closeRequested && m_phase == Phase::Open) {
        finishClose();
    }
}

// The program's own close: queued data goes out through the drain, then Disconnected.
void SocketClient::finishClose() {
    m_closeRequested = false;
    const int fd = m_fd;
    m_fd = -1;
    if (m_readNotifier != nullptr) {
        m_readNotifier->setEnabled(false);
        m_readNotifier->deleteLater();
        m_readNotifier = nullptr;
    }
    if (m_writeNotifier != nullptr) {
        m_writeNotifier->setEnabled(false);
        m_writeNotifier->deleteLater();
        m_writeNotifier = nullptr;
    }
    new SocketDrain(fd, std::exchange(m_outQueue, {}), this);
    m_phase = Phase::Closed;
    if (m_events != nullptr) {
        m_events->clientSocketDisconnected(*this, 0, QString());
    }
}

// The server closed, or the network failed: nothing more can go out.
void SocketClient::dropConnection(int status, const QString& description) {
    releaseSocket();
    m_outQueue.clear();
    m_closeRequested = false;
    m_phase = Phase::Closed;
    if (m_events != nullptr) {
        m_events->clientSocketDisconnected(*this, status, description);
    }
}

void SocketClient::releaseSocket() {
    for (QSocketNotifier** notifier : {&m_readNotifier, &m_writeNotifier}) {
        if (*notifier != nullptr) {
            (*notifier)->setEnabled(false);
            (*notifier)->deleteLater();
            *notifier = nullptr;
        }
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

// Sends what the kernel takes now and keeps the rest for when the socket turns writable.
bool SocketClient::flushQueue(int& error) {
    while (!m_outQueue.isEmpty()) {
        const ssize_t n = ::send(m_fd, m_outQueue.constData(), m_outQueue.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        if (n < 0) {
            error = errno;
            return false;
        }
        m_outQueue.remove(0, n);
    }
    if (m_writeNotifier != nullptr) {
        m_writeNotifier->setEnabled(!m_outQueue.isEmpty());
    }
    return true;
}

} // namespace corvane
