// The recipient selection of the main window: the names list, the ticks, the groups list, direct
// ID entry, the name search and the mode indicators.
#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/datamod.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "engine/serviceTable.h"
#include "platform/operatorDialogs.h"
#include "settings/settings.h"
#include "ui/Unit1.h"
#include "ui/nameSearch.h"
#include "ui/results.h"
#include "ui/toolkit/checkListBox.h"
#include "ui/toolkit/modalRunner.h"
#include "ui/toolkit/typingLimit.h"
#include "ui/viewContact.h"
#include "ui/windowStyle.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

RecipientSelection TForm1::currentSelection(bool fromSendButton) const {
    RecipientSelection s;
    s.groupMode = !groupSelectingLabel->isHidden();
    if (QListWidgetItem* item = groupsListBox->currentItem(); item != nullptr && item->isSelected()) {
        s.highlightedGroup = groupNumberOfEntry(item->text());
    }
    for (int row : namesListbox->Items().itemsIn(Qt::Checked)) {
        s.tickedNames.append(namesListbox->Items().item(row));
    }
    s.toMarker = toNameLabel->text();
    s.idField = toIdedit->text();
    s.message = messageMemo->toPlainText();
    s.fromSendButton = fromSendButton;
    return s;
}

void TForm1::setIdFieldForDisplay(const QString& text) {
    showWhole(*toIdedit, text);
    toIdedit->setEnabled(false);
    setBackground(*toIdedit, silver);
}

void TForm1::fillNamesListBox() {
    // Only the names are needed here: reading whole records would convert thirteen more fields per
    // contact at every start.
    QStringList names;
    if (m_contactsTable && m_contactsTable->Active()) {
        // A table put in place by a rename since it was opened is the one to show.
        m_contactsTable->dataModule().reopenIfReplaced();
        names = m_contactsTable->viewNames();
    }
    namesListbox->Items().setItems(std::move(names));
    namesListbox->setItemIndex(-1);
}

void TForm1::fillGroupslistbox() {
    groupsListBox->clear();
    for (int n = 1; n <= groupCount; ++n) {
        if (!m_settings.groupNames[n].isEmpty()) {
            groupsListBox->addItem(u"G"_s + QString::number(n) + u": "_s + m_settings.groupNames[n]);
        }
    }
    groupsListBox->setCurrentRow(-1);
    groupsListBox->clearSelection();
}

void TForm1::namesListboxClick() {
    if (namesListbox->stateCount(Qt::Checked) > 0) {
        return; // ticks take priority over a pick
    }
    const int row = namesListbox->ItemIndex();
    if (row < 0) {
        return;
    }
    const QString name = namesListbox->Items().item(row);
    LookedUpContact found;
    if (!lookupContact(name, found)) {
        return;
    }
    NamesSelectingPanel->hide();
    groupSelectingLabel->hide();
    groupsListBox->clearSelection();
    groupsListBox->setCurrentRow(-1);
    setIdFieldForDisplay(QString());
    if (m_windows.sendingMemoForm != nullptr) {
        m_windows.sendingMemoForm->hide();
    }
    toNameLabel->setText(name);
    showWhole(*toIdedit, found.id);
    toIdedit->setCursorPosition(0); // a long ID shows its first digits
    arrowlabel->show();
    m_arrowCountdown = 2;
}

void TForm1::namesListboxStateChange(int, Qt::CheckState, Qt::CheckState newState) {
    if (newState != Qt::Checked) {
        return; // unticking never changes the indicators by itself
    }
    toNameLabel->setText(u"[selected names]"_s);
    setIdFieldForDisplay(QString());
    NamesSelectingPanel->show();
    groupSelectingLabel->hide();
    groupsListBox->clearSelection();
    groupsListBox->setCurrentRow(-1);
}

