#pragma once

#include "engine/contactDirectory.h"
#include "platform/error.h"

#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <optional>

namespace corvane {

class Statement;
class TDataModule2;
class contactsCursor;

// A save that would give two contacts the same name ("Key violation.").
class KeyViolationError : public Error {
public:
    KeyViolationError()
        : Error(QStringLiteral("Key violation.")) {}
};

enum class DataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
using enum DataSetState;

// One value of the cursor's current contact, read as text, integer or boolean, and written into the
// working copy while the cursor is in dsEdit or dsInsert.
class ContactField {
public:
    ContactField(contactsCursor& cursor, int index)
        : m_cursor(cursor)
        , m_index(index) {}

    QString FieldName() const;
    bool IsNull() const;
    QString AsString() const;
    int AsInteger() const;
    bool AsBoolean() const;
    void setAsString(const QString& value);
    void setAsInteger(int value);
    void setAsBoolean(bool value);
    void Clear(); // back to never set

private:
    contactsCursor& m_cursor;
    int m_index;
};

// A cursor over the contacts table: its own position, order, group filter and edit state. Moving
// goes from the current contact's key with one indexed query per step, so it costs the same over
// ten contacts or a hundred thousand; a change saved through another cursor is seen when this one
// next goes to its first contact or searches.
class contactsCursor {
public:
    static constexpr int fieldCount = 14;

    explicit contactsCursor(TDataModule2& dataModule);
    ~contactsCursor();
    contactsCursor(const contactsCursor&) = delete;
    contactsCursor& operator=(const contactsCursor&) = delete;

    TDataModule2& dataModule() { return m_dataModule; }
    DataSetState State() const { return m_state; }
    void Open();
    void Close();
    bool Active() const { return m_state != dsInactive; }

    void First();
    void Next();
    bool Eof() const { return m_eof; }
    // True when the view holds no contact; unlike RecordCount it asks the table nothing.
    bool IsEmpty() const { return !m_current; }
    int RecordCount();
    // Whether the current contact belongs to the view (a saved change can take it out of the group
    // shown), and how many contacts of the view come before it in the cursor's order. Each is one
    // indexed query, so a window can follow a change without reading the whole view again.
    bool currentInView();
    int positionInView();

    ContactField FieldByName(const QString& fieldName);
    bool Modified() const { return m_modified; }

    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();

    QString IndexName() const { return m_nameOrder ? QStringLiteral("nameindex") : QString(); }
    void setIndexName(const QString& indexName);
    bool findName(const QString& name);

    QString Filter() const { return m_filter; }
    void setFilter(const QString& filter);
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool filtered);

    // Runs at the start of every Post and may refuse it by throwing AbortError ("Operation aborted").
    std::function<void(contactsCursor&)> BeforePost;
    // Runs after every change of State.
    std::function<void(contactsCursor&)> OnStateChange;

    // The current contact (the working copy in dsEdit and dsInsert) as a plain record.
    contactRecordType currentRecord();
    // Every contact of the view read with one statement instead of a query a step (a list of
    // 100,000 names): the names in name order, whatever the cursor's order; or the names and IDs in
    // the cursor's order. Completes a pending edit first; the cursor stays where it is.
    QStringList viewNames();
    void readView(QStringList& names, QStringList& ids);

    // SQLite's plan for the search by name in the cursor's current view; lets a test see the index used.
    QString findNameQueryPlan() const;

private:
    friend class ContactField;
    using Values = std::array<QVariant, fieldCount>;
    struct Row {
        qint64 rowid = 0;
        Values values;
    };

    void setState(DataSetState state);
    void changeView(const std::function<void()>& change);
    void requireActive() const;
    std::optional<int> groupFilter() const;
    QString viewCondition() const;
    static std::optional<int> parseGroupFilter(const QString& filter);
    QString selectSql(const QString& keyCondition, bool descending) const;
    QString viewSql(const QString& columnsWanted, const QString& order) const;
    std::optional<Row> fetchFirst();
    std::optional<Row> fetchBeside(const Row& row, bool after);
    Row loadByRowid(qint64 rowid);
    // The name index's own search: the name as stored, A to Z folded.
    bool findStoredName(const QString& name);
    static Row readRow(const Statement& statement);
    QString findNameSql() const;
    const QVariant& value(int index) const;
    void setValue(int index, const QVariant& value);

    TDataModule2& m_dataModule;
    DataSetState m_state = dsInactive;
    std::optional<Row> m_current; // empty when the view is empty
    Values m_working;
    bool m_modified = false;
    bool m_eof = true;
    bool m_nameOrder = false;
    QString m_filter;
    bool m_filtered = false;
};

} // namespace corvane
