#pragma once

#include <functional>

namespace corvane::test {

// Runs the event loop until the condition holds or the time is up; true when it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Runs the event loop for the given time, for checking that something does not happen.
void runEventsFor(int milliseconds);

} // namespace corvane::test
