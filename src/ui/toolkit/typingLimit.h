#pragma once

class QKeyEvent;
class QLineEdit;
class QRegularExpression;
class QString;
class QWidget;

namespace corvane {

// A one-line edit's length limit is a limit on typing: a longer value put in by the program (read
// from the settings file or the contacts table) is shown whole and kept whole. Typing into such a
// value may shorten it but never lengthen it past the limit. Within the limit the edit is a plain
// QLineEdit with that maximum length: the limit is set when a value is put in, never while the
// operator edits, because QLineEdit puts the cursor at the end and forgets its undo steps whenever
// its maximum changes.
void limitTyping(QLineEdit& edit, int maxLength);
// The typing limit of an edit, or 0 when it has none.
int typingLimitOf(const QLineEdit& edit);
// Lets only text that matches pattern be typed, keeping the edit's typing limit.
void acceptOnly(QLineEdit& edit, const QRegularExpression& pattern);
// Puts a value into an edit whole, whatever its typing limit. Every value the program puts into a
// limited edit goes in this way.
void showWhole(QLineEdit& edit, const QString& text);

// Enter or Return presses the push button that has the keyboard focus, and only that one: a window
// without a default button. True when the key pressed a button.
bool pressFocusedButton(QWidget& window, const QKeyEvent& event);

} // namespace corvane
