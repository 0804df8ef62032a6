#pragma once

#include "platform/clock.h"

namespace corvane::test {

// A clock that says what the test sets.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime moment)
        : current(std::move(moment)) {}
    QDateTime now() const override { return current; }
    QDateTime current;
};

} // namespace corvane::test
