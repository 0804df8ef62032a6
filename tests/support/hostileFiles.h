#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdio>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::test {

// The odd and hostile things a user may hand a program where it expects a text file, each made from
// the text the file should have held.
enum class HostileFile { MarkAndCrLf, Fifo, DanglingLink, DevZero, NulByte, OverTheBound, NotUtf8 };

struct HostileFileCase {
    const char* what;
    HostileFile kind;
};

inline void PrintTo(const HostileFileCase& c, std::ostream* os) {
    *os << c.what;
}

inline const HostileFileCase hostileFileCases[] = {
    {"UTF-8 mark and CR LF", HostileFile::MarkAndCrLf}, {"FIFO", HostileFile::Fifo},
    {"dangling link", HostileFile::DanglingLink},       {"link to /dev/zero", HostileFile::DevZero},
    {"NUL byte in line 2", HostileFile::NulByte},       {"over the bound", HostileFile::OverTheBound},
    {"Windows-1252, not UTF-8", HostileFile::NotUtf8},
};

// Writes path as the kind says. lines: the good file's lines, LF-separated, UTF-8; bound: the most
// bytes the reader takes.
inline void makeHostileFile(const QString& path, HostileFile kind, const QByteArray& lines, qint64 bound) {
    const QByteArray name = QFile::encodeName(path);
    QByteArray bytes = lines;
    switch (kind) {
    case HostileFile::Fifo:
        ::mkfifo(name.constData(), 0600);
        return;
    case HostileFile::DanglingLink:
        if (::symlink("/nonexistent/corvane-file", name.constData()) != 0) {
            ::perror("symlink");
        }
        return;
    case HostileFile::DevZero:
        if (::symlink("/dev/zero", name.constData()) != 0) {
            ::perror("symlink");
        }
        return;
    case HostileFile::OverTheBound: {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(lines);
        file.resize(bound + 1);
        return;
    }
    case HostileFile::MarkAndCrLf:
        bytes.replace("\n", "\r\n");
        bytes.prepend("\xEF\xBB\xBF");
        break;
    case HostileFile::NulByte: {
        const qsizetype secondLine = bytes.indexOf('\n') + 1;
        bytes.insert(secondLine + 1, '\0');
        break;
    }
    case HostileFile::NotUtf8:
        bytes = QString::fromUtf8(lines).toLatin1();
        break;
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

// What every reader must say of a file of that kind named path; empty when it reads it.
inline QString hostileFileError(const QString& path, HostileFile kind, const QString& bound) {
    switch (kind) {
    case HostileFile::Fifo:
        return path + QStringLiteral(": a pipe, not a file");
    case HostileFile::DanglingLink:
        return path + QStringLiteral(": a link to /nonexistent/corvane-file, which does not exist");
    case HostileFile::DevZero:
        return path + QStringLiteral(": not a regular file (a device or a socket)");
    case HostileFile::NulByte:
        return path + QStringLiteral(", line 2: a NUL byte; this is not a text file (UTF-16?)");
    case HostileFile::OverTheBound:
        return path + QStringLiteral(": larger than ") + bound + QStringLiteral("; this is not such a file");
    default:
        return QString();
    }
}

} // namespace corvane::test
