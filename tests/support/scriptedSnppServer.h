#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::test {

// A scripted SNPP server on 127.0.0.1 for end-to-end tests. It runs on its own thread with blocking
// sockets, serves one connection at a time, sends a greeting, and answers each received line
// (CR LF stripped) with what the responder says. Everything received is recorded.
class ScriptedSnppServer {
public:
    struct Reply {
        std::vector<std::string> segments; // sent one by one, with a pause between them
        bool close = false;                // close the connection after sending
        bool reset = false;                // ... with a reset (RST) instead of an orderly close
        int pauseMs = 60;                  // between segments
        std::function<void()> between;     // if set, runs between segments instead of the pause
        int delayMs = 0;                   // before the first segment

        Reply() = default;
        Reply(std::string text, bool closeAfter = false);
        static Reply none() { return {}; }
        static Reply split(std::vector<std::string> parts) {
            Reply r;
            r.segments = std::move(parts);
            return r;
        }
        // The text a byte at a time, pauseMs apart.
        static Reply byteByByte(const std::string& text, int pauseMs) {
            Reply r;
            for (char c : text) {
                r.segments.emplace_back(1, c);
            }
            r.pauseMs = pauseMs;
            return r;
        }
        static Reply hangUp(bool withReset) {
            Reply r;
            r.close = true;
            r.reset = withReset;
            return r;
        }
    };
    // line: one received line without its CR LF; session: 1 for the first connection, and so on.
    using Responder = std::function<Reply(const std::string& line, int session)>;

    // Answers like a well-behaved SNPP gateway: 250 to LOGI, HOLD, PAGE, MESS, SEND and RESE, 221
    // to QUIT (then closes), 500 to anything else.
    static Reply standardReply(const std::string& line);

    // Listens on a port the system hands out; port() tells which.
    explicit ScriptedSnppServer(Responder responder = nullptr, std::string greeting = "220 SNPP gateway ready\r\n");
    // A greeting that may also hang up, split or wait, like any reply.
    ScriptedSnppServer(Responder responder, Reply greeting);
    ~ScriptedSnppServer();
    ScriptedSnppServer(const ScriptedSnppServer&) = delete;
    ScriptedSnppServer& operator=(const ScriptedSnppServer&) = delete;

    int port() const { return m_port; }
    std::vector<std::string> lines() const;
    int sessions() const { return m_sessions.load(); }
    // Connections that the client closed (end of stream seen by the server).
    int clientCloses() const { return m_clientCloses.load(); }

private:
    void run();
    void serve(int fd, int session);
    bool sendReply(int fd, const Reply& reply);
    static void hangUp(int fd, const Reply& reply);

    Responder m_responder;
    Reply m_greeting;
    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    int m_port = 0;
    std::atomic<int> m_sessions{0};
    std::atomic<int> m_clientCloses{0};
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::thread m_thread;
};

// A port on 127.0.0.1 that refuses every connection for as long as this object lives: the socket is
// bound to the port the system handed out and never listens, so no other program can take the port
// while a test counts on the refusal.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

} // namespace corvane::test
