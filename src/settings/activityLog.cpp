#include "settings/activityLog.h"

#include "platform/clock.h"
#include "platform/codePage.h"
#include "settings/settings.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

// Several programs (the desktop, corvane-page from cron) may log to one day file at once, so a line
// is appended in one write on O_APPEND while an advisory lock on the file is held. The lock is
// what makes taking back a line cut short by a full disk or a file-size limit safe: the size seen
// under it is the end of the last whole line, and no other writer can append before the cut is
// undone. A program that holds the lock for more than a moment makes this write fail (reported),
// never wait for ever.
bool lockForAppending(int fd) {
    for (int attempt = 0; attempt < 2000; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        ::usleep(1000);
    }
    return false;
}

// Appends the line whole or not at all. Only a regular file is a log: a FIFO or a device at that
// path must never make the program wait, so the open does not block and anything else is refused;
// a symbolic link is never followed (it could send the line into any file the program may write).
bool appendWholeLine(const QString& fileName, const QByteArray& line) {
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && lockForAppending(fd) && ::fstat(fd, &st) == 0;
    const off_t before = st.st_size;
    qsizetype done = 0;
    while (ok && done < line.size()) {
        const ssize_t n = ::write(fd, line.constData() + done, static_cast<std::size_t>(line.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        done += n;
    }
    if (!ok && done > 0) {
        [[maybe_unused]] const int rc = ::ftruncate(fd, before);
    }
    return ::close(fd) == 0 && ok; // closing releases the lock
}

} // namespace

LogWriteError::LogWriteError(QString fileName)
    : Error(u"Error writing log file: "_s + fileName)
    , m_fileName(std::move(fileName)) {}

ActivityLog::ActivityLog(const Settings& settings, const Clock& clock, LongTimeFormat timeFormat)
    : m_settings(settings)
    , m_clock(clock)
    , m_timeFormat(std::move(timeFormat)) {}

QString ActivityLog::fileNameFor(const QDateTime& moment) const {
    return m_settings.loggingDir + moment.date().toString(u"MM_dd_yy"_s) + u".txt"_s;
}

void ActivityLog::writeLogFile(const QString& str) const {
    const QDateTime now = m_clock.now();
    if (!now.isValid()) {
        return; // no date, no file name: the line is dropped
    }
    const QString fileName = fileNameFor(now);
    const QByteArray line = toCodePage(QString(m_timeFormat.format(now.time()) + u", "_s + str + u"\r\n"_s));
    if (!appendWholeLine(fileName, line)) {
        throw LogWriteError(fileName);
    }
}

void ActivityLog::writelogMessageSent(const QString& serviceName, const QString& contactName, const QString& message,
                                      bool forFutureDelivery) const {
    const QString outcome = forFutureDelivery ? u"Message Sent OK for future delivery"_s : u"Message Sent OK"_s;
    writeLogFile(outcome + u", SRVC:"_s + serviceName + u", CONTACT:"_s + contactName + u", MSG:"_s + message);
}

void ActivityLog::writelogError(const QString& str, const QString& serviceName, const QString& recipients,
                                const QString& message) const {
    writeLogFile(str + u", SRVC:"_s + serviceName + u", CONTACTS:"_s + recipients + u", MSG:"_s + message);
}

} // namespace corvane
