#include "ui/toolkit/typingLimit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVariant>
#include <algorithm>

namespace corvane {

namespace {

constexpr const char* limitProperty = "corvaneTypingLimit";

int typingLimit(const QLineEdit& edit) {
    const QVariant limit = edit.property(limitProperty);
    return limit.isValid() ? limit.toInt() : 0;
}

// QLineEdit cuts its text to its maximum length, so the maximum follows a longer value down as it
// is shortened and never goes below the typing limit.
void followText(QLineEdit& edit, qsizetype length) {
    const int limit = typingLimit(edit);
    if (limit > 0) {
        edit.setMaxLength(std::max<int>(limit, static_cast<int>(length)));
    }
}

} // namespace

void limitTyping(QLineEdit& edit, int maxLength) {
    edit.setProperty(limitProperty, maxLength);
    edit.setMaxLength(maxLength);
    QObject::connect(&edit, &QLineEdit::textChanged, &edit,
                     [&edit](const QString& text) { followText(edit, text.size()); });
}

void showWhole(QLineEdit& edit, const QString& text) {
    if (typingLimit(edit) > 0) {
        edit.setMaxLength(std::max<int>(edit.maxLength(), static_cast<int>(text.size())));
    }
    edit.setText(text);
    followText(edit, text.size());
}

bool pressFocusedButton(QWidget& window, const QKeyEvent& event) {
    if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) {
        return false;
    }
    auto* button = qobject_cast<QPushButton*>(window.focusWidget());
    if (button == nullptr || !button->isEnabled() || !button->isVisible()) {
        return false;
    }
    button->click();
    return true;
}

} // namespace corvane
