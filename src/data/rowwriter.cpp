#include "rowwriter.h"

#include "database.h"
#include "dataerror.h"

#include <QSqlQuery>
#include <QStringList>

namespace {

QString quoted(const QString& name) {
    return u'"' + name + u'"';
}

// Null-safe equality in SQL that every store understands; empty text is stored as NULL, but
// another program may have written it as ''.
QString sameAs(const RowWriter::Value& v) {
    if (v.text)
        return QStringLiteral("COALESCE(%1, '') = COALESCE(?, '')").arg(quoted(v.column));
    return QStringLiteral("(%1 = ? OR (%1 IS NULL AND ? IS NULL))").arg(quoted(v.column));
}

} // namespace

QVariant RowWriter::insert(const std::vector<Value>& values) {
    QStringList names, marks;
    for (const Value& v : values) {
        names << quoted(v.column);
        marks << QStringLiteral("?");
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(quoted(m_table), names.join(u','), marks.join(u','));
    QSqlQuery q = m_db.prepare(sql);
    for (const Value& v : values)
        q.addBindValue(v.stored);
    Database::exec(q);
    return q.lastInsertId();
}

void RowWriter::update(const QVariant& key, const std::vector<Value>& values,
                       const std::vector<Value>& expected) {
    if (values.empty())
        return;
    QStringList sets, conditions{quoted(m_key) + QStringLiteral(" = ?")};
    for (const Value& v : values)
        sets << quoted(v.column) + QStringLiteral(" = ?");
    for (const Value& v : expected)
        conditions << sameAs(v);
    QSqlQuery q = m_db.prepare(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3")
            .arg(quoted(m_table), sets.join(u','), conditions.join(QStringLiteral(" AND "))));
    for (const Value& v : values)
        q.addBindValue(v.stored);
    q.addBindValue(key);
    for (const Value& v : expected) {
        q.addBindValue(v.stored);
        if (!v.text)
            q.addBindValue(v.stored);
    }
    Database::exec(q);
    if (q.numRowsAffected() != 1)
        throw DataError(DataError::Category::Conflict,
                        QStringLiteral("该记录已被其他程序修改或删除，无法保存。"));
}

void RowWriter::remove(const QVariant& key) {
    QSqlQuery q = m_db.prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoted(m_table), quoted(m_key)));
    q.addBindValue(key);
    Database::exec(q);
}
