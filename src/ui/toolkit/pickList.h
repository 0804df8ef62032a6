#pragma once

#include <QListWidget>

namespace corvane {

// A list of choices of which one stays picked until the operator picks another. A click outside
// every entry, or a Ctrl+click or Ctrl+Space on the picked entry, keeps the pick: the window shows
// the picked entry as the choice that Send acts on, and an empty highlight would make Send page
// nobody while the rest of the window still names the choice.
class PickList final : public QListWidget {
    Q_OBJECT

public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
};

} // namespace corvane
