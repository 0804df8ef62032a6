#include "settings/iniFile.h"

#include "platform/codePage.h"
#include "platform/error.h"
#include "platform/userFile.h"
#include "platform/writeWhole.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

// One line of the file with its own terminator, so that an update writes every line it does not
// touch back exactly as it was, LF-only lines included.
struct IniLine {
    QString text;
    QByteArray ending;
};

struct IniDocument {
    // A file that starts with the UTF-8 byte-order mark (as Windows' Notepad saves one) is UTF-8
    // text: the mark is kept for writing back and the lines are decoded as UTF-8, not as the code
    // page, so neither the first section nor any accented value is lost.
    bool hasMark = false;
    bool utf8 = false;
    std::vector<IniLine> lines;
};

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

QString trimBlanks(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start])) {
        ++start;
    }
    while (end > start && isBlank(text[end - 1])) {
        --end;
    }
    return text.mid(start, end - start);
}

namespace {

enum class Load { Absent, Loaded, Unreadable };

const QByteArray utf8Mark = "\xEF\xBB\xBF";

// The settings file is read as every file a user gives us is (a regular file only, without waiting on
// a FIFO, within its bound). One that cannot be read so, or that holds a NUL byte (saved as UTF-16,
// say), is unreadable: the defaults are used and it is never overwritten.
Load readSettingsBytes(const QString& fileName, QByteArray& bytes) {
    try {
        std::optional<QByteArray> read = readUserFileBytes(fileName, UserFileBound::settings);
        if (!read) {
            return Load::Absent;
        }
        if (lineOfFirstNul(*read) > 0) {
            return Load::Unreadable;
        }
        bytes = std::move(*read);
        return Load::Loaded;
    } catch (const UserFileError&) {
        return Load::Unreadable;
    }
}

Load loadDocument(const QString& fileName, IniDocument& document) {
    QByteArray bytes;
    const Load load = readSettingsBytes(fileName, bytes);
    if (load != Load::Loaded) {
        return load;
    }
    qsizetype start = 0;
    if (bytes.startsWith(utf8Mark)) {
        document.hasMark = true;
        start = utf8Mark.size();
        // Text after the mark that is not valid UTF-8 is read in the code page, as any file is, so
        // that a write gives every byte back as it was.
        QStringDecoder check(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        [[maybe_unused]] const QString text = check(QByteArrayView(bytes).sliced(start));
        document.utf8 = !check.hasError();
    }
    const auto decode = [&](qsizetype from, qsizetype length) {
        const QByteArray text = bytes.mid(from, length);
        if (!document.utf8) {
            return fromCodePage(text);
        }
        // A second mark at a line's start is text of that line, kept as it was.
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return QString(utf8(text));
    };
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        IniLine line;
        if (end < 0) {
            line.text = decode(start, bytes.size() - start);
            start = bytes.size();
        } else {
            qsizetype textEnd = end;
            if (textEnd > start && bytes[textEnd - 1] == '\r') {
                --textEnd;
            }
            line.text = decode(start, textEnd - start);
            line.ending = bytes.mid(textEnd, end + 1 - textEnd);
            start = end + 1;
        }
        document.lines.push_back(std::move(line));
    }
    return Load::Loaded;
}

std::optional<QString> sectionName(const QString& text) {
    const QString trimmed = trimBlanks(text);
    if (!trimmed.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0) {
        return std::nullopt;
    }
    return trimBlanks(trimmed.mid(1, close - 1));
}

struct Entry {
    QString key;
    QString rawValue;
};

std::optional<Entry> entryOf(const QString& text) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0 || sectionName(text)) {
        return std::nullopt;
    }
    return Entry{trimBlanks(text.left(equals)), text.mid(equals + 1)};
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Lines [first, last) of the first section with this name; first is the section line itself.
std::optional<std::pair<std::size_t, std::size_t>> findSection(const IniDocument& document, const QString& section) {
    for (std::size_t i = 0; i < document.lines.size(); ++i) {
        const auto name = sectionName(document.lines[i].text);
        if (!name || !sameName(*name, section)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < document.lines.size() && !sectionName(document.lines[end].text)) {
            ++end;
        }
        return std::pair{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const IniDocument& document, std::pair<std::size_t, std::size_t> range,
                                   const QString& key) {
    for (std::size_t i = range.first + 1; i < range.second; ++i) {
        const auto entry = entryOf(document.lines[i].text);
        if (entry && sameName(entry->key, key)) {
            return i;
        }
    }
    return std::nullopt;
}

QString cleanValue(const QString& raw) {
    QString value = trimBlanks(raw);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    return value.left(TIniFile::maxValueLength);
}

const QByteArray crlf = "\r\n";

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9') {
        value = u - u'0';
    } else if (u >= u'a' && u <= u'f') {
        value = u - u'a' + 10;
    } else if (u >= u'A' && u <= u'F') {
        value = u - u'A' + 10;
    }
    return value < base ? value : -1;
}

} // namespace

