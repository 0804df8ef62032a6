#include "app/gateway/gatewayServer.h"

#include "platform/codePage.h"
#include "platform/systemError.h"

#include <QSocketNotifier>
#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <deque>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane::gateway {

// One client: reads lines, answers them in order (a reply that is held back holds back the ones
// after it), and ends on QUIT, on the client's close or after the idle time-out. The socket never
// blocks: replies the client does not read wait here, and a client that lets them pile up past a
// bound is closed, so one client can never stop the others.
class GatewayConnection final : public QObject {
public:
    GatewayConnection(int fd, const GatewayRules& rules, int idleTimeoutSeconds, PagesSent pageSent,
                      std::function<void(GatewayConnection*)> ended)
        : m_fd(fd)
        , m_session(rules, std::move(pageSent))
        , m_ended(std::move(ended))
        , m_read(fd, QSocketNotifier::Read, this)
        , m_write(fd, QSocketNotifier::Write, this) {
        connect(&m_read, &QSocketNotifier::activated, this, [this] { onReadable(); });
        m_write.setEnabled(false);
        connect(&m_write, &QSocketNotifier::activated, this, [this] { flush(); });
        m_idle.setSingleShot(true);
        connect(&m_idle, &QTimer::timeout, this, [this] {
            if (m_draining) {
                end();
                return;
            }
            queue({SessionReply{SnppSession::idleTimeoutReply(), 0, true}});
        });
        if (idleTimeoutSeconds > 0) {
            m_idle.start(idleTimeoutSeconds * 1000);
        }
        m_held.setSingleShot(true);
        connect(&m_held, &QTimer::timeout, this, [this] { sendQueued(true); });
        queue({SessionReply{SnppSession::greeting(), 0, false}});
    }
    ~GatewayConnection() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    static constexpr qsizetype maxLine = 8192;
    // Replies written and not yet read by the client; a client past it is closed.
    static constexpr qsizetype maxUnread = 64 * 1024;
    // Replies waiting their turn behind a held one.
    static constexpr std::size_t maxQueuedReplies = 256;
    // How long replies still to go out may take after QUIT or the idle reply.
    static constexpr int drainMs = 10000;

private:
    void onReadable() {
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return;
        }
        if (n <= 0) {
            end();
            return;
        }
        qsizetype from = 0;
        if (m_discarding) {
            // The rest of an over-long line is never a command: dropped up to its line end.
            const char* newline = static_cast<const char*>(std::memchr(buffer, '\n', static_cast<std::size_t>(n)));
            if (newline == nullptr) {
                return;
            }
            from = newline - buffer + 1;
            m_discarding = false;
        }
        m_input.append(buffer + from, n - from);
        // The replies to all the lines of one delivery go out together (one send, not one each,
        // which Nagle's algorithm would hold back behind the client's delayed acknowledgement).
        m_batching = true;
        qsizetype at;
        while (!m_closing && !m_draining && (at = m_input.indexOf('\n')) >= 0) {
            QByteArray bytes = m_input.left(at);
            m_input.remove(0, at + 1);
            if (bytes.endsWith('\r')) {
                bytes.chop(1);
            }
            // Idle means no complete command: a client trickling bytes without a line end is idle.
            if (m_idle.interval() > 0) {
                m_idle.start();
            }
            queue(m_session.handleLine(fromCodePage(bytes)));
        }
        if (m_input.size() > maxLine) {
            m_input.clear();
            m_discarding = true;
            queue({SessionReply{u"500 Error, Line Too Long\r\n"_s, 0, false}});
        }
        m_batching = false;
        flush();
    }
    void queue(std::vector<SessionReply> replies) {
        for (SessionReply& reply : replies) {
            m_replies.push_back(std::move(reply));
        }
        if (m_replies.size() > maxQueuedReplies) {
            end();
            return;
        }
        sendQueued(false);
    }
    // Moves the replies, in order, to what goes out; one held back starts the wait for it.
    void sendQueued(bool heldOneIsDue) {
        while (!m_closing && !m_replies.empty()) {
            SessionReply& next = m_replies.front();
            if (next.delayMs > 0 && !heldOneIsDue) {
                if (!m_held.isActive()) {
                    m_held.start(next.delayMs);
                }
                return;
            }
            heldOneIsDue = false;
            m_output += toCodePage(next.text);
            const bool closeAfter = next.closeAfter;
            m_replies.pop_front();
            if (closeAfter) {
                // Nothing more is read; what is still to go out gets a moment, then the end.
                m_draining = true;
                m_read.setEnabled(false);
                m_held.stop();
                m_replies.clear();
                m_idle.start(drainMs);
                break;
            }
        }
        flush();
    }
    void flush() {
        if (m_batching) {
            return;
        }
        while (!m_closing && !m_output.isEmpty()) {
            const ssize_t n = ::send(m_fd, m_output.constData(), static_cast<std::size_t>(m_output.size()),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                break;
            }
            if (n <= 0) {
                end();
                return;
            }
            m_output.remove(0, n);
        }
        if (m_closing) {
            return;
        }
        if (m_output.size() > maxUnread) {
            end(); // the client does not read its replies
            return;
        }
        m_write.setEnabled(!m_output.isEmpty());
        if (m_output.isEmpty() && m_draining) {
            end();
        }
    }
    void end() {
        if (m_closing) {
            return;
        }
        m_closing = true;
        m_read.setEnabled(false);
        m_write.setEnabled(false);
        m_idle.stop();
        m_held.stop();
        ::shutdown(m_fd, SHUT_RDWR);
        // Removed from the server once this notification has returned.
        QTimer::singleShot(0, this, [this] { m_ended(this); });
    }

    int m_fd;
    SnppSession m_session;
    std::function<void(GatewayConnection*)> m_ended;
    QSocketNotifier m_read;
    QSocketNotifier m_write;
    QTimer m_idle;
    QTimer m_held;
    QByteArray m_input;
    QByteArray m_output;
    std::deque<SessionReply> m_replies;
    bool m_discarding = false;
    bool m_batching = false;
    bool m_draining = false;
    bool m_closing = false;
};

