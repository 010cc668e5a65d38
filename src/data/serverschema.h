#pragma once
// The register's schema on PostgreSQL, made from the same statements as on SQLite: each
// column's type follows what the column holds (money as whole numbers of 1/10000 yuan in
// bigint, dates as timestamps, keys that ignore case as citext, identity keys), the views lose
// SQLite's index hints and give their sums as whole numbers, and the contract texts get a
// trigram index in place of SQLite's text index.
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace ServerSchema {

// The statement as PostgreSQL takes it.
QString translated(const QString& sqliteStatement);
// Statements run before the tables: the extensions the schema uses, in ExtensionSchema.
const QStringList& prerequisites();
// Where the extensions live; every connection has it on its search path after the register's.
extern const QString ExtensionSchema;
// The contracts' keys with their partners, in place of SQLite's wide contract list index, in
// both orders: the partner sums read no contract row, for the whole list (in key order, beside
// the instalments' sums index) or for one partner.
struct Index {
    QString name;
    QString statement;
};
const QList<Index>& partnerIndexes();
// The substring index over the contract texts.
extern const char* const TextIndexStatement;
extern const QString TextIndexName;

// A register made when the extensions lived in its own schema gets them moved to
// ExtensionSchema, so that a restore can set its schema aside; quietly nothing without the
// right to move them.
void upgrade(QSqlDatabase& db);

// The name of the channel every change of a contract, an instalment, a partner, a department or
// an operator is announced on, as "table:I|U|D:key" (instalments add ":CompactID"); a whole
// register put back is announced as "*:restore:0".
extern const QString ChangeChannel;
// The function and triggers that announce the changes; each statement may run again. A bulk
// writer that announces its work once itself sets "qintara.quiet" to "on" for its session.
const QStringList& notificationStatements();
// Whether the register has every trigger those statements make.
bool announcesChanges(QSqlDatabase& db);

// "type, name" rows for every table and view of the register's schema on the server.
QString objectsQuery();
// Moves every identity past the largest key a bulk load wrote itself.
void resyncIdentities(QSqlDatabase& db);

} // namespace ServerSchema
