#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <unistd.h>

namespace corvane::test {

// Each test works in a fresh directory of its own, made the working directory for its lifetime,
// because the program resolves "./corvane3.ini" and "./logs/" against the working directory.
class TempWorkingDir {
public:
    TempWorkingDir()
        : m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_dir.path());
    }
    ~TempWorkingDir() { QDir::setCurrent(m_previous); }

    QString path() const { return m_dir.path(); }
    // Lets another user (see ActAsUnprivileged) into the directory.
    void openToEveryone() const {
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(filePath(name));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }
    QByteArray read(const QString& name) const {
        QFile file(filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Tests that need the system to refuse a write: as root every permission is granted, so for the
// lifetime of this object the process acts as the unprivileged user "nobody".
class ActAsUnprivileged {
public:
    ActAsUnprivileged() {
        if (::geteuid() == 0) {
            m_wasRoot = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
        }
    }
    ~ActAsUnprivileged() {
        if (m_wasRoot) {
            [[maybe_unused]] const int a = ::seteuid(0);
            [[maybe_unused]] const int b = ::setegid(0);
        }
    }

private:
    bool m_wasRoot = false;
};

} // namespace corvane::test
