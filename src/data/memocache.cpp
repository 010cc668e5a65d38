#include "memocache.h"

#include "database.h"
#include "sqldialect.h"

#include <QSqlError>
#include <QSqlQuery>

void MemoCache::switchTo(const QVariant& key) {
    if (key != m_key) {
        m_values.clear();
        m_key = key;
    }
}

QVariant MemoCache::value(const QVariant& key, int field, const QString& column, FieldType type) {
    switchTo(key);
    if (auto it = m_values.constFind(field); it != m_values.constEnd())
        return it.value();
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                       .arg(m_db.quoted(column), m_db.quoted(m_table), m_db.quoted(m_keyColumn))))
        Database::raise(q.lastError());
    q.addBindValue(key);
    Database::exec(q);
    const QVariant v = q.next() ? FieldValues::fromStore(type, q.value(0)) : QVariant();
    m_values.insert(field, v);
    return v;
}

bool MemoCache::known(const QVariant& key, int field, QVariant* value) const {
    if (key != m_key)
        return false;
    auto it = m_values.constFind(field);
    if (it == m_values.constEnd())
        return false;
    *value = it.value();
    return true;
}

void MemoCache::store(const QVariant& key, int field, const QVariant& value) {
    switchTo(key);
    m_values.insert(field, value);
}

void MemoCache::clear() {
    m_values.clear();
    m_key = QVariant();
}
