#include "keptorders.h"

#include <algorithm>
#include <numeric>

namespace {

std::vector<int> sorted(const StoredColumn& c) {
    std::vector<int> rows(c.size());
    std::iota(rows.begin(), rows.end(), 0);
    c.sortRows(rows);
    return rows;
}

} // namespace

const std::vector<int>& KeptOrders::order(const std::vector<StoredColumn>& columns, int column) {
    for (const Order& o : m_orders)
        if (o.column == column)
            return o.rows;
    m_orders.push_back({column, sorted(columns[size_t(column)])});
    return m_orders.back().rows;
}

// Binary search for the row's place among the others: by value, then by storage row.
void KeptOrders::place(Order& order, const StoredColumn& column, int row) {
    auto at = std::lower_bound(order.rows.begin(), order.rows.end(), row, [&column](int a, int b) {
        const int c = column.compare(size_t(a), size_t(b));
        return c != 0 ? c < 0 : a < b;
    });
    order.rows.insert(at, row);
}

void KeptOrders::valueChanged(const std::vector<StoredColumn>& columns, int column, int row) {
    for (Order& o : m_orders) {
        if (o.column != column)
            continue;
        o.rows.erase(std::find(o.rows.begin(), o.rows.end(), row));
        place(o, columns[size_t(column)], row);
    }
}

void KeptOrders::rowAppended(const std::vector<StoredColumn>& columns, int row) {
    for (Order& o : m_orders)
        place(o, columns[size_t(o.column)], row);
}

void KeptOrders::rowErased(int row) {
    for (Order& o : m_orders) {
        o.rows.erase(std::find(o.rows.begin(), o.rows.end(), row));
        for (int& r : o.rows)
            if (r > row)
                --r;
    }
}
