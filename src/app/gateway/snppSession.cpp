#include "app/gateway/snppSession.h"

#include "engine/scrambler.h"
#include "platform/codePage.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

using namespace Qt::Literals::StringLiterals;

namespace corvane::gateway {

namespace {

const QString encryptedMarker = u"SNPPENCRYPTED001"_s;

SessionReply line(const QString& text) {
    return SessionReply{text + u"\r\n"_s, 0, false};
}

// The verb and the rest of the line, the rest without the blank after the verb.
// YYMMDDHHMMSS, optionally followed by a blank and a difference to GMT (+HHMM or -HHMM), naming a
// real moment: month 13, 30 February or 25 o'clock is refused as gateways refuse a bad time.
bool isDeliveryTime(const QString& text) {
    static const QRegularExpression form(u"^([0-9]{2})([0-9]{2})([0-9]{2})([0-9]{2})([0-9]{2})([0-9]{2})"
                                         u"(?: [+-]([0-9]{2})([0-9]{2}))?$"_s);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) {
        return false;
    }
    const auto part = [&](int i) { return m.captured(i).toInt(); };
    const bool offsetOk = !m.hasCaptured(7) || (part(7) <= 14 && part(8) < 60);
    return QDate(2000 + part(1), part(2), part(3)).isValid() && QTime(part(4), part(5), part(6)).isValid() && offsetOk;
}

std::pair<QString, QString> verbAndArgument(const QString& commandLine) {
    const qsizetype space = commandLine.indexOf(u' ');
    if (space < 0) {
        return {commandLine.toUpper(), QString()};
    }
    return {commandLine.left(space).toUpper(), commandLine.mid(space + 1)};
}

} // namespace

SnppSession::SnppSession(const GatewayRules& rules, PagesSent pagesSent)
    : m_rules(rules)
    , m_pagesSent(std::move(pagesSent)) {}

QString SnppSession::greeting() {
    return u"220 Corvane gateway (SNPP) ready\r\n"_s;
}

QString SnppSession::idleTimeoutReply() {
    return u"421 Timeout, Goodbye\r\n"_s;
}

void SnppSession::resetTransaction() {
    m_pagers.clear();
    m_message.clear();
    m_hasMessage = false;
    m_encrypted = false;
    m_hold.clear();
    m_queued = false;
}

std::vector<SessionReply> SnppSession::handleLine(const QString& commandLine) {
    if (!m_rules.queueCommand.isEmpty() &&
        commandLine.trimmed().compare(m_rules.queueCommand.trimmed(), Qt::CaseInsensitive) == 0) {
        m_queued = true;
        return {line(u"250 Page will be queued"_s)};
    }
    const auto [verb, argument] = verbAndArgument(commandLine);
    if (verb == u"LOGI"_s) {
        const QStringList parts = argument.split(u' ', Qt::SkipEmptyParts);
        if (m_rules.loginId.isEmpty()) {
            m_loggedIn = true;
            return {line(u"250 Login Accepted"_s)};
        }
        m_loggedIn = parts.value(0) == m_rules.loginId && parts.value(1) == m_rules.loginPassword;
        return {line(m_loggedIn ? u"250 Login Accepted"_s : u"550 Error, Invalid Login"_s)};
    }
    if (verb == u"HOLD"_s) {
        if (!isDeliveryTime(argument.trimmed())) {
            return {line(u"550 Error, Invalid Delivery Date/Time"_s)};
        }
        m_hold = argument.trimmed().left(12);
        return {line(u"250 Delayed Messaging Selected"_s)};
    }
    if (verb == u"PAGE"_s) {
        if (!m_rules.loginId.isEmpty() && !m_loggedIn) {
            return {line(u"530 Error, Login Required"_s)};
        }
        const QStringList parts = argument.split(u' ', Qt::SkipEmptyParts);
        if (parts.isEmpty() || m_rules.refusedIds.contains(parts.first())) {
            return {line(u"550 Error, Invalid Pager ID"_s)};
        }
        if (m_pagers.size() >= maxPagersPerTransaction) {
            return {line(u"550 Error, Too Many Pager IDs (at most %1 before SEND)"_s.arg(maxPagersPerTransaction))};
        }
        m_pagers.push_back(Pager{parts.first(), parts.size() > 1});
        return {line(u"250 Pager ID Accepted"_s)};
    }
    if (verb == u"MESS"_s) {
        if (m_pagers.empty()) {
            return {line(u"503 Error, Pager ID Needed"_s)};
        }
        if (m_hasMessage) {
            return {line(u"503 ERROR, Message Already Entered"_s)};
        }
        QString text = argument;
        bool encrypted = false;
        if (text.startsWith(encryptedMarker)) {
            const QByteArray decoded = QByteArray::fromBase64(text.mid(encryptedMarker.size()).toLatin1());
            text = fromCodePage(unscrambleBytes(decoded, scrambleStartKey));
            encrypted = true;
        }
        if (m_rules.maxMessage > 0 && text.size() > m_rules.maxMessage) {
            return {line(u"550 Error, Message Too Long (at most %1 characters)"_s.arg(m_rules.maxMessage))};
        }
        m_message = text;
        m_hasMessage = true;
        m_encrypted = encrypted;
        return {line(u"250 Message OK"_s)};
    }
    if (verb == u"SEND"_s) {
        if (m_pagers.empty() || !m_hasMessage) {
            return {line(u"503 Error, Pager ID or Message Incomplete"_s)};
        }
        std::vector<PageSent> pages;
        pages.reserve(m_pagers.size());
        for (const Pager& pager : m_pagers) {
            pages.push_back(PageSent{pager.id, pager.withPassword, m_hold, m_message, m_encrypted});
        }
        if (!m_pagesSent(pages)) {
            resetTransaction();
            return {line(u"554 Error, The Page Could Not Be Recorded"_s)};
        }
        SessionReply sent = line(u"250 Message Sent Successfully"_s);
        // A gateway that was not told to queue the page answers only once it has gone out.
        if (!m_rules.queueCommand.isEmpty() && !m_queued) {
            sent.delayMs = m_rules.slowSendMs;
        }
        resetTransaction();
        return {sent};
    }
    if (verb == u"RESE"_s) {
        resetTransaction();
        return {line(u"250 RESET OK"_s)};
    }
    if (verb == u"HELP"_s) {
        std::vector<SessionReply> help;
        for (const QString& text :
             {u"214 LOGI <loginid> <password>"_s, u"214 PAGE <pager ID> [password]"_s, u"214 MESS <message>"_s,
              u"214 HOLD <YYMMDDHHMMSS> [+/-GMTdiff]"_s, u"214 RESE (reset the transaction)"_s,
              u"214 SEND (send the message)"_s, u"214 QUIT (end the session)"_s}) {
            help.push_back(line(text));
        }
        help.push_back(line(u"250 End of Help Information"_s));
        return help;
    }
    if (verb == u"QUIT"_s) {
        SessionReply bye = line(u"221 OK, Goodbye"_s);
        bye.closeAfter = true;
        return {bye};
    }
    return {line(u"500 Command Not Implemented, Try Again"_s)};
}

} // namespace corvane::gateway
