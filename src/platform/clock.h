#pragma once

#include <QDateTime>

namespace corvane {

// Local date and time, behind an interface so that tests can fix the moment.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

} // namespace corvane
