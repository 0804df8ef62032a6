#pragma once

#include <QDialog>

class QLabel;

namespace corvane {

// A contact's name, pager ID and service, read-only.
class TviewContactForm final : public QDialog {
    Q_OBJECT

public:
    explicit TviewContactForm(QWidget* parent = nullptr);

    // Fills the three lines; the window is shown by the caller.
    void showContact(const QString& name, const QString& id, const QString& service);

private:
    // Window elements, named as their objectName; code outside the window finds them by that name.
    QLabel* nameLabel;
    QLabel* idLabel;
    QLabel* serviceLabel;
};

} // namespace corvane
