// The INI reader and writer: any file, then one entry written. Every line of the file except the
// entry's own comes back byte for byte and in order, and the entry reads back as written.
#include "fuzzSupport.h"
#include "platform/error.h"
#include "settings/iniFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

// The lines without their terminators: LF or CR LF. A last line with no LF keeps a CR it ends in.
QList<QByteArray> linesOf(const QByteArray& bytes) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            lines.append(bytes.mid(start));
            break;
        }
        QByteArray line = bytes.mid(start, end - start);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    const QByteArray before(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(before);
    }
    corvane::TIniFile ini(path);
    if (before.contains('\0')) {
        // A NUL byte makes it no settings file (one saved as UTF-16, say): it is never overwritten.
        bool refused = false;
        try {
            ini.WriteString(QStringLiteral("Fuzz"), QStringLiteral("key"), QStringLiteral("value"));
        } catch (const corvane::Error&) {
            refused = true;
        }
        require(refused);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        require(file.readAll() == before);
        return 0;
    }
    ini.WriteString(QStringLiteral("Fuzz"), QStringLiteral("key"), QStringLiteral("value"));
    require(ini.ReadString(QStringLiteral("Fuzz"), QStringLiteral("key"), QString()) == QStringLiteral("value"));
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    // A UTF-8 byte-order mark belongs to the file, not to its first line: kept exactly when it was there.
    const QByteArray mark = "\xEF\xBB\xBF";
    QByteArray after = file.readAll();
    QByteArray oldText = before;
    require(oldText.startsWith(mark) == after.startsWith(mark));
    if (oldText.startsWith(mark)) {
        oldText.remove(0, mark.size());
        after.remove(0, mark.size());
    }
    const QList<QByteArray> old = linesOf(oldText);
    const QList<QByteArray> now = linesOf(after);
    // Walking both files together, the new one differs from the old one only by the entry's own
    // line (replaced, keeping the key as it was spelt) or by the section and entry lines added.
    const auto isKeyLine = [](const QByteArray& line) {
        const qsizetype equals = line.indexOf('=');
        return equals >= 0 && line.left(equals).trimmed().compare("key", Qt::CaseInsensitive) == 0;
    };
    qsizetype i = 0;
    qsizetype j = 0;
    int replaced = 0;
    int added = 0;
    while (i < old.size() || j < now.size()) {
        if (i < old.size() && j < now.size() && old[i] == now[j]) {
            ++i;
            ++j;
        } else if (i < old.size() && j < now.size() && replaced == 0 && isKeyLine(old[i]) &&
                   now[j].endsWith("=value")) {
            ++replaced;
            ++i;
            ++j;
        } else if (j < now.size() && added < 2 && (now[j] == "[Fuzz]" || now[j] == "key=value")) {
            ++added;
            ++j;
        } else {
            require(false);
        }
    }
    return 0;
}
