#pragma once
// Whether the register in a schema on a PostgreSQL server is usable, as the file check asks of
// a file: every table, view and column of the program's schema, every table and view readable
// through, and the stored contract files' parts adding up to their sizes.
#include <QSqlDatabase>
#include <QString>

namespace ServerCheck {

// Empty when the register in schema passes, else why not in the user's words. Runs on db's
// connection as it stands (inside its transaction, when one is open).
QString problem(QSqlDatabase& db, const QString& schema);

} // namespace ServerCheck
