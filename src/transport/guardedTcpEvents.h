#pragma once

#include "platform/error.h"
#include "transport/tcpClient.h"

#include <functional>

namespace corvane {

// Hands the TCP client's notifications on, so that an error raised while handling one (a failed
// send) goes to the program's error report instead of through the event loop.
class GuardedTcpEvents final : public TcpClientEvents {
public:
    GuardedTcpEvents(TcpClientEvents& target, std::function<void(const Error&)> report)
        : m_target(target)
        , m_report(std::move(report)) {}

    void clientSocketConnected(TcpClient& Sender, int StatusCode, const QString& Description) override {
        guard([&] { m_target.clientSocketConnected(Sender, StatusCode, Description); });
    }
    void clientSocketDataIn(TcpClient& Sender, const QString& Text, bool EOL) override {
        guard([&] { m_target.clientSocketDataIn(Sender, Text, EOL); });
    }
    void clientSocketDisconnected(TcpClient& Sender, int StatusCode, const QString& Description) override {
        guard([&] { m_target.clientSocketDisconnected(Sender, StatusCode, Description); });
    }
    void clientSocketError(TcpClient& Sender, int ErrorCode, const QString& Description) override {
        guard([&] { m_target.clientSocketError(Sender, ErrorCode, Description); });
    }

private:
    template <typename F>
    void guard(F&& handler) {
        try {
            handler();
        } catch (const AbortError&) {
        } catch (const Error& error) {
            m_report(error);
        }
    }

    TcpClientEvents& m_target;
    std::function<void(const Error&)> m_report;
};

} // namespace corvane
