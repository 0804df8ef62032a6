#pragma once

class QString;

namespace corvane {

// The only ways the engine reports to the operator: the status bar text, the one-word message
// status, the results list and the scrolling banner.
class EngineOutputs {
public:
    virtual ~EngineOutputs() = default;

    virtual void setStatusText(const QString& text) = 0;
    virtual void setPhaseWord(const QString& word) = 0;
    virtual void clearResults() = 0;
    virtual void appendResult(const QString& line) = 0;
    virtual void showResults() = 0;
    virtual void setBanner(const QString& text) = 0;
};

} // namespace corvane
