#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::test {

// A real, small tmpfs mounted on a fresh directory for the object's lifetime. Mounting needs root
// (as on CI); where it is not allowed, mounted() is false and the test says so and skips.
class SmallTmpfs {
public:
    explicit SmallTmpfs(int kilobytes) {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        m_mounted = m_dir.isValid() &&
                    ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallTmpfs() {
        if (m_mounted) {
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
        }
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Takes every byte that is left, with a file of its own.
    void fill() const {
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral("filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), block.size()) > 0) {
        }
        while (::write(fd, block.constData(), 1) > 0) {
        }
        ::close(fd);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Runs body in a child process whose files may grow to at most limitBytes, as under `ulimit -f`.
// A write past the limit fails (the signal that would end the process is ignored, as the programs
// do). Returns body's result, or -1 when the child did not end normally.
inline int runWithFileSizeLimit(rlim_t limitBytes, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace corvane::test
