#pragma once
// The few words of SQL that the register's stores spell differently; statements written with
// these read the same rows from a file and from a server.
#include <QSqlDatabase>
#include <QString>

namespace SqlDialect {

// A table or column name quoted as the store spelled it: PostgreSQL folds the unquoted names
// of the schema to lower case.
QString name(const QSqlDatabase& db, const QString& name);
QString name(bool server, const QString& name);
// A text expression as its UTF-8 bytes, with no conversion by the store.
QString utf8Bytes(const QSqlDatabase& db, const QString& expression);

} // namespace SqlDialect
