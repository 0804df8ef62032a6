#include "contacts/contactsDatabase.h"

#include "platform/error.h"
#include "platform/systemError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

// The table and its name index. Names compare with NOCASE (A to Z folded, nothing else), and the
// same fold serves uniqueness, name order and the search by name.
QByteArray schema() {
    QStringList columns;
    for (const ContactColumn& column : contactColumns) {
        columns.append(QString::fromLatin1(column.name) + u' ' + QString::fromLatin1(column.type));
    }
    return (u"CREATE TABLE contacts (\n    "_s + columns.join(u",\n    "_s) +
            u"\n);\nCREATE UNIQUE INDEX nameindex ON contacts (name COLLATE NOCASE);\n"_s)
        .toUtf8();
}

QString errorText(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Another program's lock, after the wait: said in the operator's terms, with SQLite's own words.
// A lookup that meets another program's write was changing nothing: say what failed.
QString inUseText(bool reading, const QString& sqliteText) {
    return reading ? u"The contacts table is in use by another program and could not be read; try again (%1)"_s.arg(
                         sqliteText)
                   : u"The contacts table is in use by another program and could not be changed; try again (%1)"_s.arg(
                         sqliteText);
}

bool isMemberOf(gid_t group) {
    if (::getegid() == group) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

QString groupName(gid_t group) {
    const struct group* entry = ::getgrgid(group);
    return entry != nullptr ? QString::fromLocal8Bit(entry->gr_name) : QString::number(group);
}

// Why this user may not write the file or folder, if it may not. Where a group decides it (the
// package gives the table to the group corvane), that group is named, so that the operator knows
// whom to ask.
std::optional<QString> writeRefusal(const QString& path, const QString& shownAs) {
    const QByteArray native = QFile::encodeName(path);
    if (::euidaccess(native.constData(), W_OK) == 0) {
        return std::nullopt;
    }
    const int error = errno;
    struct stat status {};
    if (::stat(native.constData(), &status) == 0 && status.st_uid != ::geteuid() && (status.st_mode & S_IWGRP) != 0 &&
        (status.st_mode & S_IWOTH) == 0 && !isMemberOf(status.st_gid)) {
        return shownAs + u" is writable only by members of the group "_s + groupName(status.st_gid);
    }
    return shownAs + u" cannot be written ("_s + systemErrorText(error) + u')';
}

// The file itself, or the folder where the change's journal is made beside it.
QString whyNotWritable(sqlite3* db, const QString& sqliteText) {
    const char* file = sqlite3_db_filename(db, "main");
    const QString path = file != nullptr ? QFile::decodeName(file) : QString();
    if (auto refusal = writeRefusal(path, path)) {
        return *refusal;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (auto refusal = writeRefusal(folder, u"the folder "_s + folder)) {
        return *refusal;
    }
    return path + u" cannot be written ("_s + sqliteText + u')';
}

} // namespace

QStringList contactColumnNames() {
    QStringList names;
    for (const ContactColumn& column : contactColumns) {
        names.append(QString::fromLatin1(column.name));
    }
    return names;
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

Statement& Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    return *this;
}

Statement& Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        rc = sqlite3_bind_text16(m_stmt, index, text.utf16(), static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
    } else {
        rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
    }
    if (rc != SQLITE_OK) {
        throw Error(errorText(m_db));
    }
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        m_lastError = 0;
        return false;
    }
    m_lastError = sqlite3_extended_errcode(m_db);
    QString text = errorText(m_db);
    sqlite3_reset(m_stmt);
    const int primary = m_lastError & 0xff;
    if (primary == SQLITE_READONLY || (primary == SQLITE_CANTOPEN && sqlite3_stmt_readonly(m_stmt) == 0)) {
        throw TableNotWritableError(u"The contacts table cannot be changed: "_s + whyNotWritable(m_db, text));
    }
    if (primary == SQLITE_BUSY) {
        text = inUseText(sqlite3_stmt_readonly(m_stmt) != 0, text);
    }
    throw Error(text);
}

QVariant Statement::column(int index) const {
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(m_stmt, index)));
    default: {
        const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(m_stmt, index));
        const int bytes = sqlite3_column_bytes16(m_stmt, index);
        return QVariant(QString::fromUtf16(text, bytes / 2));
    }
    }
}

QByteArrayView Statement::columnUtf8(int index) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
    return text != nullptr ? QByteArrayView(text, sqlite3_column_bytes(m_stmt, index)) : QByteArrayView();
}

bool Statement::columnIsTextOrInteger(int index) const {
    const int type = sqlite3_column_type(m_stmt, index);
    return type == SQLITE_TEXT || type == SQLITE_INTEGER;
}

qint64 Statement::columnInt64(int index) const {
    return sqlite3_column_int64(m_stmt, index);
}

namespace {

// SQLite's rule for the type a column declares: TEXT affinity comes from CHAR, CLOB or TEXT in the
// name, unless INT comes first in the rule.
bool hasTextAffinity(const QString& declared) {
    const QString type = declared.toUpper();
    return !type.contains(u"INT"_s) &&
           (type.contains(u"CHAR"_s) || type.contains(u"CLOB"_s) || type.contains(u"TEXT"_s));
}

} // namespace

