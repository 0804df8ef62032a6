#include "app/cli/backgroundPrinter.h"

#include "platform/writeWhole.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace corvane::cli {

struct BackgroundPrinter::Shared {
    int fd;
    std::size_t maxBytes;
    std::mutex mutex;
    std::condition_variable ready;
    std::condition_variable written;
    bool writing = false;
    std::deque<QByteArray> lines;
    std::size_t queuedBytes = 0;
    std::size_t dropped = 0;
};

BackgroundPrinter::BackgroundPrinter(int fd, std::size_t maxBytes)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->fd = fd;
    m_shared->maxBytes = maxBytes;
    // The thread holds the shared state itself, so it outlives this object if the write blocks.
    std::thread([shared = m_shared] {
        for (;;) {
            QByteArray line;
            {
                std::unique_lock lock(shared->mutex);
                shared->ready.wait(lock, [&] { return !shared->lines.empty(); });
                line = std::move(shared->lines.front());
                shared->lines.pop_front();
                shared->queuedBytes -= static_cast<std::size_t>(line.size());
                shared->writing = true;
            }
            // A reader gone away loses the line, as printing to a closed pipe does.
            writeWhole(shared->fd, line);
            {
                const std::lock_guard lock(shared->mutex);
                shared->writing = false;
            }
            shared->written.notify_all();
        }
    }).detach();
}

BackgroundPrinter::~BackgroundPrinter() = default;

void BackgroundPrinter::print(QByteArray line) {
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->queuedBytes + static_cast<std::size_t>(line.size()) > m_shared->maxBytes) {
            ++m_shared->dropped;
            return;
        }
        m_shared->queuedBytes += static_cast<std::size_t>(line.size());
        m_shared->lines.push_back(std::move(line));
    }
    m_shared->ready.notify_one();
}

bool BackgroundPrinter::flushFor(int milliseconds) {
    std::unique_lock lock(m_shared->mutex);
    return m_shared->written.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                      [&] { return m_shared->lines.empty() && !m_shared->writing; });
}

std::size_t BackgroundPrinter::unprinted() const {
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->dropped + m_shared->lines.size() + (m_shared->writing ? 1 : 0);
}

} // namespace corvane::cli
