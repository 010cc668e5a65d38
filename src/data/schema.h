#pragma once
// The register's tables, views and fixed rows.
#include "fieldtypes.h"

#include <QSqlDatabase>
#include <QStringList>
#include <optional>

namespace Schema {

// The eleven contract types, in the order the editor lists them.
const QStringList& contractTypes();
// Names every register must hold: the seven tables and the six views.
const QStringList& requiredTables();
const QStringList& requiredViews();

// The type of the money, date, rate and memo columns, whatever table or view yields them; the
// store cannot tell money or dates from plain numbers and text. nullopt for other names.
std::optional<FieldType> columnType(const QString& column);

// Creates every table, index and view and the contract types in an empty database.
void create(QSqlDatabase& db);
// Adds the indexes that registers made by earlier versions lack; leaves a register that cannot
// be written as it is.
void upgrade(QSqlDatabase& db);

} // namespace Schema
