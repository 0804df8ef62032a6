#pragma once

#include <QObject>
#include <functional>
#include <type_traits>
#include <utility>

namespace corvane {

class OperatorDialogs;

// Runs one event handler so that no exception crosses the Qt event loop: an error the handler does
// not catch is shown in a message box with the error's own text, and the rest of the handler is
// skipped. Returns false when the handler ended with an error.
bool runGuarded(OperatorDialogs& dialogs, const std::function<void()>& handler);

namespace detail {
// Calls the handler with all of the signal's arguments, only the first, or none, whichever it takes.
template <typename Handler, typename... Args>
void callWithWhatItTakes(const Handler& handler, Args&&... args) {
    if constexpr (std::is_invocable_v<const Handler&, Args...>) {
        handler(std::forward<Args>(args)...);
    } else if constexpr (sizeof...(Args) > 0) {
        [&handler](auto&& first, auto&&...) {
            if constexpr (std::is_invocable_v<const Handler&, decltype(first)>) {
                handler(std::forward<decltype(first)>(first));
            } else {
                handler();
            }
        }(std::forward<Args>(args)...);
    } else {
        handler();
    }
}
} // namespace detail

// Connects a signal to an event handler through runGuarded: the one way the windows connect their
// handlers. The handler takes the signal's arguments, the first of them, or none.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, QObject* context, OperatorDialogs& dialogs,
                                       Handler handler) {
    return QObject::connect(sender, signal, context, [&dialogs, handler = std::move(handler)](auto&&... args) {
        runGuarded(dialogs, [&] { detail::callWithWhatItTakes(handler, std::forward<decltype(args)>(args)...); });
    });
}

} // namespace corvane
