#pragma once

#include <functional>

namespace corvane {

class OperatorDialogs;

// Runs one event handler so that no exception crosses the Qt event loop: an error the handler does
// not catch is shown in a message box with the error's own text, and the rest of the handler is
// skipped. Returns false when the handler ended with an error.
bool runGuarded(OperatorDialogs& dialogs, const std::function<void()>& handler);

} // namespace corvane
