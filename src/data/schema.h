#pragma once
// The register's tables, views and fixed rows.
#include "fieldtypes.h"

#include <QHash>
#include <QSqlDatabase>
#include <QStringList>
#include <optional>

namespace Schema {

// The eleven contract types, in the order the editor lists them.
const QStringList& contractTypes();
// Names every register must hold: the seven tables and the six views.
const QStringList& requiredTables();
const QStringList& requiredViews();
// Tables that registers made by earlier versions lack: a register without them is usable, and
// opening it adds them; where present they hold every column this version gives them.
const QStringList& optionalTables();

// Columns that registers of earlier versions get only when this version opens them, by
// table; a check must not ask for them.
const QHash<QString, QStringList>& columnsAddedOnOpen();

// The type of the money, date, rate and memo columns, whatever table or view yields them; the
// store cannot tell money or dates from plain numbers and text. nullopt for other names.
std::optional<FieldType> columnType(const QString& column);

// Creates every table, index and view and the contract types in an empty database.
void create(QSqlDatabase& db);
// The query that lists "type, name" of every table and view of the register.
QString objectsQuery(QSqlDatabase& db);
// Whether the database already holds a register's contract table.
bool holdsRegister(QSqlDatabase& db);
// Adds the indexes that registers made by earlier versions lack and brings their instalment
// views up to date; leaves a register that cannot be written as it is.
void upgrade(QSqlDatabase& db);

// The substring index over the contract texts (SQLite FTS5, trigram tokenizer), kept in step
// with Compact by triggers; on a server a trigram index that the LIKE itself uses. It only
// narrows a search: the LIKE on Compact stays the judge.
// Name of the index table.
extern const QString TextIndex;
bool hasTextIndex(QSqlDatabase& db);
// Creates and fills the index when the register lacks it (a register made before it existed).
// False, with the register unchanged, when the store cannot hold it (no FTS5, a read-only file).
bool addTextIndex(QSqlDatabase& db);
// Drops the index with its triggers, so that a bulk load writes the texts once and
// addTextIndex then builds the index in one pass.
void dropTextIndex(QSqlDatabase& db);

// The contracts' change history, which nobody edits: one row per field that an add, save or
// delete of a contract or of an instalment changed.
extern const QString HistoryTable;
// Creates the table where it is missing; false, with the register unchanged, when it cannot.
bool addHistory(QSqlDatabase& db);

} // namespace Schema
