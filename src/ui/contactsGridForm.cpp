#include "ui/contactsGridForm.h"

#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/contactsStore.h"
#include "contacts/datamod.h"
#include "engine/serviceTable.h"
#include "platform/error.h"
#include "platform/operatorDialogs.h"
#include "settings/settings.h"
#include "ui/toolkit/handlerGuard.h"
#include "ui/toolkit/typingLimit.h"
#include "ui/windowStyle.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {
const QString editingMessage = u"You are currently editing a record.  Choose UPDATE or CANCEL."_s;
const QString showAllEntry = u"SHOW ALL CONTACTS"_s;
} // namespace

// The grid's rows: a copy of the names and IDs of the cursor's view, read whole when the view
// changes and kept in step row by row after each change of a contact.
class GridModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    QStringList names;
    QStringList ids;
    int current = -1;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(names.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        return index.column() == 0 ? names[index.row()] : ids[index.row()];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        if (orientation == Qt::Horizontal) {
            return section == 0 ? u" Name"_s : u" ID"_s;
        }
        return section == current ? u"\u25b6"_s : QString(); // the row indicator
    }
    void replace(QStringList newNames, QStringList newIds, int newCurrent) {
        beginResetModel();
        names = std::move(newNames);
        ids = std::move(newIds);
        current = newCurrent;
        endResetModel();
    }
    void insertRow(int row, const QString& name, const QString& id) {
        beginInsertRows({}, row, row);
        names.insert(row, name);
        ids.insert(row, id);
        endInsertRows();
    }
    void removeRow(int row) {
        beginRemoveRows({}, row, row);
        names.removeAt(row);
        ids.removeAt(row);
        endRemoveRows();
    }
    void setCurrent(int row) {
        const int old = std::exchange(current, row);
        for (int changed : {old, row}) {
            if (changed >= 0 && changed < names.size()) {
                emit headerDataChanged(Qt::Vertical, changed, changed);
            }
        }
    }
};

void GroupCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

