// corvane-gateway's SNPP dialogue driven by arbitrary client bytes, cut into lines as the gateway
// cuts them (at LF, a CR before it dropped). The first input byte picks the gateway's rules.
// Besides "no crash", it checks what must always hold:
// - every complete line gets at least one reply, and every reply is one line ending in CR LF;
// - a transaction never holds more pager IDs than its bound;
// - pages are recorded only while a SEND is handled, and that SEND is answered 250 when every
//   page was recorded and 554 when one could not be (the recorder refuses pager IDs with a '7').
#include "app/gateway/snppSession.h"
#include "fuzzSupport.h"
#include "platform/codePage.h"

#include <QByteArray>

using namespace corvane;
using namespace corvane::gateway;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    GatewayRules rules;
    const unsigned char pick = data[0];
    if (pick & 1) {
        rules.refusedIds = {QStringLiteral("666")};
    }
    if (pick & 2) {
        rules.maxMessage = 10;
    }
    if (pick & 4) {
        rules.loginId = QStringLiteral("ops");
        rules.loginPassword = QStringLiteral("pw");
    }
    if (pick & 8) {
        rules.queueCommand = QStringLiteral("SITE JQUEUE YES");
    }
    int recorded = 0;
    bool refusedOne = false;
    SnppSession session(rules, [&](const std::vector<corvane::gateway::PageSent>& pages) {
        recorded += static_cast<int>(pages.size());
        bool ok = true;
        for (const corvane::gateway::PageSent& page : pages) {
            ok = ok && !page.pagerId.contains(QLatin1Char('7'));
        }
        refusedOne = refusedOne || !ok;
        return ok;
    });
    const QByteArray input(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    qsizetype start = 0;
    qsizetype end;
    while ((end = input.indexOf('\n', start)) >= 0) {
        QByteArray bytes = input.mid(start, end - start);
        start = end + 1;
        if (bytes.endsWith('\r')) {
            bytes.chop(1);
        }
        const QString line = fromCodePage(bytes);
        const int pagersBefore = session.pagersInTransaction();
        const int recordedBefore = recorded;
        refusedOne = false;
        const std::vector<SessionReply> replies = session.handleLine(line);
        require(!replies.empty());
        for (const SessionReply& reply : replies) {
            require(reply.text.endsWith(QStringLiteral("\r\n")));
            require(reply.text.indexOf(QLatin1Char('\n')) == reply.text.size() - 1);
            require(reply.text.indexOf(QLatin1Char('\r')) == reply.text.size() - 2);
        }
        require(session.pagersInTransaction() <= SnppSession::maxPagersPerTransaction);
        const int pages = recorded - recordedBefore;
        if (pages > 0) {
            require(line.trimmed().left(4).compare(QStringLiteral("SEND"), Qt::CaseInsensitive) == 0);
            require(pages == pagersBefore);
            require(replies.back().text.startsWith(refusedOne ? QStringLiteral("554 ") : QStringLiteral("250 ")));
            require(session.pagersInTransaction() == 0);
        }
        if (replies.back().text.startsWith(QStringLiteral("250 Message Sent"))) {
            require(pages > 0 && !refusedOne);
        }
    }
    return 0;
}
