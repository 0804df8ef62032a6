// Paging speed against the floor: corvane-page as a whole process against a bare client (blocking
// sockets, TCP_NODELAY) doing exactly the same SNPP round trips, and against Perl's Net::SNPP as a
// whole process, through the same fast loopback gateway, for one page and for groups of 1,000 and
// 10,000; then the desktop program's send to the 10,000-recipient group through that gateway.
// The gateway runs on the machine's last core and everything else on the first, so that every
// client's round trips cross the same two cores: left to the scheduler, a client that happens to
// share the gateway's core answers several times faster than one that does not.
// Run: build/bin/pagingBench [rounds] [--same-core]
//      (--same-core: the gateway shares the first core with the clients, so that the figures are the
//      clients' own costs rather than the wake-ups across cores)
//      build/bin/pagingBench --gateway-only   (just the gateway, to profile a client by hand; it says
//      which port it got, and bench-bin/corvane-page pages the port in CORVANE_BENCH_PORT)
#include "benchSupport.h"
#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/datamod.h"
#include "desktopBenchSupport.h"
#include "engine/pagingEngine.h"
#include "ui/programWindows.h"
#include "ui/toolkit/namedChild.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace corvane;

namespace {

// The port the system gave the gateway; corvane-page built for this benchmark takes it from the
// environment variable CORVANE_BENCH_PORT.
int gatewayPort = 0;
int gatewayCore = -1; // the last core; 0 with --same-core
const char* const message = "Fire drill at 10:00";

// Pins the calling process (and what it starts later) to one core; nothing on a single core.
void pinTo(int core) {
    const long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    if (cores < 2) {
        return;
    }
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core < 0 ? static_cast<int>(cores) - 1 : core, &set);
    ::sched_setaffinity(0, sizeof set, &set);
}

sockaddr_in gatewayAddress() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(gatewayPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// An SNPP gateway that answers every line at once: 220 on connect, 221 to QUIT (then closes), 250
// to anything else. One thread per connection, in a process of its own, so that every client it
// serves (corvane-page, the bare client, the desktop program) talks to it across processes alike.
// It ends with this program.
class FastGateway {
public:
    FastGateway() {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = gatewayAddress();
        socklen_t length = sizeof address;
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listen, 64) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::perror("pagingBench: cannot listen on 127.0.0.1");
            std::exit(1);
        }
        gatewayPort = ntohs(address.sin_port);
        ::setenv("CORVANE_BENCH_PORT", std::to_string(gatewayPort).c_str(), 1);
        m_child = ::fork();
        if (m_child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            pinTo(gatewayCore); // and every connection's thread with it
            acceptLoop();
        }
        ::close(m_listen);
    }
    ~FastGateway() {
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
        }
    }

private:
    void acceptLoop() {
        for (;;) {
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                continue;
            }
            std::thread([fd] { serve(fd); }).detach();
        }
    }
    static void serve(int fd) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const std::string greeting = "220 fast gateway ready\r\n";
        ::send(fd, greeting.data(), greeting.size(), MSG_NOSIGNAL);
        std::string pending;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            pending.append(buffer, static_cast<std::size_t>(n));
            std::string replies;
            bool quit = false;
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                quit = pending.compare(0, 4, "QUIT") == 0;
                replies += quit ? "221 bye\r\n" : "250 OK\r\n";
                pending.erase(0, end + 1);
            }
            ::send(fd, replies.data(), replies.size(), MSG_NOSIGNAL);
            if (quit) {
                break;
            }
        }
        ::close(fd);
    }

    int m_listen = -1;
    pid_t m_child = -1;
};

// The floor: the same round trips with blocking sockets and nothing else.
class BareClient {
public:
    // Pages the IDs in one connection: PAGE, MESS, SEND for each, then QUIT.
    static bool page(const std::vector<std::string>& ids) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in address = gatewayAddress();
        bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && reply(fd) == '2';
        for (const std::string& id : ids) {
            ok = ok && command(fd, "PAGE " + id) && command(fd, std::string("MESS ") + message) && command(fd, "SEND");
        }
        ok = ok && command(fd, "QUIT");
        ::close(fd);
        return ok;
    }

private:
    static char reply(int fd) {
        char buffer[512];
        std::size_t got = 0;
        while (got < sizeof buffer) {
            const ssize_t n = ::recv(fd, buffer + got, sizeof buffer - got, 0);
            if (n <= 0) {
                return 0;
            }
            got += static_cast<std::size_t>(n);
            if (buffer[got - 1] == '\n') {
                return buffer[0];
            }
        }
        return 0;
    }
    static bool command(int fd, const std::string& line) {
        const std::string out = line + "\r\n";
        return ::send(fd, out.data(), out.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(out.size()) && reply(fd) == '2';
    }
};

struct Run {
    double ms = 0;
    bool ok = false;
    long sleeps = 0;  // voluntary context switches: waits for a reply that had not come yet
    double cpuMs = 0; // user and system time
};