TcontactsGridForm::TcontactsGridForm(const Settings& settings, const ServiceTable& services, OperatorDialogs& dialogs)
    : QDialog(nullptr)
    , m_settings(settings)
    , m_services(services)
    , m_dialogs(dialogs) {
    setObjectName(u"contactsGridForm"_s);
    setWindowTitle(u"Contacts Database  -  Corvane"_s);
    makeFixedDialogWindow(*this, 562, 487);

    makeLabel(this, "Label1", u"Name:"_s, 8, 12, 60, 18);
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(u"nameEdit"_s);
    nameEdit->setGeometry(70, 10, 200, 22);
    makeLabel(this, "Label2", u"ID:"_s, 8, 40, 60, 18);
    idEdit = new QLineEdit(this);
    idEdit->setObjectName(u"idEdit"_s);
    idEdit->setGeometry(70, 38, 200, 22);
    makeLabel(this, "Label3", u"Service:"_s, 8, 68, 60, 18);
    ServicenumberEdit = new QLineEdit(this);
    ServicenumberEdit->setObjectName(u"ServicenumberEdit"_s);
    ServicenumberEdit->setGeometry(70, 66, 34, 22);
    limitTyping(*ServicenumberEdit, 2);
    passwordLabel = makeLabel(this, "passwordLabel", u"Password:"_s, 120, 68, 64, 18);
    passwordEdit = new QLineEdit(this);
    passwordEdit->setObjectName(u"passwordEdit"_s);
    passwordEdit->setGeometry(186, 66, 84, 22);
    optionalLabel = makeLabel(this, "optionalLabel", u"(optional)"_s, 186, 90, 84, 16);

    auto* groups = new QGroupBox(u"Group memberships"_s, this);
    groups->setObjectName(u"GroupBox1"_s);
    groups->setGeometry(8, 96, 262, 218);
    for (int g = 1; g <= groupCount; ++g) {
        auto* box = new GroupCheckBox(groups);
        box->setObjectName(u"group%1checkbox"_s.arg(g));
        box->setGeometry(10, 20 + (g - 1) * 19, 245, 19);
        box->setTristate(true);
        groupCheckboxes[g] = box;
        connectGuarded(box, &QCheckBox::clicked, this, m_dialogs, [this, g] { onGroupClicked(g); });
    }

    m_grid = new GridModel(this);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(u"DBGrid1"_s);
    DBGrid1->setModel(m_grid);
    DBGrid1->setGeometry(280, 10, 274, 222);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setColumnWidth(0, 115);
    DBGrid1->setColumnWidth(1, 131);
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);
    DBGrid1->verticalHeader()->setFixedWidth(16);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A click or a keyboard move of the highlight both move the cursor; moves the window makes itself
    // to follow the cursor are not moves of the operator's.
    connectGuarded(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, m_dialogs,
                   [this](const QModelIndex& at) {
                       if (!m_syncingGrid && at.isValid()) {
                           selectRow(at.row());
                       }
                   });

    Insertbutton = makeButton(this, "Insertbutton", u"New Contact"_s, 280, 238, 134, 26);
    deleteButton = makeButton(this, "deleteButton", u"Delete Contact"_s, 420, 238, 134, 26);
    Updatebutton = makeButton(this, "Updatebutton", u"Update"_s, 280, 268, 134, 26);
    Updatebutton->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    cancelButton = makeButton(this, "cancelButton", u"Cancel"_s, 420, 268, 134, 26);
    cancelButton->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    for (QPushButton* button : {Insertbutton, deleteButton, Updatebutton, cancelButton}) {
        button->setAutoDefault(false);
    }

    // The filter row spans the window, so that "Group 10: " and the longest group name fit; its parts
    // take the widths their texts need.
    auto* filterRow = new QWidget(this);
    filterRow->setGeometry(8, 320, 546, 28);
    auto* filterLayout = new QHBoxLayout(filterRow);
    filterLayout->setContentsMargins(0, 0, 0, 0);
    auto* showOnly = new QLabel(u"Show only..."_s, filterRow);
    showOnly->setObjectName(u"Label4"_s);
    GroupSelectComboBox = new QComboBox(filterRow);
    GroupSelectComboBox->setObjectName(u"GroupSelectComboBox"_s);
    showOnly->setBuddy(GroupSelectComboBox);
    showAllContactsButton = new QPushButton(u"Show ALL"_s, filterRow);
    showAllContactsButton->setObjectName(u"showAllContactsButton"_s);
    showAllContactsButton->setAutoDefault(false);
    filterLayout->addWidget(showOnly);
    filterLayout->addWidget(GroupSelectComboBox, 1);
    filterLayout->addWidget(showAllContactsButton);
    showingGroupsLabel = makeLabel(this, "showingGroupsLabel", QString(), 0, 352, 562, 18);
    showingGroupsLabel->setAlignment(Qt::AlignCenter);
    setTextColour(*showingGroupsLabel, Qt::red);
    showingGroupsLabel->hide();

    auto* rule = new QFrame(this);
    rule->setGeometry(0, 374, 562, 2);
    setBackground(*rule, Qt::black);

    auto* panel = new QFrame(this);
    panel->setObjectName(u"servicelistPanel"_s);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 380, 310, 104);
    // The window's own font throughout; the rows take the height that font needs.
    auto* servicesGrid = new QGridLayout(panel);
    servicesGrid->setContentsMargins(4, 2, 4, 2);
    servicesGrid->setHorizontalSpacing(4);
    servicesGrid->setVerticalSpacing(0);
    auto* title = new QLabel(u" SERVICES LIST - Reference "_s, panel);
    title->setObjectName(u"servicelistTitle"_s);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    servicesGrid->addWidget(title, 0, 0, 1, 4);
    for (int n = 1; n <= serviceCount; ++n) {
        const int column = (n - 1) / 6 * 2;
        const int row = 1 + (n - 1) % 6;
        servicesGrid->addWidget(new QLabel(QString::number(n) + u':', panel), row, column);
        auto* name = new QLabel(panel);
        name->setObjectName(u"service%1Label"_s.arg(n));
        name->setFixedWidth(109); // a long name is clipped here by design
        servicesGrid->addWidget(name, row, column + 1);
        serviceLabels[n] = name;
    }
    servicesGrid->setColumnStretch(1, 1);
    servicesGrid->setColumnStretch(3, 1);

    exitButton = makeButton(this, "exitButton", u"Exit"_s, 474, 452, 80, 28);
    exitButton->setAutoDefault(false);

    connectGuarded(Insertbutton, &QPushButton::clicked, this, m_dialogs, [this] { InsertbuttonClick(); });
    connectGuarded(deleteButton, &QPushButton::clicked, this, m_dialogs, [this] { deleteButtonClick(); });
    connectGuarded(Updatebutton, &QPushButton::clicked, this, m_dialogs, [this] { UpdatebuttonClick(); });
    connectGuarded(cancelButton, &QPushButton::clicked, this, m_dialogs, [this] { cancelButtonClick(); });
    connectGuarded(showAllContactsButton, &QPushButton::clicked, this, m_dialogs,
                   [this] { showAllContactsButtonClick(); });
    connectGuarded(GroupSelectComboBox, &QComboBox::activated, this, m_dialogs,
                   [this] { GroupSelectComboBoxChange(); });
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
    DBGrid1->setAccessibleName(u"Contacts"_s);
    GroupSelectComboBox->setAccessibleName(u"Show only"_s);
    nameControlsForScreenReaders(*this);

    QList<QWidget*> tabOrder{DBGrid1, exitButton,        showAllContactsButton, nameEdit,
                             idEdit,  ServicenumberEdit, passwordEdit};
    for (GroupCheckBox* box : groupCheckboxes) {
        tabOrder.append(box);
    }
    tabOrder.append({Insertbutton, deleteButton, Updatebutton, cancelButton, GroupSelectComboBox});
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    for (QLineEdit* edit : {nameEdit, idEdit, ServicenumberEdit, passwordEdit}) {
        edit->installEventFilter(this);
        connectGuarded(edit, &QLineEdit::textEdited, this, m_dialogs,
                       [this, edit] { onTextEdited(edit, boundField(edit)); });
    }
}

