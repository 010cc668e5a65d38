#pragma once
// The PostgreSQL side of the connection: opening it with the user's words for what failed,
// making the database a new register goes into, and reading the server's error codes.
#include "dataerror.h"
#include "registeraddress.h"

#include <QSqlDatabase>

namespace ServerConnection {

// Opens db (a QPSQL connection) on the server; throws DataError naming the server and why.
void open(QSqlDatabase& db, const ServerAddress& server);
// What the user reads for libpq's (English) text of a failed connection.
QString connectReason(const QString& text);
// Makes the database on the server when it is not there yet (through the server's maintenance
// database); throws DataError when that fails.
void ensureDatabase(const ServerAddress& server);
// Drops a database the tests made; quietly does nothing when it is gone.
void dropDatabase(const ServerAddress& server);

// The meaning of the server's refusal, from its SQLSTATE.
DataError::Category meaning(const QString& sqlState);
// The server's refusal as SQLite words it: its message without the severity, the detail that
// repeats the row, or the code; a broken CHECK named as "CHECK constraint failed: name".
QString refusal(const QSqlError& error);
// True when the refusal says the connection itself is gone.
bool connectionLost(const QSqlError& error);

} // namespace ServerConnection