QString IniContents::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    if (!m_document) {
        return defaultValue;
    }
    const auto range = findSection(*m_document, section);
    if (!range) {
        return defaultValue;
    }
    const auto line = findKey(*m_document, *range, key);
    if (!line) {
        return defaultValue;
    }
    return cleanValue(entryOf(m_document->lines[*line].text)->rawValue);
}

int IniContents::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    return iniTextToInt(ReadString(section, key, QString()), defaultValue);
}

bool IniContents::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

IniContents TIniFile::load() const {
    IniContents contents;
    auto document = std::make_shared<IniDocument>();
    if (loadDocument(m_fileName, *document) == Load::Loaded) {
        contents.m_document = std::move(document);
    }
    return contents;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    return load().ReadString(section, key, defaultValue);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    return load().ReadInteger(section, key, defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return load().ReadBool(section, key, defaultValue);
}

namespace {

void setEntry(IniDocument& document, const QString& section, const QString& key, const QString& value) {
    // A line break in a value would end the entry early and turn the rest into lines of its own.
    QString flatValue = value;
    flatValue.replace(u'\r', u' ').replace(u'\n', u' ');

    auto& lines = document.lines;
    if (const auto range = findSection(document, section)) {
        if (const auto line = findKey(document, *range, key)) {
            lines[*line].text = entryOf(lines[*line].text)->key + u'=' + flatValue;
        } else {
            // After the section's last non-blank line, so blank lines before the next section stay there.
            std::size_t at = range->second;
            while (at > range->first + 1 && trimBlanks(lines[at - 1].text).isEmpty()) {
                --at;
            }
            if (lines[at - 1].ending.isEmpty()) {
                lines[at - 1].ending = crlf;
            }
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), IniLine{key + u'=' + flatValue, crlf});
        }
    } else {
        if (!lines.empty() && lines.back().ending.isEmpty()) {
            lines.back().ending = crlf;
        }
        lines.push_back(IniLine{u'[' + section + u']', crlf});
        lines.push_back(IniLine{key + u'=' + flatValue, crlf});
    }
}

bool writeAll(int fd, const QByteArray& bytes, qint64 offset) {
    return writeWholeAt(fd, bytes, offset);
}

// The file holds exactly these bytes, on the disk.
bool holdsExactly(int fd, qint64 size) {
    struct stat st {};
    return ::fsync(fd) == 0 && ::fstat(fd, &st) == 0 && st.st_size == size;
}

// Last resort where no new file can be made beside the old one (a directory the program may not
// write): the old file is overwritten, but only once room for every new byte is reserved, and it
// is cut to the new length only after the new bytes are in.
bool overwriteInPlace(const QString& fileName, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size())) == 0 && writeAll(fd, bytes, 0) &&
              ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && holdsExactly(fd, bytes.size());
    ok = ::close(fd) == 0 && ok;
    return ok;
}

// Puts a complete new file in place: written beside the old one, checked to be whole and on the
// disk, then renamed over it. A full disk or a file-size limit leaves the old file as it was.
bool replaceFile(const QString& fileName, const QByteArray& bytes) {
    const QFileInfo info(fileName);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : fileName;
    const QByteArray targetPath = QFile::encodeName(target);
    QByteArray tempPath = targetPath + ".XXXXXX";
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0) {
        const bool noNewFile = errno == EACCES || errno == EPERM || errno == EROFS;
        return noNewFile && info.exists() && overwriteInPlace(target, bytes);
    }
    struct stat old {};
    mode_t mode = 0;
    if (::stat(targetPath.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes, 0) && holdsExactly(fd, bytes.size());
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(tempPath.constData(), targetPath.constData()) == 0;
    if (!ok) {
        ::unlink(tempPath.constData());
    }
    return ok;
}

} // namespace

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    WriteEntries({IniEntry{section, key, value}});
}

void TIniFile::WriteEntries(const std::vector<IniEntry>& entries) {
    const Error refused(u"Unable to write to "_s + m_fileName);
    IniDocument document;
    // A file that exists but cannot be read is never replaced: that would lose what it holds.
    if (loadDocument(m_fileName, document) == Load::Unreadable) {
        throw refused;
    }
    for (const IniEntry& entry : entries) {
        setEntry(document, entry.section, entry.key, entry.value);
    }
    QByteArray bytes = document.hasMark ? utf8Mark : QByteArray();
    for (const IniLine& line : document.lines) {
        bytes += document.utf8 ? line.text.toUtf8() : toCodePage(line.text);
        bytes += line.ending;
    }
    if (!replaceFile(m_fileName, bytes)) {
        throw refused;
    }
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? u"1"_s : u"0"_s);
}

int iniTextToInt(const QString& text, int defaultValue) {
    QString s = text;
    if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
        s = u'$' + s.mid(2);
    }
    qsizetype i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == u'$') {
        base = 16;
        ++i;
    }
    if (i == s.size()) {
        return defaultValue;
    }
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < s.size(); ++i) {
        const int digit = digitValue(s[i], base);
        if (digit < 0) {
            return defaultValue;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return defaultValue;
        }
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) {
        return defaultValue;
    }
    return static_cast<int>(value);
}

} // namespace corvane
