#pragma once

#include <QDialog>

class QLabel;

namespace corvane {

// A contact's name, pager ID and service, read-only.
class TviewContactForm final : public QDialog {
    Q_OBJECT

public:
    explicit TviewContactForm(QWidget* parent = nullptr);

    QLabel* nameLabel;
    QLabel* idLabel;
    QLabel* serviceLabel;
};

} // namespace corvane
