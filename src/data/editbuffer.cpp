#include "editbuffer.h"

void EditBuffer::startInsert(size_t columns, size_t fields) {
    m_row = -1;
    m_columns.assign(columns, QVariant());
    m_originals.assign(columns, QVariant());
    m_changed.assign(columns, false);
    m_fields.assign(fields, QVariant());
    m_fieldKnown.assign(fields, true);
    m_fieldWritten.assign(fields, false);
}

void EditBuffer::startEdit(const std::vector<StoredColumn>& columns, int storageRow,
                           size_t fields) {
    m_row = storageRow;
    m_columns.resize(columns.size());
    for (size_t c = 0; c < columns.size(); ++c)
        m_columns[c] = columns[c].get(size_t(storageRow));
    m_originals = m_columns;
    m_changed.assign(columns.size(), false);
    m_fields.assign(fields, QVariant());
    m_fieldKnown.assign(fields, false);
    m_fieldWritten.assign(fields, false);
}

void EditBuffer::clear() {
    m_row = -1;
    m_columns.clear();
    m_originals.clear();
    m_changed.clear();
    m_fields.clear();
    m_fieldKnown.clear();
    m_fieldWritten.clear();
}

void EditBuffer::setColumn(size_t c, const QVariant& value) {
    m_columns[c] = value;
    m_changed[c] = true;
}

void EditBuffer::setField(size_t f, const QVariant& value) {
    m_fields[f] = value;
    m_fieldKnown[f] = true;
    m_fieldWritten[f] = true;
}
