#pragma once

class QKeyEvent;
class QLineEdit;
class QString;
class QWidget;

namespace corvane {

// A one-line edit's length limit is a limit on typing: a longer value put in by the program (read
// from the settings file or the contacts table) is shown whole and kept whole. Typing into such a
// value may shorten it but never lengthen it; once it is within the limit, the limit holds.
void limitTyping(QLineEdit& edit, int maxLength);
// Puts a value into an edit whole, whatever its typing limit.
void showWhole(QLineEdit& edit, const QString& text);

// Enter or Return presses the push button that has the keyboard focus, and only that one: a window
// without a default button. True when the key pressed a button.
bool pressFocusedButton(QWidget& window, const QKeyEvent& event);

} // namespace corvane
