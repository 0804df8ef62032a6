#pragma once

#include <QString>
#include <sqlite3.h>

namespace corvane::test {

// A second program on the same contacts file: a plain SQLite connection that does not wait for
// locks.
class OtherProgram {
public:
    explicit OtherProgram(const QString& file) {
        sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~OtherProgram() { sqlite3_close(m_db); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    // SQLite's result code of running the statements.
    int run(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3* m_db = nullptr;
};

} // namespace corvane::test
