#include "rowloader.h"

#include "database.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>
#include <sqlite3.h>

namespace {

// The value Qt's SQLite driver yields for a column of the current row.
QVariant driverValue(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, i);
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)),
                          sqlite3_column_bytes(st, i));
    default:
        return QString(static_cast<const QChar*>(sqlite3_column_text16(st, i)),
                       sqlite3_column_bytes16(st, i) / qsizetype(sizeof(QChar)));
    }
}

sqlite3* sqliteHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

bool bindAll(sqlite3_stmt* st, const QVariantList& binds) {
    for (int i = 0; i < int(binds.size()); ++i) {
        const QVariant& v = binds[i];
        int rc;
        if (v.isNull())
            rc = sqlite3_bind_null(st, i + 1);
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
            rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
        else if (v.typeId() == QMetaType::QString)
            rc = sqlite3_bind_text16(st, i + 1, v.toString().utf16(),
                                     int(v.toString().size() * sizeof(QChar)), SQLITE_TRANSIENT);
        else
            return false;
        if (rc != SQLITE_OK)
            return false;
    }
    return true;
}

// One value of the current row into its column, without a QVariant for the common cases.
void appendValue(sqlite3_stmt* st, int i, StoredColumn& c) {
    const int type = sqlite3_column_type(st, i);
    const FieldType ft = c.type();
    if (type == SQLITE_INTEGER && (ft == FieldType::Integer || ft == FieldType::AutoInc ||
                                   ft == FieldType::Currency || ft == FieldType::Boolean)) {
        c.appendStoredInteger(sqlite3_column_int64(st, i));
    } else if (type == SQLITE_TEXT &&
               (ft == FieldType::String || ft == FieldType::Memo || ft == FieldType::DateTime)) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        c.appendStoredText(text, sqlite3_column_bytes(st, i));
    } else {
        c.appendStored(driverValue(st, i));
    }
}

} // namespace

QSqlRecord RowLoader::columnsOf(const QString& sql, const QVariantList& binds) const {
    QSqlQuery probe(m_db.connection());
    probe.setForwardOnly(true);
    if (probe.prepare(QStringLiteral("SELECT * FROM (%1) AS probe LIMIT 0").arg(sql))) {
        for (const QVariant& v : binds)
            probe.addBindValue(v);
        if (probe.exec())
            return probe.record();
    }
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        Database::raise(q.lastError());
    for (const QVariant& v : binds)
        q.addBindValue(v);
    Database::exec(q);
    return q.record();
}

void RowLoader::read(const QString& sql, const QVariantList& binds,
                     std::vector<StoredColumn>& columns, const std::vector<bool>& wanted) const {
    if (readSqlite(sql, binds, columns, wanted))
        return;
    for (StoredColumn& c : columns)
        c.clear();
    readQtSql(sql, binds, columns, wanted);
}

// Text is taken as the UTF-8 the register holds and decoded by Qt, not by SQLite. False
// (columns left partly filled) when the connection is not SQLite, a value cannot be bound
// here, or SQLite refuses: Qt SQL then reads, and reports any error.
bool RowLoader::readSqlite(const QString& sql, const QVariantList& binds,
                           std::vector<StoredColumn>& columns,
                           const std::vector<bool>& wanted) const {
    sqlite3* h = sqliteHandle(m_db.connection());
    if (!h)
        return false;
    sqlite3_stmt* st = nullptr;
    const void* tail = nullptr;
    const int prepared =
        sqlite3_prepare16_v2(h, sql.utf16(), int(sql.size() * sizeof(QChar)), &st, &tail);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    // Qt SQL refuses a second statement after the first; so does this path, by leaving it.
    const qsizetype used =
        tail ? static_cast<const char16_t*>(tail) - reinterpret_cast<const char16_t*>(sql.utf16())
             : sql.size();
    if (prepared != SQLITE_OK || !st || !QStringView(sql).mid(used).trimmed().isEmpty())
        return false;
    const int n = int(columns.size());
    if (sqlite3_column_count(st) != n || sqlite3_bind_parameter_count(st) != int(binds.size()) ||
        !bindAll(st, binds))
        return false;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        for (int i = 0; i < n; ++i) {
            if (wanted[size_t(i)])
                appendValue(st, i, columns[size_t(i)]);
            else
                columns[size_t(i)].appendStored(QVariant());
        }
    return rc == SQLITE_DONE;
}

void RowLoader::readQtSql(const QString& sql, const QVariantList& binds,
                          std::vector<StoredColumn>& columns,
                          const std::vector<bool>& wanted) const {
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        Database::raise(q.lastError());
    for (const QVariant& v : binds)
        q.addBindValue(v);
    Database::exec(q);
    const int n = int(columns.size());
    while (q.next())
        for (int i = 0; i < n; ++i)
            columns[size_t(i)].appendStored(wanted[size_t(i)] ? q.value(i) : QVariant());
}
