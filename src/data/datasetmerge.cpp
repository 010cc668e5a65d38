// A held dataset's master row read again and merged, by key, into the rows in memory.
#include "dataset.h"

#include "rowloader.h"

#include <algorithm>

// The master row's rows as the store holds them now, merged into the held rows by key: a row
// changed elsewhere takes the new values, a new one joins, and one that is no longer the
// master row's is read again by its key, or goes when the store no longer has it.
void Dataset::refreshLinkedRows() {
    m_masterKey = masterValues();
    std::vector<std::pair<int, QVariant>> link;
    if (!linkTest(link))
        return;
    auto fresh = [this] {
        std::vector<StoredColumn> read;
        for (const StoredColumn& c : m_columns)
            read.emplace_back(c.name(), c.type());
        return read;
    };
    std::vector<StoredColumn> read = fresh();
    RowLoader loader(m_db);
    loader.read(selectSql(true), readBinds(true), read, wantedColumns());
    std::vector<qlonglong> gone; // held for the master row before, not read now
    const StoredColumn& keys = read[size_t(m_keyIndex)];
    std::vector<qlonglong> readKeys;
    for (size_t r = 0; r < keys.size(); ++r)
        readKeys.push_back(keys.get(r).toLongLong());
    std::sort(readKeys.begin(), readKeys.end());
    const int rows = int(m_columns[size_t(m_keyIndex)].size());
    for (int r = 0; r < rows; ++r) {
        const qlonglong key = keyValueAt(r).toLongLong();
        if (passesLink(r, link) && !std::binary_search(readKeys.begin(), readKeys.end(), key))
            gone.push_back(key);
    }
    for (size_t r = 0; r < keys.size(); ++r)
        mergeRow(read, r);
    for (const qlonglong key : gone) {
        std::vector<StoredColumn> one = fresh();
        loader.read(selectSql(false, true), {key}, one, wantedColumns());
        if (one.front().size() != 0)
            mergeRow(one, 0);
        else if (const size_t at = keyPlace(key); at < m_columns[size_t(m_keyIndex)].size() &&
                                                  keyValueAt(int(at)).toLongLong() == key)
            eraseStorageRow(int(at));
    }
    invalidateLookupIndex();
    m_memo.clear();
}

// Held rows stay in key order: the first row whose key is not less than this one.
size_t Dataset::keyPlace(qlonglong key) const {
    const StoredColumn& keys = m_columns[size_t(m_keyIndex)];
    size_t lo = 0, hi = keys.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (keys.get(mid).toLongLong() < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// One row as read from the store, into the held rows.
void Dataset::mergeRow(const std::vector<StoredColumn>& read, size_t readRow) {
    const qlonglong key = read[size_t(m_keyIndex)].get(readRow).toLongLong();
    const size_t at = keyPlace(key);
    if (at == m_columns[size_t(m_keyIndex)].size()) { // the newest row: the orders take it
        for (size_t c = 0; c < m_columns.size(); ++c)
            m_columns[c].append(read[c].get(readRow));
        m_orders.rowAppended(m_columns, int(at));
        return;
    }
    if (keyValueAt(int(at)).toLongLong() != key) {
        for (size_t c = 0; c < m_columns.size(); ++c)
            m_columns[c].insert(at, read[c].get(readRow));
        m_orders.clear(); // the rows after it moved
        return;
    }
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].sameAs(at, read[c], readRow))
            continue;
        m_columns[c].set(at, read[c].get(readRow));
        m_orders.valueChanged(m_columns, int(c), int(at));
    }
}

void Dataset::eraseStorageRow(int storageRow) {
    for (StoredColumn& c : m_columns)
        c.erase(size_t(storageRow));
    m_orders.rowErased(storageRow);
}
