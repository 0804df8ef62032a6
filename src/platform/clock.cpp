#include "platform/clock.h"

namespace corvane {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

} // namespace corvane
