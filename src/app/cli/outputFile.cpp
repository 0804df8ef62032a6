#include "app/cli/outputFile.h"

#include "platform/systemError.h"
#include "platform/writeWhole.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane::cli {

namespace {

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

OutputFile::OutputFile(QString path, int fd, QString temporary)
    : m_path(std::move(path))
    , m_fd(fd)
    , m_temporary(std::move(temporary)) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : m_path(std::move(other.m_path))
    , m_fd(std::exchange(other.m_fd, -1))
    , m_temporary(std::move(other.m_temporary)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        this->~OutputFile();
        m_path = std::move(other.m_path);
        m_fd = std::exchange(other.m_fd, -1);
        m_temporary = std::move(other.m_temporary);
    }
    return *this;
}

OutputFile::~OutputFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
        if (!m_temporary.isEmpty()) {
            ::unlink(QFile::encodeName(m_temporary).constData());
        }
    }
}

std::optional<OutputFile> OutputFile::prepare(const QString& path, QString& error) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            error = u"a folder, not a file"_s;
            return std::nullopt;
        }
        // Without O_NONBLOCK a pipe nobody reads would hold the program here before it pages anyone;
        // with it, such a pipe is refused at once (ENXIO). Written blocking, once open.
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            error = errno == ENXIO ? u"a pipe that nobody reads"_s : systemErrorText(errno);
            return std::nullopt;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return OutputFile(path, fd, QString());
    }
    const QFileInfo info(path);
    QByteArray temporary = QFile::encodeName(info.absolutePath() + u"/."_s + info.fileName() + u".XXXXXX"_s);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = systemErrorText(errno);
        return std::nullopt;
    }
    // The old list's permissions, or those a new file gets.
    const mode_t mode = ::stat(name.constData(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~currentUmask());
    ::fchmod(fd, mode);
    return OutputFile(path, fd, QFile::decodeName(temporary));
}

bool OutputFile::commit(const QByteArray& bytes, QString& error) {
    bool written = writeWhole(m_fd, bytes);
    if (written && !m_temporary.isEmpty()) {
        written = ::fsync(m_fd) == 0;
    }
    const int writeError = errno;
    const bool closed = ::close(std::exchange(m_fd, -1)) == 0;
    if (!written || !closed) {
        error = systemErrorText(written ? errno : writeError);
        if (!m_temporary.isEmpty()) {
            ::unlink(QFile::encodeName(m_temporary).constData());
        }
        return false;
    }
    if (m_temporary.isEmpty()) {
        return true;
    }
    if (::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_path).constData()) != 0) {
        error = systemErrorText(errno);
        ::unlink(QFile::encodeName(m_temporary).constData());
        return false;
    }
    return true;
}

void OutputFile::withdraw() {
    if (m_fd < 0) {
        return;
    }
    ::close(std::exchange(m_fd, -1));
    if (m_temporary.isEmpty()) {
        return;
    }
    ::unlink(QFile::encodeName(m_temporary).constData());
    struct stat st {};
    const QByteArray name = QFile::encodeName(m_path);
    if (::lstat(name.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        ::unlink(name.constData());
    }
}

} // namespace corvane::cli
