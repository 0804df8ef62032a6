#include "platform/writeWhole.h"

#include <cerrno>
#include <unistd.h>

namespace corvane {

namespace {

// offset < 0: at the descriptor's position.
bool writeFrom(int fd, QByteArrayView bytes, qint64 offset) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const auto rest = static_cast<std::size_t>(bytes.size() - done);
        const ssize_t n = offset < 0 ? ::write(fd, bytes.data() + done, rest)
                                     : ::pwrite(fd, bytes.data() + done, rest, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

bool writeWhole(int fd, QByteArrayView bytes) {
    return writeFrom(fd, bytes, -1);
}

bool writeWholeAt(int fd, QByteArrayView bytes, qint64 offset) {
    return writeFrom(fd, bytes, offset);
}

} // namespace corvane
