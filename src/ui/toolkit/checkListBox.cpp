#include "ui/toolkit/checkListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace corvane {

int CheckListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_items[index.row()];
    }
    if (role == Qt::CheckStateRole) {
        return state(index.row());
    }
    return {};
}

// Not user-checkable: the view toggles through setState so that every change raises its event.
Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int CheckListModel::add(const QString& item) {
    const auto at = std::upper_bound(m_items.begin(), m_items.end(), item,
                                     [this](const QString& a, const QString& b) { return m_order.before(a, b); });
    const int row = static_cast<int>(at - m_items.begin());
    beginInsertRows({}, row, row);
    m_items.insert(row, item);
    m_states.insert(m_states.begin() + row, static_cast<unsigned char>(Qt::Unchecked));
    endInsertRows();
    return row;
}

void CheckListModel::setItems(QStringList items) {
    beginResetModel();
    m_order.sort(items);
    m_items = std::move(items);
    m_states.assign(static_cast<std::size_t>(m_items.size()), static_cast<unsigned char>(Qt::Unchecked));
    m_checked = 0;
    endResetModel();
}

void CheckListModel::clear() {
    setItems({});
}

void CheckListModel::storeState(int i, Qt::CheckState state) {
    auto& stored = m_states[static_cast<std::size_t>(i)];
    m_checked += (state == Qt::Checked) - (stored == Qt::Checked);
    stored = static_cast<unsigned char>(state);
    const QModelIndex changed = index(i);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

int CheckListModel::stateCount(Qt::CheckState state) const {
    if (state == Qt::Checked) {
        return m_checked;
    }
    return static_cast<int>(std::count(m_states.begin(), m_states.end(), static_cast<unsigned char>(state)));
}

QList<int> CheckListModel::itemsIn(Qt::CheckState state) const {
    QList<int> rows;
    if (state == Qt::Checked && m_checked == 0) {
        return rows;
    }
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        if (m_states[i] == state) {
            rows.append(static_cast<int>(i));
        }
    }
    return rows;
}

CheckListBox::CheckListBox(QWidget* parent)
    : QListView(parent)
    , m_model(new CheckListModel(this)) {
    setModel(m_model);
    setUniformItemSizes(true); // 100,000 names lay out without measuring each one
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int CheckListBox::ItemIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void CheckListBox::setItemIndex(int index) {
    if (index < 0 || index >= count()) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex target = m_model->index(index);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    scrollTo(target);
}

void CheckListBox::setState(int index, Qt::CheckState state) {
    const Qt::CheckState old = m_model->state(index);
    m_model->storeState(index, state);
    emit stateChanged(index, old, state);
}

bool CheckListBox::inTickBox(const QModelIndex& index, const QPoint& pos) {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    return box.adjusted(-2, -2, 2, 2).contains(pos);
}

void CheckListBox::highlightAndClick(int row) {
    setItemIndex(row);
    emit clicked();
}

void CheckListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        return;
    }
    if (inTickBox(index, event->position().toPoint())) {
        const Qt::CheckState old = state(index.row());
        setState(index.row(), old == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
    highlightAndClick(index.row());
}

void CheckListBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void CheckListBox::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void CheckListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
        emit doubleClicked();
    }
}

void CheckListBox::keyPressEvent(QKeyEvent* event) {
    const int row = ItemIndex();
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Up:
        target = row > 0 ? row - 1 : (row < 0 && count() > 0 ? 0 : -1);
        break;
    case Qt::Key_Down:
        target = row + 1 < count() ? row + 1 : -1;
        break;
    case Qt::Key_Home:
        target = count() > 0 ? 0 : -1;
        break;
    case Qt::Key_End:
        target = count() - 1;
        break;
    case Qt::Key_PageUp:
        target = count() > 0 ? std::max(0, row - 10) : -1;
        break;
    case Qt::Key_PageDown:
        target = count() > 0 ? std::min(count() - 1, row + 10) : -1;
        break;
    case Qt::Key_Space:
        if (row >= 0) {
            setState(row, state(row) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            highlightAndClick(row);
        }
        event->accept();
        return;
    default: {
        // A typed letter moves the highlight to the next name that starts with it: that is a pick
        // like any other move of the highlight.
        QListView::keyPressEvent(event);
        const int now = currentIndex().row();
        if (now >= 0 && now != row) {
            highlightAndClick(now);
        }
        return;
    }
    }
    if (target >= 0 && target != row) {
        highlightAndClick(target);
    }
    event->accept();
}

} // namespace corvane
