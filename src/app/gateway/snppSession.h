#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace corvane::gateway {

// How a gateway behaves; the defaults are a plain, accommodating SNPP gateway.
struct GatewayRules {
    QStringList refusedIds; // PAGE of these is answered 550
    int maxMessage = 0;     // 0: no limit; else a longer MESS is answered 550
    QString loginId;        // non-empty: LOGI with these values is needed before PAGE
    QString loginPassword;
    QString queueCommand;   // non-empty: a line that must come before each PAGE...
    int slowSendMs = 20000; // ...or SEND is answered only this much later
};

// A page the gateway took: one per pager of a transaction, when SEND is accepted.
struct PageSent {
    QString pagerId;
    bool withPassword = false;
    QString hold;    // YYMMDDHHMMSS, or empty
    QString message; // decoded when it came in the encrypted form
    bool encrypted = false;
};

// Receives the pages of one SEND together and records all of them or none: false (a full disk) and
// SEND is refused, so that the sender never takes a lost page for a sent one, nor a transaction
// that was half recorded for a refused one.
using PagesSent = std::function<bool(const std::vector<PageSent>& transaction)>;

// One reply line (with its CR LF), and what happens with it.
struct SessionReply {
    QString text;
    int delayMs = 0;         // sent this much later
    bool closeAfter = false; // the connection ends after it
};

// The SNPP dialogue of one connection (RFC 1861, level 1 and 2 commands the paging clients use):
// LOGI, HOLD, PAGE, MESS, SEND, RESE, HELP, QUIT. A transaction collects pager IDs and one message
// and ends with SEND (or RESE); then the next one starts empty.
class SnppSession {
public:
    // A transaction holds at most this many pager IDs (a real gateway bounds it too): more PAGE
    // commands before SEND are refused, so a client cannot make the gateway grow without end.
    static constexpr int maxPagersPerTransaction = 32;

    explicit SnppSession(const GatewayRules& rules, PagesSent pagesSent);

    static QString greeting();
    static QString idleTimeoutReply();
    // The replies to one command line (without its line end).
    std::vector<SessionReply> handleLine(const QString& line);
    // Pager IDs taken in the transaction so far.
    int pagersInTransaction() const { return static_cast<int>(m_pagers.size()); }

private:
    void resetTransaction();

    const GatewayRules& m_rules;
    PagesSent m_pagesSent;
    bool m_loggedIn = false;
    struct Pager {
        QString id;
        bool withPassword = false;
    };
    std::vector<Pager> m_pagers;
    QString m_message;
    bool m_hasMessage = false;
    bool m_encrypted = false;
    QString m_hold;
    bool m_queued = false;
};

} // namespace corvane::gateway
