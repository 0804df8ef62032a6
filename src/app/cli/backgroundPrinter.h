#pragma once

#include <QByteArray>
#include <cstddef>
#include <memory>

namespace corvane::cli {

// Lines for a descriptor that nobody may be reading (a paused pager, "| sleep"): they are written by
// a thread of their own, so the program's event loop never waits on the write. At most maxBytes
// wait; a line that would go past that is dropped and counted, never waited for.
class BackgroundPrinter {
public:
    explicit BackgroundPrinter(int fd, std::size_t maxBytes = 1 << 20);
    // The writing thread is left to end with the process: it may be blocked on a reader that never
    // comes, and must not keep the program from ending.
    ~BackgroundPrinter();
    BackgroundPrinter(const BackgroundPrinter&) = delete;
    BackgroundPrinter& operator=(const BackgroundPrinter&) = delete;

    void print(QByteArray line);
    // Waits until every line taken is written, or the time is up (a reader that never reads); true
    // when all were written.
    bool flushFor(int milliseconds);
    // Lines not printed (yet): dropped because the reader had fallen behind by maxBytes, waiting, or
    // being written.
    std::size_t unprinted() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace corvane::cli
