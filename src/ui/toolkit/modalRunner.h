#pragma once

class QWidget;

namespace corvane {

// Shows a window modally: the windows' own part of talking to the operator, beside the message
// boxes of OperatorDialogs. Tests pass one that acts in the window instead of waiting.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;

    // Shows the window modally and returns its result code when it closes.
    virtual int showModal(QWidget& window) = 0;
};

} // namespace corvane
