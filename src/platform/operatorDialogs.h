#pragma once

class QString;

namespace corvane {

// Everything that stops to ask or tell the operator. The core reaches the operator only through
// this interface; the windows give it a real implementation and tests a recording one.
class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;

    // A message box with the text and an OK button; returns when the operator has closed it.
    virtual void showMessage(const QString& text) = 0;
    // A confirmation with the buttons "&Yes" and "&No"; true when the operator chose Yes.
    virtual bool confirm(const QString& title, const QString& text) = 0;
    // The system's default beep.
    virtual void beep() = 0;
};

} // namespace corvane
