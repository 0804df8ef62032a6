#pragma once

#include "engine/serviceTable.h"
#include "platform/oneBased.h"

#include <QString>
#include <QStringList>

namespace corvane {

// Where the one send job stands; the numbers follow a normal conversation.
enum class EngineState {
    Idle = 1,
    Connecting = 2,
    AwaitingGreeting = 3,
    LoginSent = 4,
    HoldSent = 5,
    PageSent = 6,
    MessageSent = 7,
    SendSent = 8,
    QuitSent = 9,
    // The service's own command before a PAGE was sent (only for services built with one).
    BeforePageSent = 10,
    // RESE after a refused step, so that the next transaction starts clean.
    ResetSent = 11,
};

// The single in-flight job: one recipient, or a queue of recipients per service.
struct SendJob {
    EngineState state = EngineState::Idle;
    bool multiRecipient = false;
    OneBased<QStringList, serviceCount> recipientLists; // contact names queued per service
    OneBased<QString, serviceCount> serviceMessages;    // the message cut to each service's maxChars
    int currentService = 1;
    QString contactName;
    // contactName was taken off its queue for paging and has no outcome yet.
    bool recipientInFlight = false;
    QString pagerId;
    QString pagerPassword; // empty: none
    QString holdValue;     // empty, or YYMMDDHHMMSS
    QString chunkText;
    int messageIndex = 1; // 1-based position of the next chunk; goes below 1 when reversed
    bool chunksReversed = false;
    int totalRecipients = 0;
    int sentOkCount = 0;
    bool altTried = false;
    int watchdogSeconds = 0; // 0: not armed
    int tickCount = 0;
};

} // namespace corvane
