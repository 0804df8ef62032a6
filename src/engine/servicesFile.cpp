#include "engine/servicesFile.h"

#include "engine/serviceTable.h"
#include "platform/userFile.h"
#include "settings/iniFile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

constexpr int beforePageMaxLength = 120;

std::optional<int> decimal(const QString& value, int low, int high) {
    static const QRegularExpression digits(u"^[0-9]{1,9}$"_s);
    if (!digits.match(value).hasMatch()) {
        return std::nullopt;
    }
    const int n = value.toInt();
    return n >= low && n <= high ? std::optional<int>(n) : std::nullopt;
}

// A line as a message may show it: the file can hold a login password after the host, and messages
// go to the desktop's message box, to standard error and from cron into mail.
QString shownLine(const QString& line) {
    const qsizetype comma = line.indexOf(u',');
    return comma < 0 ? line : line.left(comma) + u",***"_s;
}

bool isHostNameLabel(QStringView label) {
    if (label.isEmpty() || label.size() > 63 || label.front() == u'-' || label.back() == u'-') {
        return false;
    }
    return std::all_of(label.begin(), label.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
               c == u'_';
    });
}

} // namespace

bool isHostText(QStringView host) {
    if (host.isEmpty() || host.size() > 253) {
        return false;
    }
    if (host.contains(u':')) {
        // An IPv6 address literal.
        return host.count(u':') >= 2 && std::all_of(host.begin(), host.end(), [](QChar c) {
                   return c.isDigit() || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') || c == u':' || c == u'.';
               });
    }
    QStringView name = host.endsWith(u'.') ? host.chopped(1) : host;
    const QList<QStringView> labels = name.split(u'.');
    const bool numeric = std::all_of(labels.begin(), labels.end(), [](QStringView label) {
        return !label.isEmpty() && std::all_of(label.begin(), label.end(), [](QChar c) { return c.isDigit(); });
    });
    if (numeric) {
        // Digits only: an IPv4 address, four numbers of 0 to 255.
        return labels.size() == 4 && std::all_of(labels.begin(), labels.end(), [](QStringView label) {
                   return label.size() <= 3 && label.toInt() <= 255;
               });
    }
    return std::all_of(labels.begin(), labels.end(), isHostNameLabel);
}

namespace {

// The keys of a section, as the file is documented to spell them; the file may spell them in any case.
const QStringList keyNames{u"name"_s,     u"address"_s,    u"alternate"_s, u"port"_s,
                           u"maxChars"_s, u"splitChars"_s, u"reverse"_s,   u"beforePage"_s};

struct Section {
    int service = 0;
    int line = 0;
    std::map<QString, int> keys; // key as documented -> its line
};

class Reader {
public:
    Reader(const QString& fileName, ServiceTable& table)
        : m_fileName(fileName)
        , m_table(table) {}

    [[noreturn]] void fail(int line, const QString& key, const QString& problem) const {
        QString where = m_fileName;
        if (line > 0) {
            where += u", line "_s + QString::number(line);
        }
        if (!key.isEmpty()) {
            where += u", key "_s + key;
        }
        throw ServicesFileError(where + u": "_s + problem);
    }

    void set(int line, int service, const QString& key, const QString& value) {
        serviceRecordType& s = m_table[service];
        const auto text = [&](int limit) {
            if (value.size() > limit) {
                fail(line, key, u"at most %1 characters are allowed"_s.arg(limit));
            }
            return value;
        };
        const auto number = [&](int low, int high, const QString& what) {
            const std::optional<int> n = decimal(value, low, high);
            if (!n) {
                fail(line, key, u"'%1' is not %2"_s.arg(shownLine(value), what));
            }
            return *n;
        };
        // The host comes first; a login and its password may follow it, after commas (the alternate
        // pages with the address's login, but a file that gives one there was always taken).
        const auto address = [&] {
            const QString checked = text(serviceRecordType::addressMaxLength);
            const QString host = checked.section(u',', 0, 0);
            if (!isHostText(host)) {
                fail(line, key,
                     u"'%1' is not a host name or an address (a comment goes on a line of its own, after ';')"_s.arg(
                         host));
            }
            return checked;
        };
        if (key == u"name"_s) {
            s.name = text(serviceRecordType::nameMaxLength);
        } else if (key == u"address"_s) {
            s.ip = value.isEmpty() ? value : address(); // empty: the service is not used
        } else if (key == u"alternate"_s) {
            s.AltIp = value.isEmpty() ? value : address();
        } else if (key == u"port"_s) {
            s.port = number(1, 65535, u"a port number from 1 to 65535"_s);
        } else if (key == u"maxChars"_s) {
            s.maxChars = number(1, 999, u"a number from 1 to 999"_s);
        } else if (key == u"splitChars"_s) {
            s.splitChars = number(1, 999, u"a number from 1 to 999"_s);
        } else if (key == u"reverse"_s) {
            s.reverseOrder = number(0, 1, u"0 or 1"_s) == 1;
        } else if (key == u"beforePage"_s) {
            s.beforePage = text(beforePageMaxLength);
        }
    }

