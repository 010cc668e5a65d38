#pragma once
// Rows kept column by column in eight-byte cells, with text pooled per column, so that a
// register of a hundred thousand contracts and a million instalments fits in memory.
#include "fieldtypes.h"

#include <QHash>
#include <QVariant>
#include <cstdint>
#include <vector>

class StoredColumn {
public:
    StoredColumn(QString name, FieldType type) : m_name(std::move(name)), m_type(type) {}

    const QString& name() const { return m_name; }
    FieldType type() const { return m_type; }

    void reserve(size_t rows);
    void clear();
    // Appends a canonical value (see FieldValues::normalize).
    void append(const QVariant& value);
    // Appends a raw store value, converting on the way (the bulk-load path).
    void appendStored(const QVariant& stored);
    // The same for the common cases, without a QVariant: a store integer in an integer,
    // currency or boolean column, and store text in a text or date column.
    void appendStoredInteger(int64_t stored);
    void appendStoredText(const char* utf8, qsizetype bytes);
    // One key per row that orders the rows as compare() does, for text columns (whose
    // comparisons are costly); empty for the other types.
    std::vector<uint32_t> sortKeys() const;
    // Storage rows put in this column's order, equal values keeping their order.
    void sortRows(std::vector<int>& rows) const;
    void set(size_t row, const QVariant& value);
    // A row put in before this one; the rows from here on move down by one.
    void insert(size_t row, const QVariant& value);
    void erase(size_t row);
    // Whether this row holds what the other column's row holds (both of this column's type).
    bool sameAs(size_t row, const StoredColumn& other, size_t otherRow) const;
    QVariant get(size_t row) const;
    bool isNull(size_t row) const { return m_null[row] != 0; }
    // Fast comparison for sorting without building QVariants.
    int compare(size_t a, size_t b) const;
    size_t size() const { return m_cells.size(); }
    // Ends a bulk load: the interning table is only needed while loading.
    void finishLoad() {
        m_intern = QHash<QString, int64_t>();
        m_internUtf8 = QHash<QByteArray, int64_t>();
    }

private:
    int64_t encode(const QVariant& value);
    int64_t internText(const QString& text);

    QString m_name;
    FieldType m_type;
    std::vector<int64_t> m_cells;
    std::vector<uint8_t> m_null;
    std::vector<QString> m_pool;
    QHash<QString, int64_t> m_intern;
    // The same while loading store text: looked up by its bytes, without making a QString.
    QHash<QByteArray, int64_t> m_internUtf8;
    size_t m_loadTexts = 0;
    bool m_pooling = true;
};
