#include "contacts/contactsCursor.h"

#include "contacts/contactsDatabase.h"
#include "contacts/datamod.h"
#include "platform/error.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>
#include <sqlite3.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

enum FieldIndex { fName = 0, fId = 1, fServiceNumber = 2, fPassword = 3, fFirstGroup = 4 };

static_assert(contactColumns.size() == contactsCursor::fieldCount);
const QStringList fieldNames = contactColumnNames();
const QString columns = u"rowid, "_s + fieldNames.join(u", "_s);

// "?1, ?2, ..." for the fields, and "name = ?1, id = ?2, ..." for the fields.
QString placeholders() {
    QStringList marks;
    for (int i = 1; i <= contactsCursor::fieldCount; ++i) {
        marks.append(u'?' + QString::number(i));
    }
    return marks.join(u", "_s);
}
QString assignments() {
    QStringList pairs;
    for (int i = 0; i < contactsCursor::fieldCount; ++i) {
        pairs.append(fieldNames[i] + u" = ?"_s + QString::number(i + 1));
    }
    return pairs.join(u", "_s);
}
const QString insertSql =
    u"INSERT INTO contacts ("_s + fieldNames.join(u", "_s) + u") VALUES ("_s + placeholders() + u')';
const QString updateSql =
    u"UPDATE contacts SET "_s + assignments() + u" WHERE rowid = ?"_s + QString::number(contactsCursor::fieldCount + 1);

bool isGroupField(int index) {
    return index >= fFirstGroup;
}
bool isTextField(int index) {
    return index == fName || index == fId || index == fPassword;
}

Error notEditing() {
    return Error(u"Dataset not in edit or insert mode"_s);
}

} // namespace

// ---- ContactField ----

QString ContactField::FieldName() const {
    return fieldNames[m_index];
}

bool ContactField::IsNull() const {
    return m_cursor.value(m_index).isNull();
}

QString ContactField::AsString() const {
    const QVariant& v = m_cursor.value(m_index);
    if (v.isNull()) {
        return QString();
    }
    if (isGroupField(m_index)) {
        return v.toLongLong() != 0 ? u"True"_s : u"False"_s;
    }
    return v.toString();
}

