#pragma once

#include "engine/contactDirectory.h"
#include "engine/sendJob.h"
#include "engine/serviceTable.h"
#include "platform/longTimeFormat.h"
#include "settings/activityLog.h"
#include "transport/tcpClient.h"

#include <functional>

namespace corvane {

class Clock;
class DeferredRequests;
class EngineOutputs;
struct RecipientSelection;
struct Settings;

// What the engine is given: the world it talks to, and nothing else.
struct EngineWiring {
    TcpClient& client;
    EngineOutputs& outputs;
    ContactDirectory& contacts;
    DeferredRequests& deferred;
    const Settings& settings;
    const ActivityLog& log; // written only with logging on
    const Clock& clock;
    LongTimeFormat timeFormat;
    std::function<void(int milliseconds)> pause; // the wait before an alternate connection
};

// The paging engine: the service table, the one send job, the SNPP conversation, connection
// control and the Send command. It reports only through EngineOutputs. Its owner connects the TCP
// client's notifications to it (directly, or through a guard that reports errors of the contacts
// table raised inside a notification).
class PagingEngine final : public TcpClientEvents {
public:
    static constexpr int singleRecipientWatchdog = 10;
    static constexpr int alternateWatchdog = 10;
    static constexpr int alternatePort = 444;
    static constexpr int ticksPerSecond = 3;
    static constexpr int alternatePauseMs = 150;
    static constexpr int maxReplyLength = 4096;

    explicit PagingEngine(EngineWiring wiring);
    ~PagingEngine() override;

    ServiceTable& serviceTable() { return m_services; }
    const ServiceTable& serviceTable() const { return m_services; }
    SendJob& job() { return m_job; }
    const SendJob& job() const { return m_job; }

    // A job is running from the Send that started it until its last outcome is reported, also
    // between two services, when no connection is open. A Send while it runs changes nothing.
    bool jobRunning() const { return m_jobRunning; }
    // No job is under way: a Send would be taken.
    bool isIdle() const { return !m_jobRunning; }
    // The delivery time of the next Send that does not come from the Send button: empty for at
    // once, or YYMMDDHHMMSS.
    const QString& holdValue() const { return m_job.holdValue; }
    void setHoldValue(const QString& value) { m_job.holdValue = value; }

    // Puts the job into Idle with twelve empty recipient lists; no send can start before that.
    void prepareSendJob();

    // The Send command.
    void sendButtonClick(const RecipientSelection& selection);
    // The Cancel button: abandons the connection under way.
    void cancelSendButtonClick();
    // Ends the whole job at once, as a stop of the program asks: the connection under way ends as
    // Cancel ends it, everyone not yet paged is named ("cancelled") and logged with logText, and a
    // job with queued recipients ends with its tally. Nothing when no job runs.
    void cancelJob(const QString& logText);
    // The watchdog step of the 333 ms tick.
    void Timer1Timer();
    // The deferred requests, run when they come back from the event loop.
    void gotDisconnect();
    void tryAlt();

    bool ConnectToNextService(int start);
    // Abandons the connection under way; reason says why for the recipients it leaves unpaged.
    void FailIt(const QString& reason = QString());

    // TCP client notifications.
    void clientSocketConnected(TcpClient& Sender, int StatusCode, const QString& Description) override;
    void clientSocketDataIn(TcpClient& Sender, const QString& Text, bool EOL) override;
    void clientSocketDisconnected(TcpClient& Sender, int StatusCode, const QString& Description) override;
    void clientSocketError(TcpClient& Sender, int ErrorCode, const QString& Description) override;

private:
    // SNPP conversation.
    void handleReply(const QString& Text);
    void greetingStep(const QString& reply);
    void sendFirstPage();
    void LookForNextIDinList();
    bool startNextQueuedRecipient(bool showResults);
    void sendPageString();
    void beginPageTransaction();
    void holdOrPage();
    void chunkStep();
    void refusalStep(const QString& reply);
    void resetStep(const QString& reply, bool accepted, bool greeted);
    void send(const QString& line);
    void closeConnection();
    // The one-word message status the operator sees.
    enum class Phase { None, Connecting, Connected, Success, Fail, Cancel, Done };
    void setPhase(Phase phase);
    void abandon(bool cancelled, const QString& reason);
    // The last lines of a job with queued recipients, and its report.
    void endWithTally(Phase phase);
    void endSingleJob();

    // Outcomes. The first cause given for ending a connection is the reason every recipient it
    // leaves unpaged is given.
    void noteEndReason(const QString& reason);
    void reportPaged();
    void reportNotPaged(const QString& name, const QString& pagerId, int service, const QString& reason);
    // A queued recipient of a multi-recipient job that will not be paged: it is counted in the
    // tally, so the results list names it too.
    void reportQueuedNotPaged(const QString& name, const QString& pagerId, const QString& reason);
    // A chosen recipient of a multi-recipient job that Send could not queue.
    void reportLeftOut(const QString& name, const QString& pagerId, const QString& reason);
    // Everyone the connection to the current service left unpaged: the recipient in flight, then the
    // rest of its queue, which is emptied.
    void accountForUnpaged(const QString& reason);
    // The connection under way still has a recipient to page.
    bool someoneWaiting() const;
    // Why a single recipient's selection cannot be sent; empty when it can.
    QString singleRecipientProblem(const RecipientSelection& selection);

    // Logging, only with logging on; a failed write is reported and never stops the step.
    void writelogMessageSent();
    void writelogError(const QString& str, bool individual);

    // Asks for the alternate address when the service has one not yet tried this connection.
    bool postTryAltIfUntried();
    void startSingleRecipient(const RecipientSelection& selection);
    void queueGroup(int group);
    void queueTickedNames(const QStringList& names);

    const serviceRecordType& currentServiceRecord() const { return m_services[m_job.currentService]; }

    TcpClient& m_client;
    EngineOutputs& m_outputs;
    ContactDirectory& m_contacts;
    DeferredRequests& m_deferred;
    const Settings& m_settings;
    const Clock& m_clock;
    LongTimeFormat m_timeFormat;
    std::function<void(int)> m_pause;

    ServiceTable m_services;
    SendJob m_job;
    const ActivityLog& m_log;
    LookedUpContact m_lookedUp; // the last contact found by the Send command
    // Who is closing the connection under way, and so what its Disconnected means.
    enum class Closing {
        No,         // nobody: a Disconnected now is the service's (or the network's) doing
        Requested,  // the conversation ended it (QUIT, a refusal): read no further replies
        Abandoning, // FailIt or Cancel: they set the phase and move the job on themselves
        Switching,  // tryAlt is closing the primary: the job goes on on the alternate
    };

    bool m_disconnectSeen = false;   // a Disconnected came while FailIt or tryAlt closed the client
    QString m_replyBuffer;           // received text not yet ending in a line break
    bool m_discardToLineEnd = false; // an over-long reply was answered: drop the rest of its line
    Closing m_closing = Closing::No;
    bool m_holdWarned = false;       // the refused HOLD of this connection is logged already
    bool m_jobRunning = false;       // from Send until the job's last outcome is reported
    bool m_delivered = false;        // single recipient: the last chunk was accepted
    bool m_cancelling = false;       // single recipient: the operator's Cancel is ending it
    bool m_holdRefused = false;      // the current recipient's page goes out at once: HOLD was refused
    bool m_transactionTaken = false; // the server accepted part of the transaction under way
    QString m_endReason;             // why the connection under way ended, as first known
    int m_skipped = 0;               // chosen recipients of this job that were never queued
    Phase m_phase = Phase::None;     // the phase last shown
};

} // namespace corvane
