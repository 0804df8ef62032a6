#pragma once

#include <QString>

namespace corvane {

// What became of one chosen recipient: paged, or not paged and why. Every recipient the operator
// chose gets exactly one, as soon as it is known.
struct RecipientOutcome {
    QString name;    // as chosen: a contact's name, or the direct entry's marker
    QString pagerId; // the pager ID paged, or that would have been; empty when it was never read
    int service = 0; // the service it went, or would have gone, to; 0 when none
    bool paged = false;
    QString reason; // not paged: why, in a few words (a server's refusal is its reply)
};

// How a job that was started came to its end. A single-recipient job ends with one outcome; a job
// with queued recipients ends with its tally.
struct JobReport {
    enum class Outcome { Success, Fail, Cancel, Tally };

    Outcome outcome = Outcome::Fail;
    bool multiRecipient = false;
    int sentOk = 0;  // recipients paged (0 or 1 for a single recipient)
    int total = 0;   // recipients queued (1 for a single recipient)
    int skipped = 0; // selected recipients that were never queued (not found, no service)

    // Every recipient the operator chose was paged.
    bool allPaged() const { return total > 0 && sentOk == total && skipped == 0; }
};

// The only ways the engine reports to the operator: the status bar text, the one-word message
// status, the results list and the scrolling banner; and, for programs that wait on a job, what
// became of each chosen recipient and how the job ended.
class EngineOutputs {
public:
    virtual ~EngineOutputs() = default;

    virtual void setStatusText(const QString& text) = 0;
    virtual void setPhaseWord(const QString& word) = 0;
    virtual void clearResults() = 0;
    virtual void appendResult(const QString& line) = 0;
    virtual void showResults() = 0;
    virtual void setBanner(const QString& text) = 0;
    // What became of a chosen recipient, once for each, as soon as it is known.
    virtual void recipientOutcome(const RecipientOutcome& outcome) = 0;
    // A service refused a delivery time: the pages of this connection go out at once. Once per
    // connection; reply is the service's answer.
    virtual void holdRefused(const QString& serviceName, const QString& reply) = 0;
    // Once for every job that was started, when it has ended.
    virtual void jobEnded(const JobReport& report) = 0;
};

} // namespace corvane
