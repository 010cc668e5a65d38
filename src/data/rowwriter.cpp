#include "rowwriter.h"

#include "database.h"
#include "dataerror.h"
#include "sqldialect.h"

#include <QSqlQuery>
#include <QStringList>

namespace {

// Null-safe equality; empty text is stored as NULL, but another program may have written it
// as ''. SQLite's form binds the value twice; PostgreSQL cannot type a bare "? IS NULL".
QString sameAs(const RowWriter::Value& v, const QString& column, bool server) {
    if (v.text && !server)
        return QStringLiteral("COALESCE(%1, '') = COALESCE(?, '')").arg(column);
    if (v.text)
        return QStringLiteral("COALESCE(%1::text, '') = COALESCE(?::text, '')").arg(column);
    if (server)
        return QStringLiteral("%1 IS NOT DISTINCT FROM ?").arg(column);
    return QStringLiteral("(%1 = ? OR (%1 IS NULL AND ? IS NULL))").arg(column);
}

} // namespace

QVariant RowWriter::insert(const std::vector<Value>& values) {
    QStringList names, marks;
    for (const Value& v : values) {
        names << m_db.quoted(v.column);
        marks << QStringLiteral("?");
    }
    const QString table = m_db.quoted(m_table);
    const QString sql =
        (names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                         : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, names.join(u','), marks.join(u','))) +
        Database::returningKey(m_db.connection(), m_db.quoted(m_key));
    QSqlQuery q = m_db.prepare(sql);
    for (const Value& v : values)
        q.addBindValue(v.stored);
    return Database::insert(q);
}

void RowWriter::update(const QVariant& key, const std::vector<Value>& values,
                       const std::vector<Value>& expected) {
    if (values.empty())
        return;
    const bool server = m_db.onServer();
    QStringList sets, conditions{m_db.quoted(m_key) + QStringLiteral(" = ?")};
    for (const Value& v : values)
        sets << m_db.quoted(v.column) + QStringLiteral(" = ?");
    for (const Value& v : expected)
        conditions << sameAs(v, m_db.quoted(v.column), server);
    QSqlQuery q = m_db.prepare(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3")
            .arg(m_db.quoted(m_table), sets.join(u','), conditions.join(QStringLiteral(" AND "))));
    for (const Value& v : values)
        q.addBindValue(v.stored);
    q.addBindValue(key);
    for (const Value& v : expected) {
        q.addBindValue(v.stored);
        if (!v.text && !server)
            q.addBindValue(v.stored);
    }
    Database::exec(q);
    if (q.numRowsAffected() != 1)
        throw DataError(DataError::Category::Conflict,
                        QStringLiteral("该记录已被其他程序修改或删除，无法保存。"));
}

void RowWriter::remove(const QVariant& key) {
    QSqlQuery q = m_db.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                                   .arg(m_db.quoted(m_table), m_db.quoted(m_key)));
    q.addBindValue(key);
    Database::exec(q);
}
