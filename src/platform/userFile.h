#pragma once

#include "platform/error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace corvane {

// A text file a user gave the programs could not be read as one. The text names the file, the line
// when the fault is in one, and what is wrong.
class UserFileError : public Error {
public:
    UserFileError(const QString& fileName, int line, const QString& problem);
    const QString& fileName() const { return m_fileName; }
    int line() const { return m_line; } // 0: the file as a whole
    const QString& problem() const { return m_problem; }

private:
    QString m_fileName;
    int m_line;
    QString m_problem;
};

// The most bytes a file of each kind may hold: no real file comes near its bound, and anything
// larger (a device, a log named by mistake) is not read until memory runs out.
struct UserFileBound {
    static constexpr qint64 settings = 1 << 20;        // corvane3.ini
    static constexpr qint64 services = 1 << 20;        // services.ini
    static constexpr qint64 namesList = 16 << 20;      // names.txt, --to-file, corvane-contacts import
    static constexpr qint64 contactsImport = 64 << 20; // corvane-contacts import --tsv
};

// The bytes of a file a user gave us, read the one way every program reads such a file:
// - a link is followed; a link that leads nowhere is an error naming the link;
// - only a regular file is read, and it is opened without blocking, so a FIFO or a device is
//   refused at once rather than waited on or read for ever;
// - at most maxBytes, counted as read (a file that grows past the bound meanwhile is refused too).
// Empty when no file (and no link) of that name exists; throws UserFileError otherwise.
std::optional<QByteArray> readUserFileBytes(const QString& fileName, qint64 maxBytes);

// A user's text file as lines, without their line ends (CR LF or LF).
struct UserText {
    bool marked = false; // it began with the UTF-8 byte-order mark, which is not part of line 1
    bool utf8 = false;   // decoded as UTF-8
    QStringList lines;   // a last line end does not make an empty line after it
};

// The lines of a user's text file: the UTF-8 mark skipped, a NUL byte refused with its line, and
// UTF-8 when the file is marked or is valid UTF-8 beyond ASCII, else Windows-1252 (as Windows'
// own editors save). The file name is for the messages only.
UserText decodeUserText(const QString& fileName, QByteArrayView bytes);

// readUserFileBytes then decodeUserText; an absent file is an error.
UserText readUserTextFile(const QString& fileName, qint64 maxBytes);

// The line (1-based) of the first NUL byte, or 0 when there is none.
int lineOfFirstNul(QByteArrayView bytes);

} // namespace corvane
