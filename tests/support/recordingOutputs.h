#pragma once

#include "engine/engineOutputs.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvane::test {

// Keeps what the engine shows, and the history of the status text and the phase word.
class RecordingOutputs final : public EngineOutputs {
public:
    QString status;
    QString phase = QStringLiteral("NONE");
    QString banner;
    QStringList results;
    QStringList statusHistory;
    QStringList phaseHistory;
    int resultsShown = 0;
    int resultsCleared = 0;
    std::vector<RecipientOutcome> outcomes;
    QStringList paged;        // names, in the order of their outcomes
    QStringList notPaged;     // "name: reason"
    QStringList holdRefusals; // "service: reply"
    std::vector<JobReport> reports;

    void setStatusText(const QString& text) override {
        status = text;
        statusHistory.append(text);
    }
    void setPhaseWord(const QString& word) override {
        phase = word;
        phaseHistory.append(word);
    }
    void clearResults() override {
        results.clear();
        ++resultsCleared;
    }
    void appendResult(const QString& line) override { results.append(line); }
    void showResults() override { ++resultsShown; }
    void setBanner(const QString& text) override { banner = text; }
    void recipientOutcome(const RecipientOutcome& outcome) override {
        outcomes.push_back(outcome);
        if (outcome.paged) {
            paged.append(outcome.name);
        } else {
            notPaged.append(outcome.name + QStringLiteral(": ") + outcome.reason);
        }
    }
    void holdRefused(const QString& serviceName, const QString& reply) override {
        holdRefusals.append(serviceName + QStringLiteral(": ") + reply);
    }
    void jobEnded(const JobReport& report) override { reports.push_back(report); }
};

} // namespace corvane::test