    void read(const QStringList& lines) {
        static const QRegularExpression sectionName(u"^\\[Service([1-9]|1[0-2])\\]$"_s,
                                                    QRegularExpression::CaseInsensitiveOption);
        std::map<int, Section> sections;
        Section* section = nullptr;
        int lineNumber = 0;
        for (const QString& raw : lines) {
            ++lineNumber;
            const QString line = trimBlanks(raw);
            if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) {
                continue;
            }
            if (line.startsWith(u'[')) {
                const QRegularExpressionMatch m = sectionName.match(line);
                if (!m.hasMatch()) {
                    fail(lineNumber, QString(),
                         u"unknown section %1 (sections are [Service1] to [Service12])"_s.arg(shownLine(line)));
                }
                const int service = m.captured(1).toInt();
                if (const auto seen = sections.find(service); seen != sections.end()) {
                    fail(lineNumber, QString(),
                         u"[Service%1] again; it began at line %2 already"_s.arg(service).arg(seen->second.line));
                }
                section = &sections[service];
                section->service = service;
                section->line = lineNumber;
                serviceRecordType& s = m_table[service];
                if (s.ip.isEmpty() && s.port == 0) {
                    s.port = 444;
                    s.maxChars = 999;
                    s.splitChars = 999;
                }
                continue;
            }
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0) {
                fail(lineNumber, QString(), u"a line without '=': %1"_s.arg(shownLine(line)));
            }
            const QString written = trimBlanks(line.left(equals));
            const auto known = std::find_if(keyNames.begin(), keyNames.end(), [&](const QString& k) {
                return k.compare(written, Qt::CaseInsensitive) == 0;
            });
            if (known == keyNames.end()) {
                fail(lineNumber, written,
                     u"no such key (name, address, alternate, port, maxChars, splitChars, reverse, "
                     u"beforePage)"_s);
            }
            const QString& key = *known;
            if (section == nullptr) {
                fail(lineNumber, key, u"a key before the first [ServiceN] section"_s);
            }
            if (const auto seen = section->keys.find(key); seen != section->keys.end()) {
                fail(lineNumber, key, u"given again; line %1 gives it already"_s.arg(seen->second));
            }
            section->keys.emplace(key, lineNumber);
            set(lineNumber, section->service, key, trimBlanks(line.mid(equals + 1)));
        }
        for (const auto& [n, given] : sections) {
            checkChunkSize(given);
        }
    }

private:
    // A page is never longer than the message it is cut from. Says which of the two values the file
    // gave and which it left to the build.
    void checkChunkSize(const Section& given) const {
        const serviceRecordType& s = m_table[given.service];
        if (s.splitChars <= s.maxChars) {
            return;
        }
        const auto split = given.keys.find(u"splitChars"_s);
        const auto max = given.keys.find(u"maxChars"_s);
        if (split != given.keys.end() && max != given.keys.end()) {
            fail(split->second, u"splitChars"_s,
                 u"splitChars (%1) must not be greater than maxChars (%2)"_s.arg(s.splitChars).arg(s.maxChars));
        }
        if (split == given.keys.end() && max == given.keys.end()) {
            return; // the build's own values, which the build has checked
        }
        if (max != given.keys.end()) {
            fail(max->second, u"maxChars"_s,
                 u"maxChars (%1) is less than the characters per page this service was built with (splitChars "
                 u"%2); give splitChars too, at most %1"_s.arg(s.maxChars)
                     .arg(s.splitChars));
        }
        fail(split->second, u"splitChars"_s,
             u"splitChars (%1) is greater than the message length this service was built with (maxChars %2); "
             u"give maxChars too, at least %1"_s.arg(s.splitChars)
                 .arg(s.maxChars));
    }

    QString m_fileName;
    ServiceTable& m_table;
};

} // namespace

QString findServicesFile(const QString& programDirectory, const QString& systemFile) {
    // A link that leads nowhere is a file the site meant to be read: reading it says so, rather than
    // paging through the built-in services.
    const auto present = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    const QString beside = programDirectory + u"/services.ini"_s;
    if (present(beside)) {
        return beside;
    }
    return present(systemFile) ? systemFile : QString();
}

void readServicesFile(const QString& fileName, ServiceTable& table) {
    UserText text;
    try {
        text = readUserTextFile(fileName, UserFileBound::services);
    } catch (const UserFileError& e) {
        throw ServicesFileError(e.text());
    }
    ServiceTable updated = table;
    Reader(fileName, updated).read(text.lines);
    splitIPintoParts(updated);
    table = updated;
}

} // namespace corvane
