#include "app/cli/startUp.h"

#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::cli {

namespace {

int stopPipe[2] = {-1, -1};
std::atomic<int> stopsSeen{0};
int immediateStatus = 1;

void onStopSignal(int) {
    if (stopsSeen.fetch_add(1) > 0) {
        ::_exit(immediateStatus);
    }
    const char stop = 's';
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &stop, 1);
}

} // namespace

void prepareProcess() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0) {
            // open gives the lowest free descriptor: this one.
            const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) {
                ::close(opened);
            }
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

StopSignals::StopSignals(std::function<void()> onStop, int immediateExitStatus)
    : m_onStop(std::move(onStop)) {
    immediateStatus = immediateExitStatus;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, stopPipe) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char stop = 0;
        [[maybe_unused]] const ssize_t n = ::read(stopPipe[0], &stop, 1);
        m_notifier->setEnabled(false); // once: a second signal ends the program in the handler
        if (m_onStop) {
            m_onStop();
        }
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        std::signal(signal, SIG_DFL);
    }
}

} // namespace corvane::cli
