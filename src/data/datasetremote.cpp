// Rows that another program changed, taken into the rows in memory one at a time: what a
// re-read would show for them, without reading the rest, the cursor and a pending row kept.
#include "dataset.h"

#include "database.h"
#include "rowloader.h"
#include "sqldialect.h"

#include <algorithm>

std::vector<StoredColumn> Dataset::emptyColumns() const {
    std::vector<StoredColumn> read;
    for (const StoredColumn& c : m_columns)
        read.emplace_back(c.name(), c.type());
    return read;
}

QVariant Dataset::storedValue(const QVariant& key, const QString& column) const {
    const int c = columnIndex(column);
    if (!isActive() || m_keyIndex < 0 || c < 0)
        return {};
    const size_t at = keyPlace(key.toLongLong());
    if (at >= m_columns[size_t(m_keyIndex)].size() ||
        keyValueAt(int(at)).toLongLong() != key.toLongLong())
        return {};
    return m_columns[size_t(c)].get(at);
}

// A detail that reads only its master row's rows holds a row of another master row nowhere.
bool Dataset::belongsToMaster(const std::vector<StoredColumn>& read) const {
    if (!m_master || m_held)
        return true;
    for (size_t i = 0; i < size_t(m_detailFields.size()) && i < m_masterKey.size(); ++i) {
        const int c = columnIndex(m_detailFields[int(i)]);
        if (c < 0 || m_masterKey[i].isNull() ||
            read[size_t(c)].get(0) != FieldValues::normalize(m_columns[size_t(c)].type(),
                                                             m_masterKey[i],
                                                             m_detailFields[int(i)]))
            return false;
    }
    return true;
}

void Dataset::applyStoredRow(const QVariant& keyValue) {
    if (!isActive() || m_table.isEmpty() || m_keyIndex < 0)
        return;
    const qlonglong key = keyValue.toLongLong();
    const bool editing = m_state == DatasetState::Edit;
    const qlonglong editedKey = editing ? keyValueAt(m_edit.row()).toLongLong() : 0;
    if (editing && editedKey == key) {
        m_deferredKeys.push_back(keyValue);
        return;
    }
    std::vector<StoredColumn> one = emptyColumns();
    RowLoader(m_db).read(selectSql(false, true), {key}, one, wantedColumns());
    const bool found = one[size_t(m_keyIndex)].size() != 0 && belongsToMaster(one);
    const size_t at = keyPlace(key);
    const bool held =
        at < m_columns[size_t(m_keyIndex)].size() && keyValueAt(int(at)).toLongLong() == key;
    if (!found && !held)
        return;
    const std::optional<QVariant> current = currentKey();
    const int position = m_pos;
    if (found)
        mergeRow(one, 0);
    else
        eraseStorageRow(int(at));
    if (editing)
        m_edit.setRow(int(keyPlace(editedKey)));
    invalidateLookupIndex();
    m_memo.clear();
    showChangedRows(current, -1, position);
}

// The query's rows for one value of a column: those held are replaced in place, those gone
// are dropped and new ones join after them.
void Dataset::applyStoredRows(const QString& columnName, const QVariant& value) {
    const int column = columnIndex(columnName);
    if (!isActive() || !m_table.isEmpty() || column < 0 || value.isNull())
        return;
    std::vector<StoredColumn> read = emptyColumns();
    QVariantList binds = m_params;
    binds << value;
    RowLoader(m_db).read(
        QStringLiteral("SELECT * FROM (%1) q WHERE q.%2 = %3")
            .arg(m_sql, m_db.quoted(columnName), SqlDialect::exactValue(m_db.connection(), value)),
        binds, read, wantedColumns());
    int current = currentStorageRow();
    const int position = m_pos;
    replaceGroup(column, value, read, current);
    invalidateLookupIndex();
    m_memo.clear();
    showChangedRows(std::nullopt, current, position);
}

void Dataset::replaceGroup(int column, const QVariant& value, const std::vector<StoredColumn>& read,
                           int& current) {
    const QVariant wanted = FieldValues::normalize(m_columns[size_t(column)].type(), value,
                                                   m_columns[size_t(column)].name());
    std::vector<int> held;
    const int rows = m_columns.empty() ? 0 : int(m_columns.front().size());
    for (int r = 0; r < rows; ++r)
        if (columnValue(r, column) == wanted)
            held.push_back(r);
    const size_t fresh = read.empty() ? 0 : read.front().size();
    for (size_t i = 0; i < std::min(held.size(), fresh); ++i)
        for (size_t c = 0; c < m_columns.size(); ++c)
            m_columns[c].set(size_t(held[i]), read[c].get(i));
    for (size_t i = held.size(); i-- > fresh;) {
        eraseStorageRow(held[i]);
        current = current == held[i] ? -1 : current - (current > held[i] ? 1 : 0);
    }
    size_t at = held.empty() ? size_t(rows) : size_t(held.back()) + 1;
    for (size_t i = held.size(); i < fresh; ++i, ++at) {
        for (size_t c = 0; c < m_columns.size(); ++c)
            m_columns[c].insert(at, read[c].get(i));
        current += current >= int(at) ? 1 : 0;
    }
    m_orders.clear();
}

// The rows shown again with the cursor on the row it stood on (by key, or by storage row),
// else at the same place.
void Dataset::showChangedRows(const std::optional<QVariant>& key, int storageRow, int position) {
    rebuildView();
    int found = -1;
    if (key && !key->isNull())
        found = findKey(*key);
    else if (storageRow >= 0)
        found = int(std::find(m_view.begin(), m_view.end(), storageRow) - m_view.begin());
    if (found < 0 || found >= int(m_view.size()))
        found = m_view.empty() ? -1 : std::clamp(position, 0, int(m_view.size()) - 1);
    m_pos = found;
    m_eof = m_view.empty();
    notifyReset();
    notifyCurrent();
}

void Dataset::applyDeferredRows() {
    const std::vector<QVariant> keys = std::exchange(m_deferredKeys, {});
    for (const QVariant& key : keys)
        applyStoredRow(key);
}
