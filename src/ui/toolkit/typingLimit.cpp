#include "ui/toolkit/typingLimit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace corvane {

namespace {

// text can be made from value by deleting characters only.
bool madeByDeleting(QStringView text, QStringView value) {
    qsizetype at = 0;
    for (QChar c : text) {
        at = value.indexOf(c, at);
        if (at < 0) {
            return false;
        }
        ++at;
    }
    return true;
}

// The edit's maximum length stops typing at the limit, and at the length of a longer value the
// program put in. What the maximum cannot tell is that such a value, once shortened, must not grow
// back with typed text: a text longer than the limit is taken only when it is what is left of the
// program's value. Every text the undo steps lead back to passed this test or is that value, so
// undo and redo work as in a plain QLineEdit.
class TypingLimitValidator final : public QValidator {
public:
    TypingLimitValidator(int limit, QObject* parent)
        : QValidator(parent)
        , m_limit(limit) {}

    State validate(QString& input, int& pos) const override {
        State state = Acceptable;
        if (m_content != nullptr) {
            state = m_content->validate(input, pos);
            if (state == Invalid) {
                return Invalid;
            }
        }
        if (input.size() > m_limit && !madeByDeleting(input, m_programValue)) {
            return Invalid;
        }
        return state;
    }
    void fixup(QString& input) const override {
        if (m_content != nullptr) {
            m_content->fixup(input);
        }
    }

    int limit() const { return m_limit; }
    void setProgramValue(const QString& value) { m_programValue = value; }
    void setContent(QValidator* content) { m_content = content; }

private:
    int m_limit;
    QString m_programValue;
    QValidator* m_content = nullptr; // owned as a child of this validator
};

TypingLimitValidator* limitOf(const QLineEdit& edit) {
    return dynamic_cast<TypingLimitValidator*>(const_cast<QValidator*>(edit.validator()));
}

} // namespace

void limitTyping(QLineEdit& edit, int maxLength) {
    edit.setValidator(new TypingLimitValidator(maxLength, &edit));
    edit.setMaxLength(maxLength);
}

int typingLimitOf(const QLineEdit& edit) {
    const TypingLimitValidator* limit = limitOf(edit);
    return limit != nullptr ? limit->limit() : 0;
}

void acceptOnly(QLineEdit& edit, const QRegularExpression& pattern) {
    if (TypingLimitValidator* limit = limitOf(edit); limit != nullptr) {
        limit->setContent(new QRegularExpressionValidator(pattern, limit));
        return;
    }
    edit.setValidator(new QRegularExpressionValidator(pattern, &edit));
}

void showWhole(QLineEdit& edit, const QString& text) {
    if (TypingLimitValidator* limit = limitOf(edit); limit != nullptr) {
        limit->setProgramValue(text);
        edit.setMaxLength(std::max<int>(limit->limit(), static_cast<int>(text.size())));
    }
    edit.setText(text);
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
