#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace corvane::cli {

// The first thing a command-line program does, before Qt or anything else opens a descriptor:
// descriptors 0, 1 and 2 that are closed are opened on /dev/null, so that the next socket or file
// opened never becomes standard error (and messages never go to a server or into a data file); a
// reader that has gone away (SIGPIPE) and a file-size limit (SIGXFSZ) are write errors, not death.
void prepareProcess();

// SIGTERM, SIGINT and SIGHUP (a service manager's stop, Ctrl-C, a closed terminal) as an event of
// the event loop: the first one runs onStop there, so the program can end what it is doing in
// order; a second one ends the program at once with the exit status given.
class StopSignals final : public QObject {
public:
    StopSignals(std::function<void()> onStop, int immediateExitStatus);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    std::function<void()> m_onStop;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace corvane::cli
