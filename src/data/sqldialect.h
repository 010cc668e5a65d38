#pragma once
// The few words of SQL that the register's stores spell differently; statements written with
// these read the same rows from a file and from a server.
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace SqlDialect {

// A table or column name quoted as the store spelled it: PostgreSQL folds the unquoted names
// of the schema to lower case.
QString name(const QSqlDatabase& db, const QString& name);
QString name(bool server, const QString& name);
// A name quoted exactly as given (a schema, a database, a table in a pattern of pg_dump).
QString identifier(QString name);
// A bound value compared as exactly what it holds. A text bound untyped on a server takes the
// type of the column it meets, and a key that ignores case (citext) then cannot be carried
// through a view's joins to the columns that hold the same text: every group of a grouped view
// would be computed to keep one.
QString exactValue(const QSqlDatabase& db, const QVariant& value);
// A text expression as its UTF-8 bytes, with no conversion by the store.
QString utf8Bytes(const QSqlDatabase& db, const QString& expression);

} // namespace SqlDialect
