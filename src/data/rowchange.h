#pragma once
// What one write did to one row of a table: the row added, changed or removed, with the values
// of its columns before and after, for the rules that keep a record of changes.
#include "fieldtypes.h"

#include <QString>
#include <QVariant>
#include <vector>

struct RowChange {
    enum class Kind { Added, Changed, Removed };

    struct Value {
        QString column;
        FieldType type = FieldType::String;
        QVariant before; // canonical values of the type; null when empty
        QVariant after;
        bool differs() const {
            return FieldValues::toStore(type, before) != FieldValues::toStore(type, after);
        }
    };

    Kind kind = Kind::Changed;
    QString table;
    QString keyColumn;
    QVariant key;
    // Every stored column of the row; texts read one row at a time only when they were written
    // (and for a removal, always).
    std::vector<Value> values;

    // The key the store gave a new row.
    void setKey(const QVariant& newKey) {
        key = newKey;
        for (Value& v : values)
            if (v.column.compare(keyColumn, Qt::CaseInsensitive) == 0)
                v.after = newKey;
    }

    // The row's value of a column after the change, or before it for a removal; null when the
    // column is not listed.
    QVariant value(const QString& column) const {
        for (const Value& v : values)
            if (v.column.compare(column, Qt::CaseInsensitive) == 0)
                return kind == Kind::Removed ? v.before : v.after;
        return {};
    }
};