int ContactField::AsInteger() const {
    const QVariant& v = m_cursor.value(m_index);
    if (v.isNull()) {
        return 0;
    }
    if (v.typeId() != QMetaType::QString) {
        // A stored number beyond 32 bits is held at the nearest end of the range, so it can never
        // come out as a small number (such as a service number) that it is not.
        return static_cast<int>(
            std::clamp<qlonglong>(v.toLongLong(), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    bool ok = false;
    const int n = v.toString().toInt(&ok);
    if (!ok) {
        throw Error(u"'%1' is not a valid integer value for field '%2'"_s.arg(v.toString(), FieldName()));
    }
    return n;
}

bool ContactField::AsBoolean() const {
    const QVariant& v = m_cursor.value(m_index);
    if (v.isNull()) {
        return false;
    }
    if (v.typeId() != QMetaType::QString) {
        return v.toLongLong() != 0;
    }
    const QString text = v.toString();
    if (text.compare(u"True"_s, Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(u"False"_s, Qt::CaseInsensitive) == 0) {
        return false;
    }
    throw Error(u"'%1' is not a valid boolean value for field '%2'"_s.arg(text, FieldName()));
}

void ContactField::setAsString(const QString& value) {
    if (isTextField(m_index)) {
        m_cursor.setValue(m_index, value);
        return;
    }
    if (value.isEmpty()) {
        m_cursor.setValue(m_index, QVariant());
        return;
    }
    if (isGroupField(m_index)) {
        if (value.compare(u"True"_s, Qt::CaseInsensitive) == 0 || value.compare(u"False"_s, Qt::CaseInsensitive) == 0) {
            setAsBoolean(value.compare(u"True"_s, Qt::CaseInsensitive) == 0);
            return;
        }
        throw Error(u"'%1' is not a valid boolean value for field '%2'"_s.arg(value, FieldName()));
    }
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok) {
        throw Error(u"'%1' is not a valid integer value for field '%2'"_s.arg(value, FieldName()));
    }
    setAsInteger(n);
}

void ContactField::setAsInteger(int value) {
    if (isTextField(m_index)) {
        m_cursor.setValue(m_index, QString::number(value));
    } else if (isGroupField(m_index)) {
        m_cursor.setValue(m_index, qlonglong(value != 0 ? 1 : 0));
    } else {
        m_cursor.setValue(m_index, qlonglong(value));
    }
}

void ContactField::setAsBoolean(bool value) {
    if (isTextField(m_index)) {
        m_cursor.setValue(m_index, value ? u"True"_s : u"False"_s);
    } else {
        m_cursor.setValue(m_index, qlonglong(value ? 1 : 0));
    }
}

void ContactField::Clear() {
    m_cursor.setValue(m_index, QVariant());
}

// ---- contactsCursor ----

contactsCursor::contactsCursor(TDataModule2& dataModule)
    : m_dataModule(dataModule) {}

contactsCursor::~contactsCursor() = default;

void contactsCursor::setState(DataSetState state) {
    if (state == m_state) {
        return;
    }
    m_state = state;
    if (OnStateChange) {
        OnStateChange(*this);
    }
}

void contactsCursor::requireActive() const {
    if (m_state == dsInactive) {
        throw Error(u"Cannot perform this operation on a closed dataset"_s);
    }
}

void contactsCursor::Open() {
    if (m_state != dsInactive) {
        return;
    }
    m_dataModule.database(); // throws when the table cannot be opened; the cursor stays closed
    m_current = fetchFirst();
    m_eof = !m_current;
    m_modified = false;
    setState(dsBrowse);
}

void contactsCursor::Close() {
    if (m_state == dsInactive) {
        return;
    }
    m_current.reset();
    m_working = {};
    m_modified = false;
    m_eof = true;
    setState(dsInactive);
}

void contactsCursor::First() {
    requireActive();
    CheckBrowseMode();
    m_current = fetchFirst();
    m_eof = !m_current;
}

void contactsCursor::Next() {
    requireActive();
    CheckBrowseMode();
    if (!m_current) {
        m_eof = true;
        return;
    }
    if (auto next = fetchBeside(*m_current, true)) {
        m_current = std::move(next);
        m_eof = false;
    } else {
        m_eof = true;
    }
}

int contactsCursor::RecordCount() {
    if (m_state == dsInactive) {
        return 0;
    }
    const QString condition = viewCondition();
    const StatementUse count = m_dataModule.database().prepare(
        u"SELECT count(*) FROM contacts"_s + (condition.isEmpty() ? QString() : u" WHERE "_s + condition));
    count->step();
    return static_cast<int>(count->columnInt64(0));
}

bool contactsCursor::currentInView() {
    if (m_state == dsInactive || !m_current) {
        return false;
    }
    const QString condition = viewCondition();
    const StatementUse in = m_dataModule.database().prepare(u"SELECT count(*) FROM contacts WHERE rowid = ?1"_s +
                                                            (condition.isEmpty() ? QString() : u" AND "_s + condition));
    in->bind(1, m_current->rowid);
    in->step();
    return in->columnInt64(0) > 0;
}

int contactsCursor::positionInView() {
    if (m_state == dsInactive || !m_current) {
        return -1;
    }
    QStringList conditions{m_nameOrder ? u"(name, rowid) < (?1, ?2)"_s : u"rowid < ?2"_s};
    if (const QString view = viewCondition(); !view.isEmpty()) {
        conditions.append(view);
    }
    const StatementUse before =
        m_dataModule.database().prepare(u"SELECT count(*) FROM contacts WHERE "_s + conditions.join(u" AND "_s));
    if (m_nameOrder) {
        before->bind(1, m_current->values[fName].isNull() ? QVariant(QString()) : m_current->values[fName]);
    }
    before->bind(2, m_current->rowid);
    before->step();
    return static_cast<int>(before->columnInt64(0));
}

ContactField contactsCursor::FieldByName(const QString& fieldName) {
    for (int i = 0; i < fieldCount; ++i) {
        if (fieldNames[i].compare(fieldName, Qt::CaseInsensitive) == 0) {
            return ContactField(*this, i);
        }
    }
    throw Error(u"Field '%1' not found"_s.arg(fieldName));
}

const QVariant& contactsCursor::value(int index) const {
    static const QVariant null;
    if (m_state == dsEdit || m_state == dsInsert) {
        return m_working[index];
    }
    return m_current ? m_current->values[index] : null;
}

void contactsCursor::setValue(int index, const QVariant& value) {
    if (m_state != dsEdit && m_state != dsInsert) {
        throw notEditing();
    }
    m_working[index] = value;
    m_modified = true;
}

void contactsCursor::Insert() {
    requireActive();
    CheckBrowseMode();
    m_working = {};
    m_modified = false;
    setState(dsInsert);
}

void contactsCursor::Edit() {
    requireActive();
    if (m_state == dsEdit || m_state == dsInsert) {
        return;
    }
    if (!m_current) {
        Insert(); // nothing to change in an empty view: compose a new contact instead
        return;
    }
    m_working = m_current->values;
    m_modified = false;
    setState(dsEdit);
}

void contactsCursor::Post() {
    if (m_state != dsEdit && m_state != dsInsert) {
        throw notEditing();
    }
    if (BeforePost) {
        BeforePost(*this);
    }
    Values values = m_working;
    if (values[fName].isNull()) {
        values[fName] = QString(); // a name is never NULL, so name order and uniqueness hold for every row
    }
    ContactsDatabase& db = m_dataModule.database();
    const bool inserting = m_state == dsInsert;
    const QString name = values[fName].toString();
    // The name index keeps names unique with A to Z folded; a name the same but for the case of
    // other letters is looked for here, with the table held for writing from the look to the write
    // (unless the caller holds it already, as an import does).
    const bool ownTransaction = sqlite3_get_autocommit(db.handle()) != 0;
    if (ownTransaction) {
        db.beginImmediate();
    }
    qint64 rowid = 0;
    try {
        if (db.storedNameFoldedAs(name, inserting ? 0 : m_current->rowid)) {
            throw KeyViolationError();
        }
        const StatementUse write = inserting ? db.prepare(insertSql) : db.prepare(updateSql);
        for (int i = 0; i < fieldCount; ++i) {
            write->bind(i + 1, values[i]);
        }
        if (!inserting) {
            write->bind(fieldCount + 1, m_current->rowid);
        }
        try {
            write->step();
        } catch (const Error&) {
            const int code = write->lastErrorCode();
            if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) {
                throw KeyViolationError();
            }
            throw;
        }
        rowid = inserting ? sqlite3_last_insert_rowid(db.handle()) : m_current->rowid;
        if (ownTransaction) {
            db.exec(u"COMMIT"_s);
        }
    } catch (...) {
        if (ownTransaction && sqlite3_get_autocommit(db.handle()) == 0) {
            db.exec(u"ROLLBACK"_s);
        }
        throw;
    }
    db.noteNameStored(rowid, name, inserting ? QString() : m_current->values[fName].toString());
    m_current = loadByRowid(rowid);
    m_eof = false;
    m_working = {};
    m_modified = false;
    setState(dsBrowse);
}

void contactsCursor::Cancel() {
    if (m_state != dsEdit && m_state != dsInsert) {
        return;
    }
    m_working = {};
    m_modified = false;
    setState(dsBrowse);
}

void contactsCursor::Delete() {
    requireActive();
    if (m_state == dsInsert) {
        Cancel();
        return;
    }
    if (!m_current) {
        throw Error(u"Cannot perform this operation on an empty dataset"_s);
    }
    const Row removed = *m_current;
    const StatementUse remove = m_dataModule.database().prepare(u"DELETE FROM contacts WHERE rowid = ?1"_s);
    remove->bind(1, removed.rowid);
    remove->step();
    m_dataModule.database().noteNameRemoved(removed.rowid, removed.values[fName].toString());
    m_working = {};
    m_modified = false;
    m_current = fetchBeside(removed, true);
    if (!m_current) {
        m_current = fetchBeside(removed, false);
    }
    m_eof = !m_current;
    setState(dsBrowse);
}

void contactsCursor::CheckBrowseMode() {
    if (m_state != dsEdit && m_state != dsInsert) {
        return;
    }
    if (m_modified) {
        Post();
    } else {
        Cancel();
    }
}

void contactsCursor::setIndexName(const QString& indexName) {
    bool nameOrder = false;
    if (indexName.compare(u"nameindex"_s, Qt::CaseInsensitive) == 0) {
        nameOrder = true;
    } else if (!indexName.isEmpty()) {
        throw Error(u"Index '%1' not found"_s.arg(indexName));
    }
    if (nameOrder == m_nameOrder) {
        return;
    }
    if (m_state != dsInactive) {
        CheckBrowseMode();
    }
    m_nameOrder = nameOrder; // the cursor stays on its contact, now in the other order
}

bool contactsCursor::findName(const QString& name) {
    requireActive();
    CheckBrowseMode();
    if (findStoredName(name)) {
        return true;
    }
    // The name as stored may differ in the case of letters the name index does not fold.
    const std::optional<QString> stored = m_dataModule.database().storedNameFoldedAs(name);
    return stored && findStoredName(*stored);
}

bool contactsCursor::findStoredName(const QString& name) {
    const StatementUse find = m_dataModule.database().prepare(findNameSql());
    find->bind(1, name);
    if (!find->step()) {
        return false;
    }
    m_current = readRow(*find);
    m_eof = false;
    return true;
}

QString contactsCursor::findNameQueryPlan() const {
    return m_dataModule.database().queryPlan(findNameSql());
}

QString contactsCursor::findNameSql() const {
    const QString condition = viewCondition();
    return u"SELECT "_s + columns + u" FROM contacts WHERE name = ?1"_s +
           (condition.isEmpty() ? QString() : u" AND "_s + condition) + u" LIMIT 1"_s;
}

void contactsCursor::setFilter(const QString& filter) {
    if (filter == m_filter) {
        return;
    }
    if (m_filtered) {
        parseGroupFilter(filter); // refuse a filter it cannot apply before changing anything
    }
    changeView([&] { m_filter = filter; });
}

void contactsCursor::setFiltered(bool filtered) {
    if (filtered == m_filtered) {
        return;
    }
    if (filtered) {
        parseGroupFilter(m_filter);
    }
    changeView([&] { m_filtered = filtered; });
}

// A pending edit is completed first (when that fails, nothing changes); then the cursor goes to
// the first contact of the new view.
void contactsCursor::changeView(const std::function<void()>& change) {
    if (m_state != dsInactive) {
        CheckBrowseMode();
    }
    change();
    if (m_state != dsInactive) {
        m_current = fetchFirst();
        m_eof = !m_current;
    }
}

// The one filter the program uses: "memberGr" + group number + "=true". An empty text filters nothing.
std::optional<int> contactsCursor::parseGroupFilter(const QString& filter) {
    if (filter.trimmed().isEmpty()) {
        return std::nullopt;
    }
    static const QRegularExpression pattern(u"^\\s*memberGr([1-9]|10)\\s*=\\s*true\\s*$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(filter);
    if (!match.hasMatch()) {
        throw Error(u"Filter expression incorrect: "_s + filter);
    }
    return match.captured(1).toInt();
}

std::optional<int> contactsCursor::groupFilter() const {
    return m_filtered ? parseGroupFilter(m_filter) : std::nullopt;
}

// The group number comes from the fixed pattern above, never from free text. A contact is shown as
// a member exactly when a group send reads its flag as true (ContactField::AsBoolean): a non-zero
// integer, or the text "True" in any case.
QString contactsCursor::viewCondition() const {
    const auto group = groupFilter();
    if (!group) {
        return QString();
    }
    const QString flag = u"memberGr%1"_s.arg(*group);
    return u"((typeof(%1) = 'integer' AND %1 <> 0) OR (typeof(%1) = 'text' AND upper(%1) = 'TRUE'))"_s.arg(flag);
}

QString contactsCursor::selectSql(const QString& keyCondition, bool descending) const {
    QStringList conditions;
    const QString view = viewCondition();
    if (!view.isEmpty()) {
        conditions.append(view);
    }
    if (!keyCondition.isEmpty()) {
        conditions.append(keyCondition);
    }
    const QString direction = descending ? u" DESC"_s : QString();
    const QString order =
        m_nameOrder ? QString(u"name"_s + direction + u", rowid"_s + direction) : QString(u"rowid"_s + direction);
    return u"SELECT "_s + columns + u" FROM contacts"_s +
           (conditions.isEmpty() ? QString() : u" WHERE "_s + conditions.join(u" AND "_s)) + u" ORDER BY "_s + order +
           u" LIMIT 1"_s;
}

QString contactsCursor::viewSql(const QString& columnsWanted, const QString& order) const {
    const QString view = viewCondition();
    return u"SELECT "_s + columnsWanted + u" FROM contacts"_s + (view.isEmpty() ? QString() : u" WHERE "_s + view) +
           (order.isEmpty() ? QString() : u" ORDER BY "_s + order);
}

QStringList contactsCursor::viewNames() {
    requireActive();
    CheckBrowseMode();
    // The name index holds every name in name order: read alone, it is read without the table.
    const StatementUse all = m_dataModule.database().prepare(viewSql(u"name"_s, u"name, rowid"_s));
    QStringList names;
    while (all->step()) {
        names.append(QString::fromUtf8(all->columnUtf8(0)));
    }
    return names;
}

void contactsCursor::readView(QStringList& names, QStringList& ids) {
    requireActive();
    CheckBrowseMode();
    names.clear();
    ids.clear();
    ContactsDatabase& db = m_dataModule.database();
    // Following the name index to the table for each ID costs a seek a contact. The index alone
    // gives the names and rows in name order, one pass over the table gives every row's ID in row
    // order, and the two are matched here. Both reads share one read transaction, so they see the
    // same table.
    const ReadTransaction together(db);
    std::vector<std::pair<qint64, QString>> idOfRow;
    {
        const StatementUse all = db.prepare(viewSql(u"rowid, id"_s, u"rowid"_s));
        while (all->step()) {
            QString id;
            if (all->columnIsTextOrInteger(1)) {
                id = QString::fromUtf8(all->columnUtf8(1));
            } else if (const QVariant other = all->column(1); !other.isNull()) {
                id = other.toString();
            }
            idOfRow.emplace_back(all->columnInt64(0), std::move(id));
        }
    }
    names.reserve(static_cast<qsizetype>(idOfRow.size()));
    ids.reserve(static_cast<qsizetype>(idOfRow.size()));
    const StatementUse ordered = db.prepare(viewSql(u"rowid, name"_s, m_nameOrder ? u"name, rowid"_s : u"rowid"_s));
    while (ordered->step()) {
        const qint64 rowid = ordered->columnInt64(0);
        const auto found = std::lower_bound(idOfRow.begin(), idOfRow.end(), rowid,
                                            [](const auto& entry, qint64 key) { return entry.first < key; });
        names.append(QString::fromUtf8(ordered->columnUtf8(1)));
        ids.append(found != idOfRow.end() && found->first == rowid ? std::move(found->second) : QString());
    }
}

std::optional<contactsCursor::Row> contactsCursor::fetchFirst() {
    const StatementUse first = m_dataModule.database().prepare(selectSql(QString(), false));
    if (!first->step()) {
        return std::nullopt;
    }
    return readRow(*first);
}

// The contact right after (or before) the given one in the cursor's order, found from its key.
std::optional<contactsCursor::Row> contactsCursor::fetchBeside(const Row& from, bool after) {
    const QString op = after ? u">"_s : u"<"_s;
    const QString key = m_nameOrder ? u"(name, rowid) "_s + op + u" (?1, ?2)"_s : u"rowid "_s + op + u" ?2"_s;
    const StatementUse beside = m_dataModule.database().prepare(selectSql(key, !after));
    if (m_nameOrder) {
        beside->bind(1, from.values[fName].isNull() ? QVariant(QString()) : from.values[fName]);
    }
    beside->bind(2, from.rowid);
    if (!beside->step()) {
        return std::nullopt;
    }
    return readRow(*beside);
}

contactsCursor::Row contactsCursor::readRow(const Statement& statement) {
    Row row;
    row.rowid = statement.columnInt64(0);
    for (int i = 0; i < fieldCount; ++i) {
        row.values[i] = statement.column(i + 1);
    }
    return row;
}

contactsCursor::Row contactsCursor::loadByRowid(qint64 rowid) {
    const StatementUse load =
        m_dataModule.database().prepare(u"SELECT "_s + columns + u" FROM contacts WHERE rowid = ?1"_s);
    load->bind(1, rowid);
    if (!load->step()) {
        throw Error(u"Record not found"_s);
    }
    return readRow(*load);
}

contactRecordType contactsCursor::currentRecord() {
    contactRecordType record;
    record.name = ContactField(*this, fName).AsString();
    record.id = ContactField(*this, fId).AsString();
    record.serviceNumber = ContactField(*this, fServiceNumber).AsInteger();
    record.password = ContactField(*this, fPassword).AsString();
    for (int g = 1; g <= groupCount; ++g) {
        record.memberGr[g] = ContactField(*this, fFirstGroup + g - 1).AsBoolean();
    }
    return record;
}

} // namespace corvane
