#pragma once

#include "engine/serviceTable.h"
#include "platform/oneBased.h"
#include "settings/settings.h"

#include <QCheckBox>
#include <QDialog>
#include <QMap>
#include <QStringList>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace corvane {

class contactsCursor;
class OperatorDialogs;
class TDataModule2;

// A group flag's check box: a flag never set shows greyed, and the first click on it ticks it.
class GroupCheckBox final : public QCheckBox {
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

// The contacts window: browse the contacts in name order, edit the current one in bound fields,
// add and delete contacts, and narrow the list to one group. It works on a cursor of its own.
class TcontactsGridForm final : public QDialog {
    Q_OBJECT

public:
    // What a save is refused with when the ID cannot go into PAGE.
    static const QString pagerIdRule;

    TcontactsGridForm(const Settings& settings, const ServiceTable& services, OperatorDialogs& dialogs);
    ~TcontactsGridForm() override;

    void setDataModule(TDataModule2& dataModule);
    contactsCursor* contactsTable() { return m_cursor.get(); }
    void hidePassword();

    // Opens the cursor and fills the window; throws when the table cannot be opened.
    void FormShow();
    void InsertbuttonClick();
    void deleteButtonClick();
    void UpdatebuttonClick();
    void cancelButtonClick();
    void GroupSelectComboBoxChange();
    void showAllContactsButtonClick();
    // A click on a row of the grid: the cursor moves to that contact.
    void selectRow(int row);

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Window elements, named as their objectName; code outside the window finds them by that name.
    QLineEdit* nameEdit;
    QLineEdit* idEdit;
    QLineEdit* ServicenumberEdit;
    QLineEdit* passwordEdit;
    QLabel* passwordLabel;
    QLabel* optionalLabel;
    OneBased<GroupCheckBox*, groupCount> groupCheckboxes;
    QTableView* DBGrid1;
    QPushButton* Insertbutton;
    QPushButton* deleteButton;
    QPushButton* Updatebutton;
    QPushButton* cancelButton;
    QComboBox* GroupSelectComboBox;
    QPushButton* showAllContactsButton;
    QLabel* showingGroupsLabel;
    OneBased<QLabel*, serviceCount> serviceLabels;
    QPushButton* exitButton;

    void DataSource1StateChange();
    void contactsTableBeforePost();
    void showControls();
    void reloadGrid();
    void moveTo(int row);
    void followSaved(int oldRow);
    void dropInsertRow();
    int cursorRow() const;
    void setGridCurrent(int row);
    void beginEditing();
    void pushServiceNumber();
    void onTextEdited(QLineEdit* edit, const QString& field);
    QString boundField(QLineEdit* edit) const;
    void onGroupClicked(int group);
    void guarded(const std::function<void()>& handler);

    const Settings& m_settings;
    const ServiceTable& m_services;
    OperatorDialogs& m_dialogs;
    std::unique_ptr<contactsCursor> m_cursor;
    class GridModel* m_grid;             // names and IDs of the cursor's view, in its order
    QMap<QLineEdit*, QString> m_before;  // what each edit showed before the typing, for Esc
    bool m_serviceNumberInvalid = false; // the typed service number is no whole number yet
    bool m_filling = false;
    bool m_syncingGrid = false; // the window itself is moving the grid's highlight
    int m_insertRow = -1;       // the row of the contact being composed after New Contact
    int m_shownEntry = 0;       // the drop-down entry whose view the grid shows
};

} // namespace corvane