TcontactsGridForm::~TcontactsGridForm() = default;

void TcontactsGridForm::setDataModule(TDataModule2& dataModule) {
    m_cursor = std::make_unique<contactsCursor>(dataModule);
    m_cursor->setIndexName(u"nameindex"_s);
    m_cursor->OnStateChange = [this](contactsCursor&) { DataSource1StateChange(); };
    m_cursor->BeforePost = [this](contactsCursor&) { contactsTableBeforePost(); };
}

void TcontactsGridForm::hidePassword() {
    passwordEdit->hide();
    passwordLabel->hide();
    optionalLabel->hide();
}

void TcontactsGridForm::guarded(const std::function<void()>& handler) {
    if (!runGuarded(m_dialogs, handler)) {
        // After a refused step the controls show the cursor as it stands; reading it may fail too.
        runGuarded(m_dialogs, [&] { showControls(); });
    }
}

void TcontactsGridForm::FormShow() {
    if (!m_cursor) {
        throw Error(u"The contacts table is not available"_s);
    }
    m_cursor->Open();
    for (int n = 1; n <= serviceCount; ++n) {
        serviceLabels[n]->setText(m_services[n].name);
    }
    GroupSelectComboBox->clear();
    GroupSelectComboBox->addItem(showAllEntry);
    for (int g = 1; g <= groupCount; ++g) {
        const QString& name = m_settings.groupNames[g];
        groupCheckboxes[g]->setText(name);
        groupCheckboxes[g]->setAccessibleName(name.isEmpty() ? u"Group %1"_s.arg(g) : name);
        groupCheckboxes[g]->setEnabled(!name.isEmpty());
        if (!name.isEmpty()) {
            GroupSelectComboBox->addItem(u"Group "_s + QString::number(g) + u": "_s + name, g);
        }
    }
    DataSource1StateChange();
    showAllContactsButtonClick();
}

void TcontactsGridForm::DataSource1StateChange() {
    const DataSetState state = m_cursor->State();
    if (state == dsInactive) {
        return;
    }
    const bool editing = state == dsEdit || state == dsInsert;
    Insertbutton->setEnabled(!editing);
    deleteButton->setEnabled(!editing);
    Updatebutton->setEnabled(editing);
    cancelButton->setEnabled(editing);
}

