#pragma once
// Fills a dataset's column storage from a query: straight from SQLite or from PostgreSQL's
// libpq, through Qt SQL otherwise. Every path converts values alike.
#include "columnstore.h"

#include <QSqlRecord>
#include <QVariantList>
#include <vector>

class Database;

class RowLoader {
public:
    explicit RowLoader(Database& db) : m_db(db) {}

    // The columns a query yields, learnt without computing its rows where the store allows it.
    QSqlRecord columnsOf(const QString& sql, const QVariantList& binds) const;
    // Appends every row of the query to the columns (which match the query's columns in
    // number and order). Columns not wanted stay empty: their values are read on demand.
    void read(const QString& sql, const QVariantList& binds, std::vector<StoredColumn>& columns,
              const std::vector<bool>& wanted) const;

private:
    bool readSqlite(const QString& sql, const QVariantList& binds,
                    std::vector<StoredColumn>& columns, const std::vector<bool>& wanted) const;
    void readQtSql(const QString& sql, const QVariantList& binds,
                   std::vector<StoredColumn>& columns, const std::vector<bool>& wanted) const;

    Database& m_db;
};