double cpuMsOf(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// A program as a script runs it, with its output going to a file (and its input from one): its time
// from start to exit.
Run runCorvanePage(const QString& program, const QStringList& args, const QString& outFile,
                   const QString& inFile = QStringLiteral("/dev/null")) {
    std::vector<std::string> storage{program.toStdString()};
    for (const QString& a : args) {
        storage.push_back(a.toStdString());
    }
    std::vector<char*> argv;
    for (std::string& s : storage) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.toLocal8Bit().constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, inFile.toLocal8Bit().constData(), O_RDONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    Run run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    run.sleeps = usage.ru_nvcsw;
    run.cpuMs = cpuMsOf(usage);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// Peak memory of one run, in kB, as /usr/bin/time sees it (a child spawned from this big process
// would report this process's memory as its own); 0 without /usr/bin/time (package "time").
long peakMemoryKb(const QString& program, const QStringList& args, const QString& outFile) {
    if (!QFile::exists(QStringLiteral("/usr/bin/time"))) {
        return 0;
    }
    const QString report = outFile + QStringLiteral(".rss");
    runCorvanePage(
        QStringLiteral("/usr/bin/time"),
        QStringList{QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), report, program} + args, outFile);
    QFile file(report);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLong() : 0;
}

struct Figure {
    std::vector<double> values;
    double median() {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
    double min() const { return *std::min_element(values.begin(), values.end()); }
    double max() const { return *std::max_element(values.begin(), values.end()); }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    bool sameCore = false;
    for (int i = 1; i < argc; ++i) {
        sameCore = sameCore || std::string(argv[i]) == "--same-core";
    }
    gatewayCore = sameCore ? 0 : -1;
    FastGateway gateway; // before any thread of this process is started
    pinTo(0);            // this process, the clients it runs and the desktop program
    if (argc > 1 && std::string(argv[1]) == "--gateway-only") {
        // For profiling a client by hand against the same gateway.
        std::printf("gateway on 127.0.0.1:%d; Ctrl-C ends it\n", gatewayPort);
        std::fflush(stdout);
        ::pause();
        return 0;
    }
    QApplication app(argc, argv);
    const int rounds = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 5;
    std::printf("gateway on %s\n", sameCore ? "the clients' core" : "a core of its own");
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-bin/corvane-page");
    if (!QFile::exists(program)) {
        std::fprintf(stderr, "pagingBench: %s is missing; build the target corvane-page-bench\n", qPrintable(program));
        return 1;
    }

    // A table of 11,000 contacts: group 2 has 1,000 members, group 3 has 10,000, as a site's would.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    QFile::copy(program, work.filePath(QStringLiteral("corvane-page")));
    createEmptyContactsTable(work.filePath(QStringLiteral("contacts.nx1")));
    std::vector<std::string> ids1000;
    std::vector<std::string> ids10000;
    {
        TDataModule2 data(work.path());
        contactsCursor cursor(data);
        cursor.Open();
        data.database().exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < 11000; ++i) {
            const QString id = QString::number(5550000 + i);
            cursor.Insert();
            cursor.FieldByName(QStringLiteral("name")).setAsString(bench::contactName(i));
            cursor.FieldByName(QStringLiteral("id")).setAsString(id);
            cursor.FieldByName(QStringLiteral("serviceNumber")).setAsInteger(1);
            if (i < 10000) {
                cursor.FieldByName(QStringLiteral("memberGr3")).setAsBoolean(true);
                ids10000.push_back(id.toStdString());
            }
            if (i % 11 == 0 && ids1000.size() < 1000) {
                cursor.FieldByName(QStringLiteral("memberGr2")).setAsBoolean(true);
                ids1000.push_back(id.toStdString());
            }
            cursor.Post();
        }
        data.database().exec(QStringLiteral("COMMIT"));
    }
    const QString corvanePage = work.filePath(QStringLiteral("corvane-page"));
    const QString out = work.filePath(QStringLiteral("out.txt"));

    struct Case {
        const char* what;
        QStringList args;
        const std::vector<std::string>* ids;
        Figure corvane{};
        Figure bare{};
        Figure perl{};
        Run last{}; // corvane-page's last run, for its sleeps and CPU time
        long peakKb = 0;
        bool allOk = true;
        bool perlOk = true;
        QString idsFile{};
    };
    const std::vector<std::string> one{"5550007"};
    Case cases[] = {
        {"one page (--id)",
         {QStringLiteral("--id"), QStringLiteral("5550007"), QString::fromLatin1(message)},
         &one,
         {},
         {}},
        {"group of 1,000",
         {QStringLiteral("--group"), QStringLiteral("2"), QString::fromLatin1(message)},
         &ids1000,
         {},
         {}},
        {"group of 10,000",
         {QStringLiteral("--group"), QStringLiteral("3"), QString::fromLatin1(message)},
         &ids10000,
         {},
         {}},
    };
    // Perl's Net::SNPP, when it is installed (apt-get install libnet-snpp-perl).
    const QString perlClient = QStringLiteral(CORVANE_BENCH_PERL_CLIENT);
    const bool withPerl =
        QFile::exists(QStringLiteral("/usr/bin/perl")) &&
        runCorvanePage(QStringLiteral("/usr/bin/perl"), {QStringLiteral("-MNet::SNPP"), QStringLiteral("-e1")}, out).ok;
    if (!withPerl) {
        std::printf("Net::SNPP is not installed (apt-get install libnet-snpp-perl): no Perl figures\n");
    }
    int caseNumber = 0;
    for (Case& c : cases) {
        c.idsFile = work.filePath(QStringLiteral("ids%1.txt").arg(caseNumber++));
        QFile file(c.idsFile);
        file.open(QIODevice::WriteOnly);
        for (const std::string& id : *c.ids) {
            file.write(id.c_str());
            file.write("\n");
        }
    }
    for (int round = 0; round < rounds; ++round) {
        for (Case& c : cases) {
            if (withPerl) {
                const Run perl = runCorvanePage(
                    QStringLiteral("/usr/bin/perl"),
                    {perlClient, QString::number(gatewayPort), QString::fromLatin1(message)}, out, c.idsFile);
                c.perl.values.push_back(perl.ms);
                c.perlOk = c.perlOk && perl.ok;
            }
            const Run run = runCorvanePage(corvanePage, c.args, out);
            c.last = run;
            c.corvane.values.push_back(run.ms);
            c.allOk = c.allOk && run.ok;
            QElapsedTimer timer;
            timer.start();
            c.allOk = BareClient::page(*c.ids) && c.allOk;
            c.bare.values.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
    }

    for (Case& c : cases) {
        c.peakKb = peakMemoryKb(corvanePage, c.args, out);
    }
    std::printf("%d interleaved rounds; times in ms (min / median / max); rate ratio = bare time / corvane time\n",
                rounds);
    double corvaneRate10000 = 0;
    for (Case& c : cases) {
        const double corvane = c.corvane.median();
        const double bare = c.bare.median();
        std::printf("%-16s corvane-page %8.1f / %8.1f / %8.1f   bare %8.1f / %8.1f / %8.1f   ratio %.2f   "
                    "difference %+.1f ms   peak %.1f MB%s\n",
                    c.what, c.corvane.min(), corvane, c.corvane.max(), c.bare.min(), bare, c.bare.max(), bare / corvane,
                    corvane - bare, static_cast<double>(c.peakKb) / 1024.0, c.allOk ? "" : "   (SOME RUNS FAILED)");
        if (c.ids->size() > 1) {
            std::printf("%-16s corvane-page %.1f k/s, bare %.1f k/s\n", "", c.ids->size() / corvane,
                        c.ids->size() / bare);
        }
        if (withPerl) {
            const double perl = c.perl.median();
            std::printf("%-16s Net::SNPP    %8.1f / %8.1f / %8.1f   corvane-page is %.2f x Net::SNPP%s\n", "",
                        c.perl.min(), perl, c.perl.max(), perl / corvane, c.perlOk ? "" : "   (SOME RUNS FAILED)");
        }
        if (c.ids == &ids10000) {
            corvaneRate10000 = static_cast<double>(c.ids->size()) / corvane;
            std::printf("%-16s corvane-page per recipient: %.2f sleeps, %.1f us CPU\n", "",
                        static_cast<double>(c.last.sleeps) / 10000.0, c.last.cpuMs * 1e3 / 10000.0);
        }
    }

    // The desktop program: the 10,000-recipient group from the main window, every results line shown.
    bench::QuietDialogs quiet;
    bench::QuietModal modal;
    ProgramWindows windows(quiet, modal, work.path(), nullptr, work.filePath(QStringLiteral("no-system-services.ini")));
    TForm1& form = windows.Form1;
    form.show();
    QCoreApplication::processEvents();
    bench::prepareGroupSend(windows, gatewayPort, 3, QString::fromLatin1(message));
    const QLabel* status = namedChild<QLabel>(form, QStringLiteral("messageStatusLabel"));
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    form.sendButtonClick(true);
    while (status->text() != QStringLiteral("DONE") && timer.elapsed() < 600000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    const double desktopMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    const QStringList lines = windows.sendingMemoForm.lines();
    const double desktopRate = 10000.0 / desktopMs;
    std::printf("desktop, group of 10,000: %.1f ms, %.1f k/s, %.2f of corvane-page's rate; %lld results lines, "
                "last \"%s\"\n",
                desktopMs, desktopRate, desktopRate / corvaneRate10000, static_cast<long long>(lines.size()),
                qPrintable(lines.value(lines.size() - 1)));
    std::printf("desktop per recipient: %.2f sleeps, %.1f us CPU\n",
                static_cast<double>(after.ru_nvcsw - before.ru_nvcsw) / 10000.0,
                (cpuMsOf(after) - cpuMsOf(before)) * 1e3 / 10000.0);
    return 0;
}
