#include "scriptedSnppServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::test {

namespace {

// A socket bound to a port on 127.0.0.1 that the system picks; port receives it.
int bindLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        throw std::runtime_error("bind failed");
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

bool sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

ScriptedSnppServer::Reply::Reply(std::string text, bool closeAfter)
    : segments{std::move(text)}
    , close(closeAfter) {}

ScriptedSnppServer::Reply ScriptedSnppServer::standardReply(const std::string& line) {
    const std::string verb = line.substr(0, 4);
    if (verb == "QUIT") {
        return Reply("221 OK, Goodbye\r\n", true);
    }
    if (verb == "LOGI" || verb == "HOLD" || verb == "PAGE" || verb == "MESS" || verb == "SEND" || verb == "RESE") {
        return Reply("250 OK\r\n");
    }
    return Reply("500 Command Not Implemented\r\n");
}

ScriptedSnppServer::ScriptedSnppServer(Responder responder, std::string greeting)
    : ScriptedSnppServer(std::move(responder), greeting.empty() ? Reply() : Reply(std::move(greeting))) {}

ScriptedSnppServer::ScriptedSnppServer(Responder responder, Reply greeting)
    : m_responder(std::move(responder))
    , m_greeting(std::move(greeting)) {
    if (!m_responder) {
        m_responder = [](const std::string& line, int) { return standardReply(line); };
    }
    m_listenFd = bindLoopback(m_port);
    if (::listen(m_listenFd, 8) != 0) {
        ::close(m_listenFd);
        throw std::runtime_error("listen failed");
    }
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    m_thread = std::thread([this] { run(); });
}

ScriptedSnppServer::~ScriptedSnppServer() {
    m_stopping = true;
    const char wake = 'x';
    [[maybe_unused]] const ssize_t n = ::write(m_wakePipe[1], &wake, 1);
    m_thread.join();
    ::close(m_listenFd);
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
}

std::vector<std::string> ScriptedSnppServer::lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void ScriptedSnppServer::run() {
    while (!m_stopping) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            return;
        }
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        serve(fd, ++m_sessions);
        ::close(fd);
    }
}

void ScriptedSnppServer::serve(int fd, int session) {
    if (!sendReply(fd, m_greeting)) {
        return;
    }
    if (m_greeting.close) {
        hangUp(fd, m_greeting);
        return;
    }
    std::string pending;
    char buffer[65536];
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            return;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ++m_clientCloses;
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            {
                std::lock_guard lock(m_mutex);
                m_lines.push_back(line);
            }
            const Reply reply = m_responder(line, session);
            if (!sendReply(fd, reply)) {
                return;
            }
            if (reply.close) {
                hangUp(fd, reply);
                return;
            }
        }
    }
}

// The connection is closed by the caller; a reset is asked for here, before that close.
void ScriptedSnppServer::hangUp(int fd, const Reply& reply) {
    if (reply.reset) {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
}

bool ScriptedSnppServer::sendReply(int fd, const Reply& reply) {
    if (reply.delayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
    }
    for (std::size_t i = 0; i < reply.segments.size(); ++i) {
        if (i > 0 && reply.between) {
            reply.between();
        } else if (i > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.pauseMs));
        }
        if (!sendAll(fd, reply.segments[i])) {
            return false;
        }
    }
    return true;
}

RefusingPort::RefusingPort() {
    m_fd = bindLoopback(m_port);
}

RefusingPort::~RefusingPort() {
    ::close(m_fd);
}

} // namespace corvane::test