GatewayServer::GatewayServer(GatewayRules rules, int idleTimeoutSeconds, PagesSent pageSent)
    : m_rules(std::move(rules))
    , m_idleTimeoutSeconds(idleTimeoutSeconds)
    , m_pageSent(std::move(pageSent)) {}

GatewayServer::~GatewayServer() {
    m_connections.clear();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
    }
}

bool GatewayServer::listen(const QString& address, int port, QString& error) {
    in_addr host{};
    if (::inet_pton(AF_INET, address.toLatin1().constData(), &host) != 1) {
        error = u"not an IPv4 address: "_s + address;
        return false;
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr = host;
    where.sin_port = htons(static_cast<quint16>(port));
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || ::listen(m_listenFd, 64) != 0) {
        error = systemErrorText(errno);
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    socklen_t length = sizeof where;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&where), &length);
    m_port = ntohs(where.sin_port);
    m_acceptNotifier = new QSocketNotifier(m_listenFd, QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, [this] { acceptOne(); });
    return true;
}

void GatewayServer::acceptOne() {
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        // Out of descriptors (or memory): the waiting connection stays readable on the listening
        // socket, so trying again at once would spin. Accepting pauses a moment while the open
        // sessions go on; one of them ending makes room.
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            m_acceptNotifier->setEnabled(false);
            QTimer::singleShot(acceptPauseMs, this, [this] { m_acceptNotifier->setEnabled(true); });
        }
        return;
    }
    m_connections.push_back(std::make_unique<GatewayConnection>(fd, m_rules, m_idleTimeoutSeconds, m_pageSent,
                                                                [this](GatewayConnection* c) { forget(c); }));
}

void GatewayServer::forget(GatewayConnection* connection) {
    std::erase_if(m_connections, [connection](const auto& c) { return c.get() == connection; });
}

} // namespace corvane::gateway
