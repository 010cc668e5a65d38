#pragma once
// Reading a query's rows from PostgreSQL straight through libpq: the whole result in one
// exchange, each value appended to its column from the server's text, as the SQLite path does
// from SQLite's (Qt's driver fetches row by row and makes a QVariant of every value).
#include "columnstore.h"

#include <QSqlDatabase>
#include <QVariantList>
#include <vector>

namespace ServerRows {

// False (columns left empty) when the connection is not PostgreSQL or a value cannot be sent
// here; throws DataError when the server refuses the query.
bool read(const QSqlDatabase& db, const QString& sql, const QVariantList& binds,
          std::vector<StoredColumn>& columns, const std::vector<bool>& wanted);

// The query with "?" placeholders numbered as PostgreSQL writes them ($1, $2, ...), leaving
// quoted texts and names alone.
QString numbered(const QString& sql);

} // namespace ServerRows
