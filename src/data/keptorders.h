#pragma once
// Orders of a dataset's stored rows by one column, kept as indexes: each is sorted once, then
// updated in place when one row changes, comes or goes, so that showing a change of one row
// never sorts the whole list again.
#include "columnstore.h"

#include <vector>

class KeptOrders {
public:
    // Storage rows ordered by the column, equal values in storage order.
    const std::vector<int>& order(const std::vector<StoredColumn>& columns, int column);
    void clear() { m_orders.clear(); }

    // The row's value in this column changed.
    void valueChanged(const std::vector<StoredColumn>& columns, int column, int row);
    // A row was added after every stored row.
    void rowAppended(const std::vector<StoredColumn>& columns, int row);
    // A row left the storage; the rows after it moved up by one.
    void rowErased(int row);

private:
    struct Order {
        int column;
        std::vector<int> rows;
    };
    static void place(Order& order, const StoredColumn& column, int row);

    std::vector<Order> m_orders;
};