ContactsDatabase::ContactsDatabase(const QString& filePath)
    : m_filePath(filePath) {
    if (!QFileInfo(filePath).isFile()) {
        throw Error(u"Contacts table not found: "_s + filePath);
    }
    const int rc = sqlite3_open_v2(filePath.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = m_db != nullptr ? errorText(m_db) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw Error(u"Cannot open contacts table "_s + filePath + u": "_s + text);
    }
    sqlite3_extended_result_codes(m_db, 1);
    // The file this connection reads, for telling later whether the path still names it.
    struct stat opened {};
    if (::stat(QFile::encodeName(filePath).constData(), &opened) == 0) {
        m_device = opened.st_dev;
        m_inode = opened.st_ino;
    }
    // Another copy of the program may be writing; wait a moment rather than fail at once.
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    try {
        checkTable();
    } catch (const Error& e) {
        m_statements.clear();
        sqlite3_close(m_db);
        m_db = nullptr;
        throw Error(u"Cannot open contacts table "_s + filePath + u": "_s + e.text());
    }
}

// The program relies on every column and on the unique name index (uniqueness, name order and the
// search by name all come from it), so a table made by another tool is checked as a whole here,
// rather than failing, or worse storing duplicate names, later. The schema is never changed.
void ContactsDatabase::checkTable() {
    // Fails with SQLite's own text when the file is no database.
    QStringList missing;
    {
        QStringList columns;
        QStringList types;
        const StatementUse info = prepare(u"SELECT name, type FROM pragma_table_info('contacts')"_s);
        while (info->step()) {
            columns.append(info->column(0).toString());
            types.append(info->column(1).toString());
        }
        if (columns.isEmpty()) {
            throw Error(u"no table named contacts"_s);
        }
        // A column declared otherwise turns the text it is given into a number as it is stored: the
        // pager ID 0055501 would come back as 55501, a long one as 1.2e+19, and the wrong pager
        // would be paged. What is lost so cannot be read back, so such a table is not used.
        for (const char* textColumn : {"name", "id", "password"}) {
            const auto found = std::find_if(columns.begin(), columns.end(), [&](const QString& c) {
                return c.compare(QLatin1StringView(textColumn), Qt::CaseInsensitive) == 0;
            });
            const qsizetype at = found == columns.end() ? -1 : found - columns.begin();
            if (at >= 0 && !hasTextAffinity(types[at])) {
                throw Error(
                    u"the column %1 is declared %2; it must hold text (declare it TEXT), or values such "
                    u"as the pager ID 0055501 are stored as numbers"_s.arg(
                        QString::fromLatin1(textColumn), types[at].isEmpty() ? u"without a type"_s : types[at]));
            }
        }
        for (const char* required :
             {"name", "id", "serviceNumber", "password", "memberGr1", "memberGr2", "memberGr3", "memberGr4",
              "memberGr5", "memberGr6", "memberGr7", "memberGr8", "memberGr9", "memberGr10"}) {
            const QString column = QString::fromLatin1(required);
            if (!columns.contains(column, Qt::CaseInsensitive)) {
                missing.append(u"column "_s + column);
            }
        }
    }
    // A unique index whose only key is name, compared without regard to case.
    bool uniqueName = false;
    QStringList uniqueIndexes;
    {
        // A partial index keeps only some names unique, and gives no order to the others.
        const StatementUse list =
            prepare(u"SELECT name FROM pragma_index_list('contacts') WHERE \"unique\" = 1 AND partial = 0"_s);
        while (list->step()) {
            uniqueIndexes.append(list->column(0).toString());
        }
    }
    for (const QString& index : uniqueIndexes) {
        const StatementUse keys =
            prepare(u"SELECT name, coll FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno"_s);
        keys->bind(1, index);
        QStringList parts;
        while (keys->step()) {
            parts.append(keys->column(0).toString().toLower() + u' ' + keys->column(1).toString().toUpper());
        }
        uniqueName = uniqueName || parts == QStringList{u"name NOCASE"_s};
    }
    if (!uniqueName) {
        missing.append(u"unique index on name without regard to case (one that covers every row)"_s);
    }
    if (!missing.isEmpty()) {
        throw Error(u"the contacts table has no "_s + missing.join(u", no "_s));
    }
}

ContactsDatabase::~ContactsDatabase() {
    m_statements.clear();
    sqlite3_close(m_db);
}