void TForm1::namesListboxDblClick() {
    const int row = namesListbox->ItemIndex();
    if (row < 0 || m_windows.viewContactForm == nullptr) {
        return;
    }
    TviewContactForm& view = *m_windows.viewContactForm;
    const QString name = namesListbox->Items().item(row);
    LookedUpContact found;
    // A name that is no longer found shows empty lines rather than the previous contact's values.
    QString id;
    QString service;
    if (lookupContact(name, found)) {
        id = found.id;
        if (ServiceTable::contains(found.serviceNumber)) {
            service = QString::number(found.serviceNumber) + u"  ["_s +
                      m_engine->serviceTable()[found.serviceNumber].name + u']';
        }
    }
    view.showContact(name, id, service);
    view.move(pos() + QPoint(150, 50));
    m_modal.showModal(view);
}

void TForm1::checkAllButtonClick() {
    for (int i = 0; i < namesListbox->count(); ++i) {
        namesListbox->setState(i, Qt::Checked);
    }
    namesListboxStateChange(-1, Qt::Unchecked, Qt::Checked);
}

void TForm1::uncheckAllButtonClick() {
    for (int i = 0; i < namesListbox->count(); ++i) {
        namesListbox->setState(i, Qt::Unchecked);
    }
    if (!groupSelectingLabel->isHidden()) {
        return; // group mode stays
    }
    toNameLabel->clear();
    setIdFieldForDisplay(QString());
    NamesSelectingPanel->hide();
}

void TForm1::groupsListBoxClick() {
    QListWidgetItem* item = groupsListBox->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    const int group = groupNumberOfEntry(item->text());
    if (group < 1 || group > groupCount) {
        return;
    }
    uncheckAllButtonClick();
    if (m_windows.sendingMemoForm != nullptr && m_windows.sendingMemoForm->isVisible()) {
        m_windows.sendingMemoForm->hide();
    }
    groupSelectingLabel->show();
    NamesSelectingPanel->hide();
    namesListbox->setItemIndex(-1);
    toNameLabel->setText(u"[Group "_s + QString::number(group) + u']');
    setIdFieldForDisplay(QString());
}

void TForm1::editIdButtonClick() {
    uncheckAllButtonClick();
    NamesSelectingPanel->hide();
    namesListbox->setItemIndex(-1);
    groupSelectingLabel->hide();
    toNameLabel->setText(directIdEntryMarker);
    toIdedit->setEnabled(true);
    setBackground(*toIdedit, palette().color(QPalette::Base));
    showWhole(*toIdedit, QString());
    toIdedit->setFocus();
}

void TForm1::typeNameeditChange() {
    const CheckListModel& items = namesListbox->Items();
    const int target = nameSearchWalk(
        items.count(), [&](int i) -> const QString& { return items.item(i); }, namesListbox->ItemIndex(),
        typeNameedit->text(), items.order());
    if (target >= 0) {
        namesListbox->setItemIndex(target);
    }
}

bool TForm1::typeNameeditKeyDown(int key) {
    const int row = namesListbox->ItemIndex();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        namesListboxClick();
        return true;
    case Qt::Key_Up:
        namesListbox->setFocus();
        if (row > 0) {
            namesListbox->setItemIndex(row - 1);
        }
        namesListboxClick();
        return true;
    case Qt::Key_Down:
        namesListbox->setFocus();
        if (row + 1 < namesListbox->count()) {
            namesListbox->setItemIndex(row + 1);
        }
        namesListboxClick();
        return true;
    default:
        return false;
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == typeNameedit && event->type() == QEvent::KeyPress) {
        bool consumed = false;
        guarded([&] { consumed = typeNameeditKeyDown(static_cast<QKeyEvent*>(event)->key()); });
        return consumed;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::resetToNoRecipient() {
    toNameLabel->clear();
    setIdFieldForDisplay(QString());
    NamesSelectingPanel->hide();
    groupSelectingLabel->hide();
    groupsListBox->clearSelection();
    groupsListBox->setCurrentRow(-1);
}

} // namespace corvane
