#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace corvane::cli {

// A file a program writes for its user when its work is done (corvane-page --failed-file), made
// ready before anything is done, so that a path that cannot be written stops the program first.
// - A regular file, or none yet: the new text goes to a new file beside it, put in its place only
//   when it is whole, with the old file's permissions; an interrupted or failed write leaves the
//   old file as it was.
// - A pipe, a terminal, a device (/dev/null, a >(...) of the shell): written as a stream, in place,
//   and never replaced by a file.
// - A folder: refused.
class OutputFile {
public:
    // Empty, with error set, when the path cannot be written.
    static std::optional<OutputFile> prepare(const QString& path, QString& error);
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Writes bytes and puts the file in place; false with error set (the system's words, "No space
    // left on device") when it could not.
    bool commit(const QByteArray& bytes, QString& error);
    // Writes nothing, and takes away the old file at the path (a regular one only): a list that is
    // not known to be whole must not stay as if it were this run's.
    void withdraw();
    const QString& path() const { return m_path; }

private:
    OutputFile(QString path, int fd, QString temporary);

    QString m_path;
    int m_fd = -1;
    QString m_temporary; // empty: written in place, as a stream
};

} // namespace corvane::cli
