#pragma once
// Long memo texts that a list does not hold: read from their table one row at a time, by key,
// and kept for the last row read.
#include "fieldtypes.h"

#include <QHash>
#include <QVariant>

class Database;

class MemoCache {
public:
    explicit MemoCache(Database& db) : m_db(db) {}

    void setSource(const QString& table, const QString& keyColumn) {
        m_table = table;
        m_keyColumn = keyColumn;
        clear();
    }
    const QString& table() const { return m_table; }
    const QString& keyColumn() const { return m_keyColumn; }

    // The column's value in the row with this key; null for a row that is gone. A failed read
    // throws DataError and is not kept, so that it is never taken for an empty text.
    QVariant value(const QVariant& key, int field, const QString& column, FieldType type);
    // The value as read, when it has been read for this key.
    bool known(const QVariant& key, int field, QVariant* value) const;
    // What a save wrote.
    void store(const QVariant& key, int field, const QVariant& value);
    void clear();

private:
    void switchTo(const QVariant& key);

    Database& m_db;
    QString m_table;
    QString m_keyColumn;
    QVariant m_key;
    QHash<int, QVariant> m_values; // field position -> value for m_key
};
