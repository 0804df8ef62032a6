#pragma once

class QString;

namespace corvane {

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
// status, the results list and the scrolling banner; and, for programs that wait on a job, which
// chosen recipients were left out and how the job ended.
class EngineOutputs {
public:
    virtual ~EngineOutputs() = default;

    virtual void setStatusText(const QString& text) = 0;
    virtual void setPhaseWord(const QString& word) = 0;
    virtual void clearResults() = 0;
    virtual void appendResult(const QString& line) = 0;
    virtual void showResults() = 0;
    virtual void setBanner(const QString& text) = 0;
    // A chosen recipient that will not be paged, with the reason, as soon as that is known.
    virtual void recipientSkipped(const QString& name, const QString& reason) = 0;
    // Once for every job that was started, when it has ended.
    virtual void jobEnded(const JobReport& report) = 0;
};

} // namespace corvane
