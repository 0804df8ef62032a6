#include "settings/iniFile.h"

#include "platform/codePage.h"
#include "platform/error.h"

#include <QFile>
#include <QSaveFile>
#include <limits>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

// One line of the file with its own terminator, so that an update writes every line it does not
// touch back exactly as it was, LF-only lines included.
struct IniLine {
    QString text;
    QByteArray ending;
};

struct IniDocument {
    std::vector<IniLine> lines;
};

enum class Load { Absent, Loaded, Unreadable };

Load loadDocument(const QString& fileName, IniDocument& document) {
    QFile file(fileName);
    if (!file.exists()) {
        return Load::Absent;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return Load::Unreadable;
    }
    const QByteArray bytes = file.readAll();
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        IniLine line;
        if (end < 0) {
            line.text = fromCodePage(bytes.mid(start));
            start = bytes.size();
        } else {
            qsizetype textEnd = end;
            if (textEnd > start && bytes[textEnd - 1] == '\r') {
                --textEnd;
            }
            line.text = fromCodePage(bytes.mid(start, textEnd - start));
            line.ending = bytes.mid(textEnd, end + 1 - textEnd);
            start = end + 1;
        }
        document.lines.push_back(std::move(line));
    }
    return Load::Loaded;
}

std::optional<QString> sectionName(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0) {
        return std::nullopt;
    }
    return trimmed.mid(1, close - 1).trimmed();
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
    return Entry{text.left(equals).trimmed(), text.mid(equals + 1)};
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
    QString value = raw.trimmed();
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

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    IniDocument document;
    if (loadDocument(m_fileName, document) != Load::Loaded) {
        return defaultValue;
    }
    const auto range = findSection(document, section);
    if (!range) {
        return defaultValue;
    }
    const auto line = findKey(document, *range, key);
    if (!line) {
        return defaultValue;
    }
    return cleanValue(entryOf(document.lines[*line].text)->rawValue);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    return iniTextToInt(ReadString(section, key, QString()), defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const Error refused(u"Unable to write to "_s + m_fileName);
    IniDocument document;
    // A file that exists but cannot be read is never replaced: that would lose what it holds.
    if (loadDocument(m_fileName, document) == Load::Unreadable) {
        throw refused;
    }
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
            while (at > range->first + 1 && lines[at - 1].text.trimmed().isEmpty()) {
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

    QByteArray bytes;
    for (const IniLine& line : lines) {
        bytes += toCodePage(line.text);
        bytes += line.ending;
    }
    // A complete new file is put in place, so a failure half way never leaves half a file behind.
    // Where no new file can be made beside it (a read-only directory), it is written in place.
    QSaveFile file(m_fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
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
