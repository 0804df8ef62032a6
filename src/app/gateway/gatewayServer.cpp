#include "app/gateway/gatewayServer.h"

#include "platform/codePage.h"
#include "platform/systemError.h"

#include <QSocketNotifier>
#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <deque>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane::gateway {

// One client: reads lines, answers them in order (a reply that is held back holds back the ones
// after it), and ends on QUIT, on the client's close or after the idle time-out.
class GatewayConnection final : public QObject {
public:
    GatewayConnection(int fd, const GatewayRules& rules, int idleTimeoutSeconds,
                      std::function<void(const PageSent&)> pageSent, std::function<void(GatewayConnection*)> ended)
        : m_fd(fd)
        , m_session(rules, std::move(pageSent))
        , m_ended(std::move(ended))
        , m_read(fd, QSocketNotifier::Read, this) {
        connect(&m_read, &QSocketNotifier::activated, this, [this] { onReadable(); });
        m_idle.setSingleShot(true);
        connect(&m_idle, &QTimer::timeout, this, [this] {
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

private:
    static constexpr qsizetype maxLine = 8192;

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
        if (m_idle.interval() > 0) {
            m_idle.start();
        }
        m_input.append(buffer, n);
        qsizetype at;
        while (!m_closing && (at = m_input.indexOf('\n')) >= 0) {
            QByteArray bytes = m_input.left(at);
            m_input.remove(0, at + 1);
            if (bytes.endsWith('\r')) {
                bytes.chop(1);
            }
            queue(m_session.handleLine(fromCodePage(bytes)));
        }
        if (m_input.size() > maxLine) {
            m_input.clear();
            queue({SessionReply{u"500 Error, Line Too Long\r\n"_s, 0, false}});
        }
    }
    void queue(std::vector<SessionReply> replies) {
        for (SessionReply& reply : replies) {
            m_replies.push_back(std::move(reply));
        }
        sendQueued(false);
    }
    // Sends the replies in order; one held back starts the wait for it.
    void sendQueued(bool heldOneIsDue) {
        while (!m_replies.empty()) {
            SessionReply& next = m_replies.front();
            if (next.delayMs > 0 && !heldOneIsDue) {
                if (!m_held.isActive()) {
                    m_held.start(next.delayMs);
                }
                return;
            }
            heldOneIsDue = false;
            const QByteArray bytes = toCodePage(next.text);
            const bool closeAfter = next.closeAfter;
            m_replies.pop_front();
            if (::send(m_fd, bytes.constData(), static_cast<std::size_t>(bytes.size()), MSG_NOSIGNAL) < 0 ||
                closeAfter) {
                end();
                return;
            }
        }
    }
    void end() {
        if (m_closing) {
            return;
        }
        m_closing = true;
        m_read.setEnabled(false);
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
    QTimer m_idle;
    QTimer m_held;
    QByteArray m_input;
    std::deque<SessionReply> m_replies;
    bool m_closing = false;
};

GatewayServer::GatewayServer(GatewayRules rules, int idleTimeoutSeconds, std::function<void(const PageSent&)> pageSent)
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
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    m_connections.push_back(std::make_unique<GatewayConnection>(fd, m_rules, m_idleTimeoutSeconds, m_pageSent,
                                                                [this](GatewayConnection* c) { forget(c); }));
}

void GatewayServer::forget(GatewayConnection* connection) {
    std::erase_if(m_connections, [connection](const auto& c) { return c.get() == connection; });
}

} // namespace corvane::gateway
