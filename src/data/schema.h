#pragma once
// The register's tables, views and fixed rows.
#include <QSqlDatabase>
#include <QStringList>

namespace Schema {

// The eleven contract types, in the order the editor lists them.
const QStringList& contractTypes();
// Names every register must hold: the seven tables and the six views.
const QStringList& requiredTables();
const QStringList& requiredViews();

// Creates every table, index and view and the contract types in an empty database.
void create(QSqlDatabase& db);

} // namespace Schema