const QString TcontactsGridForm::pagerIdRule = pagerIdRuleText;

void TcontactsGridForm::contactsTableBeforePost() {
    if (const std::optional<QString> refusal = contactSaveRefusal(m_cursor->FieldByName(u"name"_s).AsString(),
                                                                  m_cursor->FieldByName(u"id"_s).AsString())) {
        m_dialogs.showMessage(*refusal);
        throw AbortError();
    }
}

void TcontactsGridForm::showAllContactsButtonClick() {
    showingGroupsLabel->hide();
    m_cursor->setFiltered(false);
    GroupSelectComboBox->setCurrentIndex(0);
    m_shownEntry = 0;
    showAllContactsButton->setEnabled(false);
    reloadGrid();
    showControls();
}

void TcontactsGridForm::GroupSelectComboBoxChange() {
    const int index = GroupSelectComboBox->currentIndex();
    if (index < 0) {
        return;
    }
    const QString entry = GroupSelectComboBox->currentText();
    const bool ok = runGuarded(m_dialogs, [&] {
        pushServiceNumber();
        if (entry == showAllEntry) {
            showAllContactsButtonClick();
            return;
        }
        // Each group's entry carries its number, "Group " + n + ": " + name.
        const int group = GroupSelectComboBox->currentData().toInt();
        m_cursor->setFilter(u"memberGr"_s + QString::number(group) + u"=true"_s);
        m_cursor->setFiltered(true);
        m_shownEntry = index;
        showingGroupsLabel->setText(u"Showing "_s + entry);
        showingGroupsLabel->show();
        showAllContactsButton->setEnabled(true);
        reloadGrid();
        showControls();
    });
    if (!ok) {
        // The pending change could not be saved: the view, and the entry showing it, stay as they were.
        QSignalBlocker blocker(GroupSelectComboBox);
        GroupSelectComboBox->setCurrentIndex(m_shownEntry);
    }
}

void TcontactsGridForm::InsertbuttonClick() {
    if (m_cursor->State() != dsBrowse) {
        m_dialogs.showMessage(editingMessage);
        return;
    }
    m_cursor->Insert();
    // The contact being composed has a row of its own, where the current contact stood.
    const QScopedValueRollback syncing(m_syncingGrid, true);
    const int at = std::max(m_grid->current, 0);
    m_grid->insertRow(at, QString(), QString());
    m_insertRow = at;
    setGridCurrent(at);
    showControls();
    nameEdit->setFocus();
}

void TcontactsGridForm::deleteButtonClick() {
    m_dialogs.beep();
    if (m_cursor->State() != dsBrowse) {
        m_dialogs.showMessage(editingMessage);
        return;
    }
    if (!m_dialogs.confirm(u"Confirm"_s, u"Delete this contact?"_s)) {
        return;
    }
    const int row = m_grid->current;
    m_cursor->Delete();
    {
        const QScopedValueRollback syncing(m_syncingGrid, true);
        if (row >= 0) {
            m_grid->removeRow(row);
        }
    }
    setGridCurrent(cursorRow()); // the following contact, or the one before when it was the last
    showControls();
}

void TcontactsGridForm::UpdatebuttonClick() {
    if (m_cursor->State() != dsEdit && m_cursor->State() != dsInsert) {
        return;
    }
    const int oldRow = m_cursor->State() == dsInsert ? -1 : m_grid->current;
    try {
        pushServiceNumber();
        m_cursor->Post();
    } catch (const KeyViolationError&) {
        m_dialogs.showMessage(duplicateNameText);
        return;
    } catch (const Error& e) {
        m_dialogs.showMessage(e.text());
        return;
    }
    followSaved(oldRow);
    showControls();
}

void TcontactsGridForm::cancelButtonClick() {
    m_cursor->Cancel();
    dropInsertRow();
    setGridCurrent(cursorRow());
    showControls();
}