std::optional<QByteArray> ContactsDatabase::changeStamp() const {
    // SQLite's own handle of the file: a second descriptor would do as well for reading, but
    // closing it would drop every lock this process holds on the file.
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || file == nullptr ||
        file->pMethods == nullptr) {
        return std::nullopt;
    }
    // Offsets 18 and 19: the write and read versions, 1 for a rollback journal, 2 for WAL. Then the
    // 16 bytes from offset 24 that SQLite itself compares to tell whether its cache still holds: the
    // change counter, the page count, the first freelist page and the freelist count. A copy put
    // over the file with an equal counter differs in one of the others.
    char header[22] = {};
    if (file->pMethods->xRead(file, header, sizeof header, 18) != SQLITE_OK || header[0] != 1 || header[1] != 1) {
        return std::nullopt;
    }
    return QByteArray(header + 6, 16);
}

namespace {

bool beyondAscii(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x7f; });
}

} // namespace

void ContactsDatabase::readFoldedNames() {
    m_folded.clear();
    const StatementUse all = prepare(u"SELECT rowid, name FROM contacts"_s);
    while (all->step()) {
        const QString name = all->column(1).toString();
        if (beyondAscii(name)) {
            m_folded.insert(name.toCaseFolded(), FoldedName{all->columnInt64(0), name});
        }
    }
}

std::optional<QString> ContactsDatabase::storedNameFoldedAs(const QString& name, qint64 exceptRow) {
    const QString key = name.toCaseFolded();
    {
        // A stored name of plain letters folds to plain letters: the name index finds it.
        const StatementUse plain = prepare(u"SELECT name FROM contacts WHERE name = ?1 AND rowid <> ?2 LIMIT 1"_s);
        plain->bind(1, key);
        plain->bind(2, exceptRow);
        if (plain->step()) {
            return plain->column(0).toString();
        }
    }
    const std::optional<QByteArray> stamp = changeStamp();
    if (!stamp || !m_foldedRead || stamp != m_foldedAt) {
        readFoldedNames();
        m_foldedAt = stamp;
        m_foldedRead = true;
    }
    for (auto it = m_folded.constFind(key); it != m_folded.constEnd() && it.key() == key; ++it) {
        if (it->rowid != exceptRow) {
            return it->name;
        }
    }
    return std::nullopt;
}

void ContactsDatabase::noteNameStored(qint64 rowid, const QString& name, const QString& oldName) {
    if (!oldName.isNull()) {
        noteNameRemoved(rowid, oldName);
    }
    if (m_foldedRead && beyondAscii(name)) {
        m_folded.insert(name.toCaseFolded(), FoldedName{rowid, name});
    }
}

void ContactsDatabase::noteNameRemoved(qint64 rowid, const QString& name) {
    const QString key = name.toCaseFolded();
    for (auto it = m_folded.find(key); it != m_folded.end() && it.key() == key;) {
        it = it->rowid == rowid ? m_folded.erase(it) : std::next(it);
    }
}

bool ContactsDatabase::stillAtItsPath() const {
    struct stat now {};
    return ::stat(QFile::encodeName(m_filePath).constData(), &now) == 0 && now.st_dev == m_device &&
           now.st_ino == m_inode;
}

StatementUse ContactsDatabase::prepare(const QString& sql) {
    auto found = m_statements.find(sql);
    if (found == m_statements.end()) {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), static_cast<int>(utf8.size()),
                                          SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        if (rc != SQLITE_OK) {
            // Preparing reads the table's layout, which another program's lock on the whole file keeps
            // from being read.
            throw Error((rc & 0xff) == SQLITE_BUSY ? inUseText(true, errorText(m_db)) : errorText(m_db));
        }
        found = m_statements.emplace(sql, std::make_unique<Statement>(m_db, stmt)).first;
    }
    return StatementUse(found->second->reset());
}

void ContactsDatabase::beginImmediate() {
    const StatementUse begin = prepare(u"BEGIN IMMEDIATE"_s);
    begin->step();
}

void ContactsDatabase::exec(const QString& sql) {
    if (sql.startsWith(u"ROLLBACK"_s)) {
        // What this connection noted of its own writes may be undone now.
        m_foldedRead = false;
    }
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message != nullptr ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        throw Error(text);
    }
}

QString ContactsDatabase::queryPlan(const QString& sql) {
    const StatementUse plan = prepare(u"EXPLAIN QUERY PLAN "_s + sql);
    QStringList steps;
    while (plan->step()) {
        steps.append(plan->column(3).toString());
    }
    return steps.join(u'\n');
}

ReadTransaction::ReadTransaction(ContactsDatabase& database)
    : m_db(database.handle()) {
    m_began = m_db != nullptr && sqlite3_get_autocommit(m_db) != 0 &&
              sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
}

ReadTransaction::~ReadTransaction() {
    if (m_began && sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void createEmptyContactsTable(const QString& filePath) {
    if (QFileInfo::exists(filePath)) {
        throw Error(u"Not overwriting the existing file "_s + filePath);
    }
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(filePath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* message = nullptr;
    if (rc != SQLITE_OK || sqlite3_exec(db, schema().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = message != nullptr ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(message);
        sqlite3_close(db);
        QFile::remove(filePath); // no half-made table left behind for the program to trip over
        throw Error(u"Cannot create "_s + filePath + u": "_s + text);
    }
    sqlite3_close(db);
}

} // namespace corvane
