#include "engine/servicesFile.h"

#include "engine/serviceTable.h"
#include "platform/codePage.h"
#include "settings/iniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

// No real services file comes near this; a larger one is not one.
constexpr qint64 maxFileSize = 1 << 20;
constexpr int beforePageMaxLength = 120;

std::optional<int> decimal(const QString& value, int low, int high) {
    static const QRegularExpression digits(u"^[0-9]{1,9}$"_s);
    if (!digits.match(value).hasMatch()) {
        return std::nullopt;
    }
    const int n = value.toInt();
    return n >= low && n <= high ? std::optional<int>(n) : std::nullopt;
}

[[noreturn]] void fail(const QString& fileName, int line, const QString& key, const QString& problem) {
    QString where = fileName;
    if (line > 0) {
        where += u", line "_s + QString::number(line);
    }
    if (!key.isEmpty()) {
        where += u", key "_s + key;
    }
    throw ServicesFileError(where + u": "_s + problem);
}

class Reader {
public:
    Reader(const QString& fileName, ServiceTable& table)
        : m_fileName(fileName)
        , m_table(table) {}

    [[noreturn]] void fail(int line, const QString& key, const QString& problem) const {
        corvane::fail(m_fileName, line, key, problem);
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
                fail(line, key, u"'%1' is not %2"_s.arg(value, what));
            }
            return *n;
        };
        if (key == u"name"_s) {
            s.name = text(serviceRecordType::nameMaxLength);
        } else if (key == u"address"_s) {
            s.ip = text(serviceRecordType::addressMaxLength);
        } else if (key == u"alternate"_s) {
            s.AltIp = text(serviceRecordType::addressMaxLength);
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
        } else {
            fail(line, key,
                 u"no such key (name, address, alternate, port, maxChars, splitChars, reverse, "
                 u"beforePage)"_s);
        }
    }

    void read(const QString& text) {
        static const QRegularExpression sectionName(u"^\\[Service([1-9]|1[0-2])\\]$"_s);
        int service = 0;
        int sectionLine = 0;
        int lineNumber = 0;
        QList<std::pair<int, int>> sections; // service, line of its header
        for (QString line : text.split(u'\n')) {
            ++lineNumber;
            if (line.endsWith(u'\r')) {
                line.chop(1);
            }
            line = trimBlanks(line);
            if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) {
                continue;
            }
            if (line.startsWith(u'[')) {
                const QRegularExpressionMatch m = sectionName.match(line);
                if (!m.hasMatch()) {
                    fail(lineNumber, QString(),
                         u"unknown section %1 (sections are [Service1] to [Service12])"_s.arg(line));
                }
                service = m.captured(1).toInt();
                sectionLine = lineNumber;
                serviceRecordType& s = m_table[service];
                if (s.ip.isEmpty() && s.port == 0) {
                    s.port = 444;
                    s.maxChars = 999;
                    s.splitChars = 999;
                }
                sections.append({service, sectionLine});
                continue;
            }
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0) {
                fail(lineNumber, QString(), u"a line without '=': %1"_s.arg(line));
            }
            const QString key = trimBlanks(line.left(equals));
            if (service == 0) {
                fail(lineNumber, key, u"a key before the first [ServiceN] section"_s);
            }
            set(lineNumber, service, key, trimBlanks(line.mid(equals + 1)));
        }
        for (const auto& [n, line] : sections) {
            const serviceRecordType& s = m_table[n];
            if (s.splitChars > s.maxChars) {
                fail(line, u"splitChars"_s,
                     u"splitChars (%1) must not be greater than maxChars (%2)"_s.arg(s.splitChars).arg(s.maxChars));
            }
        }
    }

private:
    QString m_fileName;
    ServiceTable& m_table;
};

} // namespace

QString findServicesFile(const QString& programDirectory, const QString& systemFile) {
    const QString beside = programDirectory + u"/services.ini"_s;
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    return QFileInfo::exists(systemFile) ? systemFile : QString();
}

void readServicesFile(const QString& fileName, ServiceTable& table) {
    const QFileInfo info(fileName);
    if (!info.isFile()) {
        fail(fileName, 0, QString(), info.exists() ? u"not a regular file"_s : u"no such file"_s);
    }
    if (info.size() > maxFileSize) {
        fail(fileName, 0, QString(), u"larger than any services file (1 MiB)"_s);
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(fileName, 0, QString(), u"cannot be read: "_s + file.errorString());
    }
    const QByteArray bytes = file.read(maxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        fail(fileName, 0, QString(), u"cannot be read: "_s + file.errorString());
    }
    ServiceTable updated = table;
    Reader(fileName, updated).read(fromCodePage(bytes));
    splitIPintoParts(updated);
    table = updated;
}

} // namespace corvane
