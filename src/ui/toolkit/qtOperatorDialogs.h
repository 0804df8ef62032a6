#pragma once

#include "platform/operatorDialogs.h"
#include "ui/toolkit/modalRunner.h"

class QWidget;

namespace corvane {

// The operator dialogs as real Qt message boxes, owned by the windows.
class QtOperatorDialogs final : public OperatorDialogs, public ModalRunner {
public:
    // Message boxes are centred on parent; without one they open on their own.
    explicit QtOperatorDialogs(QWidget* parent = nullptr)
        : m_parent(parent) {}

    void setParent(QWidget* parent) { m_parent = parent; }

    void showMessage(const QString& text) override;
    bool confirm(const QString& title, const QString& text) override;
    void beep() override;
    int showModal(QWidget& window) override;

private:
    QWidget* m_parent;
};

} // namespace corvane