void TcontactsGridForm::selectRow(int row) {
    if (row < 0 || row >= m_grid->names.size() || row == m_grid->current) {
        return;
    }
    if (!runGuarded(m_dialogs, [&] { moveTo(row); })) {
        // Refused (the changed contact could not be saved): the highlight goes back to it.
        setGridCurrent(m_grid->current);
    }
    runGuarded(m_dialogs, [&] { showControls(); });
}

// Leaves the current row as the cursor does (a changed contact is saved first, an untouched new one
// dropped), then makes the contact of that row current.
void TcontactsGridForm::moveTo(int row) {
    if (row == m_insertRow) {
        return;
    }
    pushServiceNumber();
    const QString target = m_grid->names[row];
    const DataSetState state = m_cursor->State();
    if ((state == dsEdit || state == dsInsert) && m_cursor->Modified()) {
        const int oldRow = state == dsInsert ? -1 : m_grid->current;
        m_cursor->Post();
        followSaved(oldRow);
    } else if (state == dsEdit || state == dsInsert) {
        m_cursor->Cancel();
        dropInsertRow();
    }
    m_cursor->findName(target);
    setGridCurrent(cursorRow());
}

// The contact just saved goes to the row where the view now has it: a new name sorts elsewhere, and
// unticking the group shown takes it out of the view. Costs two indexed queries, not a re-read.
void TcontactsGridForm::followSaved(int oldRow) {
    {
        const QScopedValueRollback syncing(m_syncingGrid, true);
        dropInsertRow();
        if (oldRow >= 0 && oldRow < m_grid->names.size()) {
            m_grid->removeRow(oldRow);
        }
    }
    if (!m_cursor->currentInView()) {
        m_cursor->First();
        setGridCurrent(m_cursor->IsEmpty() ? -1 : 0);
        return;
    }
    const int row = m_cursor->positionInView();
    {
        const QScopedValueRollback syncing(m_syncingGrid, true);
        m_grid->insertRow(row, m_cursor->FieldByName(u"name"_s).AsString(), m_cursor->FieldByName(u"id"_s).AsString());
    }
    setGridCurrent(row);
}

void TcontactsGridForm::dropInsertRow() {
    if (m_insertRow < 0) {
        return;
    }
    const QScopedValueRollback syncing(m_syncingGrid, true);
    m_grid->removeRow(std::exchange(m_insertRow, -1));
}

// The row of the cursor's current contact; names are unique, so the name finds it.
int TcontactsGridForm::cursorRow() const {
    if (!m_cursor || !m_cursor->Active() || m_cursor->IsEmpty()) {
        return -1;
    }
    return int(m_grid->names.indexOf(m_cursor->FieldByName(u"name"_s).AsString()));
}

// Puts the highlight and the row indicator on a row (scrolled into view) without that counting as
// a move of the operator's.
void TcontactsGridForm::setGridCurrent(int row) {
    const QScopedValueRollback syncing(m_syncingGrid, true);
    m_grid->setCurrent(row);
    if (row >= 0 && row < m_grid->names.size()) {
        DBGrid1->selectRow(row);
        DBGrid1->scrollTo(m_grid->index(row, 0));
    } else {
        DBGrid1->selectionModel()->clear();
    }
}

// The typed service number reaches the record before anything is saved from it; text that is no
// whole number raises the conversion error here.
void TcontactsGridForm::pushServiceNumber() {
    if (m_serviceNumberInvalid && (m_cursor->State() == dsEdit || m_cursor->State() == dsInsert)) {
        m_cursor->FieldByName(u"servicenumber"_s).setAsString(ServicenumberEdit->text());
        m_serviceNumberInvalid = false;
    }
}

QString TcontactsGridForm::boundField(QLineEdit* edit) const {
    if (edit == nameEdit) {
        return u"name"_s;
    }
    if (edit == idEdit) {
        return u"id"_s;
    }
    return edit == ServicenumberEdit ? u"servicenumber"_s : u"password"_s;
}

void TcontactsGridForm::beginEditing() {
    if (m_cursor->State() == dsBrowse) {
        m_cursor->Edit();
    }
}

