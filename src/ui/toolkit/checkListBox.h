#pragma once

#include "ui/nameSearch.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>
#include <vector>

namespace corvane {

// The entries of a check list: names kept sorted alphabetically without regard to case in the
// user's language, each with a tick state.
class CheckListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int add(const QString& item);     // returns the sorted position
    void setItems(QStringList items); // replaces everything at once; sorts once
    void clear();
    const QString& item(int i) const { return m_items[i]; }
    int count() const { return static_cast<int>(m_items.size()); }
    Qt::CheckState state(int i) const { return static_cast<Qt::CheckState>(m_states[static_cast<std::size_t>(i)]); }
    void storeState(int i, Qt::CheckState state);
    int stateCount(Qt::CheckState state) const;
    // Indexes of the items in this state, in list order.
    QList<int> itemsIn(Qt::CheckState state) const;
    const NameOrder& order() const { return m_order; }

private:
    NameOrder m_order;
    QStringList m_items;
    std::vector<unsigned char> m_states;
    int m_checked = 0;
};

// A sorted list box whose entries carry a tick box. Setting the highlight from code raises no
// click; set state always raises the state-change event; a mouse click in the tick box toggles the
// item, then highlights it and raises the click, exactly as a click on its text does after that.
// Every keyboard move of the highlight (arrows, Home/End, page keys, a typed letter) raises the
// click too, so what is highlighted is always what was picked.
class CheckListBox final : public QListView {
    Q_OBJECT

public:
    explicit CheckListBox(QWidget* parent = nullptr);

    CheckListModel& Items() { return *m_model; }
    const CheckListModel& Items() const { return *m_model; }
    int count() const { return m_model->count(); }

    int ItemIndex() const;
    void setItemIndex(int index); // -1: none; raises no click

    Qt::CheckState state(int index) const { return m_model->state(index); }
    void setState(int index, Qt::CheckState state);
    int stateCount(Qt::CheckState state) const { return m_model->stateCount(state); }

signals:
    void stateChanged(int index, Qt::CheckState oldState, Qt::CheckState newState);
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool inTickBox(const QModelIndex& index, const QPoint& pos);
    void highlightAndClick(int row);

    CheckListModel* m_model;
};

} // namespace corvane
