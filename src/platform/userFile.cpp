#include "platform/userFile.h"

#include "platform/codePage.h"
#include "platform/systemError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

QString describe(const QString& fileName, int line, const QString& problem) {
    return line > 0 ? u"%1, line %2: %3"_s.arg(fileName).arg(line).arg(problem) : fileName + u": "_s + problem;
}

constexpr QByteArrayView utf8Mark("\xEF\xBB\xBF");

QString sizeText(qint64 bytes) {
    return bytes >= (1 << 20) ? u"%1 MiB"_s.arg(bytes >> 20) : u"%1 KiB"_s.arg(bytes >> 10);
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

UserFileError::UserFileError(const QString& fileName, int line, const QString& problem)
    : Error(describe(fileName, line, problem))
    , m_fileName(fileName)
    , m_line(line)
    , m_problem(problem) {}

std::optional<QByteArray> readUserFileBytes(const QString& fileName, qint64 maxBytes) {
    const QByteArray path = QFile::encodeName(fileName);
    // O_NONBLOCK: opening a FIFO for reading waits for a writer otherwise. O_NOCTTY: a terminal
    // named by mistake must not become the program's own.
    const Descriptor fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT) {
            struct stat link {};
            if (::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
                throw UserFileError(fileName, 0,
                                    u"a link to %1, which does not exist"_s.arg(QFileInfo(fileName).symLinkTarget()));
            }
            return std::nullopt;
        }
        if (error == ENOTDIR) {
            return std::nullopt;
        }
        throw UserFileError(fileName, 0, u"cannot be read: "_s + systemErrorText(error));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        throw UserFileError(fileName, 0, u"cannot be read: "_s + systemErrorText(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw UserFileError(fileName, 0,
                            S_ISDIR(st.st_mode)    ? u"a folder, not a file"_s
                            : S_ISFIFO(st.st_mode) ? u"a pipe, not a file"_s
                                                   : u"not a regular file (a device or a socket)"_s);
    }
    const QString tooLarge = u"larger than %1; this is not such a file"_s.arg(sizeText(maxBytes));
    if (st.st_size > maxBytes) {
        throw UserFileError(fileName, 0, tooLarge);
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw UserFileError(fileName, 0, u"cannot be read: "_s + systemErrorText(errno));
        }
        if (n == 0) {
            return bytes;
        }
        if (bytes.size() + n > maxBytes) {
            throw UserFileError(fileName, 0, tooLarge);
        }
        bytes.append(chunk, n);
    }
}

int lineOfFirstNul(QByteArrayView bytes) {
    const qsizetype at = bytes.indexOf('\0');
    if (at < 0) {
        return 0;
    }
    return static_cast<int>(std::count(bytes.begin(), bytes.begin() + at, '\n')) + 1;
}

UserText decodeUserText(const QString& fileName, QByteArrayView bytes) {
    UserText text;
    text.marked = bytes.startsWith(utf8Mark);
    if (text.marked) {
        bytes = bytes.sliced(utf8Mark.size());
    }
    if (const int line = lineOfFirstNul(bytes); line > 0) {
        throw UserFileError(fileName, line, u"a NUL byte; this is not a text file (UTF-16?)"_s);
    }
    QString decoded;
    const bool beyondAscii = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    if (text.marked || beyondAscii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        decoded = utf8(bytes);
        text.utf8 = text.marked || !utf8.hasError();
    }
    if (!text.utf8) {
        decoded = fromCodePage(bytes);
    }
    if (decoded.endsWith(u'\n')) {
        decoded.chop(1);
    }
    if (decoded.isEmpty() && bytes.isEmpty()) {
        return text;
    }
    text.lines = decoded.split(u'\n');
    for (QString& line : text.lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    return text;
}

UserText readUserTextFile(const QString& fileName, qint64 maxBytes) {
    const std::optional<QByteArray> bytes = readUserFileBytes(fileName, maxBytes);
    if (!bytes) {
        throw UserFileError(fileName, 0, u"no such file"_s);
    }
    return decodeUserText(fileName, *bytes);
}

} // namespace corvane