void TcontactsGridForm::onTextEdited(QLineEdit* edit, const QString& field) {
    if (m_filling) {
        return;
    }
    beginEditing();
    if (edit == ServicenumberEdit) {
        try {
            m_cursor->FieldByName(field).setAsString(edit->text());
            m_serviceNumberInvalid = false;
        } catch (const Error&) {
            m_serviceNumberInvalid = true; // reported when the contact is saved
        }
        return;
    }
    m_cursor->FieldByName(field).setAsString(edit->text());
}

void TcontactsGridForm::onGroupClicked(int group) {
    if (m_filling) {
        return;
    }
    beginEditing();
    m_cursor->FieldByName(u"memberGr"_s + QString::number(group))
        .setAsBoolean(groupCheckboxes[group]->checkState() == Qt::Checked);
}

namespace {

// A key that changes an edit's text without typing into it.
bool changesText(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete) {
        return true;
    }
    for (QKeySequence::StandardKey command :
         {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo,
          QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine,
          QKeySequence::DeleteCompleteLine}) {
        if (key.matches(command)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool TcontactsGridForm::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr || event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        // Puts back what the edit showed before the typing; the contact stays in editing.
        if (m_before.contains(edit)) {
            showWhole(*edit, m_before.take(edit));
            guarded([&] { onTextEdited(edit, boundField(edit)); });
        }
        return true;
    }
    // Ctrl+Z, Ctrl+V and the like carry a letter as their text too: they are commands, not typing.
    const QString text = key->text();
    const bool typed = !text.isEmpty() && text[0].isPrint() &&
                       (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
    if (edit == ServicenumberEdit && typed && !(text[0].isDigit() || text[0] == u'+' || text[0] == u'-')) {
        m_dialogs.beep();
        return true;
    }
    if (typed || changesText(*key)) {
        if (!m_before.contains(edit)) {
            m_before.insert(edit, edit->text());
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Esc belongs to the edits here; it never closes the window. Enter presses the focused button.
void TcontactsGridForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || pressFocusedButton(*this, *event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TcontactsGridForm::done(int result) {
    if (m_cursor) {
        m_cursor->Close(); // an unsaved edit is discarded without a question
    }
    QDialog::done(result);
}

void TcontactsGridForm::reloadGrid() {
    if (!m_cursor || !m_cursor->Active() || m_cursor->State() != dsBrowse) {
        return;
    }
    const QScopedValueRollback syncing(m_syncingGrid, true);
    const ReadTransaction together(m_cursor->dataModule().database());
    m_insertRow = -1;
    const bool hasCurrent = !m_cursor->IsEmpty();
    const QString current = hasCurrent ? m_cursor->FieldByName(u"name"_s).AsString() : QString();
    QStringList names;
    QStringList ids;
    m_cursor->readView(names, ids);
    int row = -1;
    if (!names.isEmpty()) {
        row = hasCurrent ? int(names.indexOf(current)) : 0;
        if (row >= 0) {
            m_cursor->findName(names[row]);
        } else {
            m_cursor->First();
            row = 0;
        }
    }
    m_grid->replace(std::move(names), std::move(ids), row);
    setGridCurrent(row);
}

void TcontactsGridForm::showControls() {
    if (!m_cursor || !m_cursor->Active()) {
        return;
    }
    const QScopedValueRollback filling(m_filling, true);
    const bool any = m_cursor->State() != dsBrowse || !m_cursor->IsEmpty();
    auto text = [&](const QString& field) { return any ? m_cursor->FieldByName(field).AsString() : QString(); };
    showWhole(*nameEdit, text(u"name"_s));
    showWhole(*idEdit, text(u"id"_s));
    showWhole(*ServicenumberEdit, text(u"servicenumber"_s));
    showWhole(*passwordEdit, text(u"password"_s));
    for (int g = 1; g <= groupCount; ++g) {
        const QString field = u"memberGr"_s + QString::number(g);
        Qt::CheckState state = Qt::PartiallyChecked;
        if (any && !m_cursor->FieldByName(field).IsNull()) {
            state = m_cursor->FieldByName(field).AsBoolean() ? Qt::Checked : Qt::Unchecked;
        }
        groupCheckboxes[g]->setCheckState(state);
    }
    m_before.clear();
    m_serviceNumberInvalid = false;
}

} // namespace corvane
