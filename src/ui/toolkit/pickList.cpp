#include "ui/toolkit/pickList.h"

namespace corvane {

QItemSelectionModel::SelectionFlags PickList::selectionCommand(const QModelIndex& index, const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    if ((command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) != 0 &&
        selectionModel()->isSelected(index)) {
        return QItemSelectionModel::NoUpdate;
    }
    return command;
}

} // namespace corvane
