#include "platform/systemError.h"

#include <cstring>

namespace corvane {

QString systemErrorText(int errorCode) {
    char buffer[256] = {};
    // GNU strerror_r may return its own static text instead of filling the buffer.
    const char* text = strerror_r(errorCode, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

} // namespace corvane
