#pragma once
// The pending row of a dataset that is being edited or inserted: a value per stored column
// with a mark for the ones changed, and the values of fields read on demand (memo texts),
// known only once read or written.
#include "columnstore.h"

#include <QVariant>
#include <vector>

class EditBuffer {
public:
    // A new row: every column empty and unchanged, every on-demand field known to be empty.
    void startInsert(size_t columns, size_t fields);
    // A stored row: its column values, nothing changed, on-demand fields not yet read.
    void startEdit(const std::vector<StoredColumn>& columns, int storageRow, size_t fields);
    void clear();

    // The storage row being edited; -1 for a new row.
    int row() const { return m_row; }
    // The edited row moved in the storage (rows before it came or went).
    void setRow(int storageRow) { m_row = storageRow; }
    // The value the column held when the edit began.
    const QVariant& original(size_t c) const { return m_originals[c]; }

    const QVariant& column(size_t c) const { return m_columns[c]; }
    bool columnChanged(size_t c) const { return m_changed[c]; }
    void setColumn(size_t c, const QVariant& value);

    bool fieldKnown(size_t f) const { return m_fieldKnown[f]; }
    bool fieldWritten(size_t f) const { return m_fieldWritten[f]; }
    const QVariant& field(size_t f) const { return m_fields[f]; }
    void setField(size_t f, const QVariant& value);

private:
    int m_row = -1;
    std::vector<QVariant> m_columns;
    std::vector<QVariant> m_originals;
    std::vector<bool> m_changed;
    std::vector<QVariant> m_fields;
    std::vector<bool> m_fieldKnown;
    std::vector<bool> m_fieldWritten;
};
