#pragma once

#include <QString>
#include <cstdio>

namespace corvane::cli {

// Text for a terminal: a tab, a line end and every other control character (an escape sequence a
// server or a stored value may hold) shown as an escape, never sent as it is. One trailing line end
// is dropped.
QString printable(const QString& text);

// One line of text, escaped, in the locale's encoding. A reader that has gone away (a closed pipe)
// must not stop the program: what cannot be written is dropped. Standard output goes out a line at
// a time to a terminal and in blocks to a file or a pipe; standard error is never buffered.
void printLine(FILE* stream, const QString& text);

// One line of data whose fields the caller has made safe already (tab-separated records): UTF-8,
// written as it is.
void printDataLine(FILE* stream, const QString& text);

// A program's messages on standard error, each after its name: "corvane-page: ...".
class Messages {
public:
    explicit Messages(QString program)
        : m_program(std::move(program)) {}
    void say(const QString& text) const;

private:
    QString m_program;
};

} // namespace corvane::cli
