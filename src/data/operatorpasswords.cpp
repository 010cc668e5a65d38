#include "operatorpasswords.h"

#include "database.h"
#include "dataset.h"
#include "passwordhash.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <utility>
#include <vector>

namespace {

const QString PlainColumn = QStringLiteral("Password");

bool hasHashColumn(QSqlDatabase& db) {
    if (Database::onServer(db))
        return true; // registers on a server are all made by this version
    return db.record(QStringLiteral("Operator")).contains(OperatorPasswords::HashColumn);
}

std::vector<std::pair<QVariant, QString>> plainPasswords(QSqlDatabase& db) {
    std::vector<std::pair<QVariant, QString>> rows;
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT OperatorID, Password FROM Operator "
                              "WHERE PasswordHash IS NULL")))
        while (q.next())
            rows.emplace_back(q.value(0), q.value(1).toString());
    return rows;
}

QString single(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0).toString() : QStringLiteral("1");
}

bool store(QSqlDatabase& db, const std::vector<std::pair<QVariant, QString>>& rows) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "UPDATE Operator SET PasswordHash = ?, Password = NULL WHERE OperatorID = ?"));
    for (const auto& [id, password] : rows) {
        q.addBindValue(PasswordHash::make(password));
        q.addBindValue(id);
        if (!q.exec())
            return false;
    }
    return true;
}

} // namespace

namespace OperatorPasswords {

const QString HashColumn = QStringLiteral("PasswordHash");

void hashPlain(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!hasHashColumn(db) &&
        !q.exec(QStringLiteral("ALTER TABLE Operator ADD COLUMN PasswordHash TEXT")))
        return;
    const auto rows = plainPasswords(db);
    if (rows.empty())
        return;
    // the pages the texts leave are overwritten, not merely freed (a server keeps no such pages
    // in a file the user can copy)
    const bool file = !Database::onServer(db);
    const QString secure = file ? single(db, QStringLiteral("PRAGMA secure_delete")) : QString();
    if (file)
        q.exec(QStringLiteral("PRAGMA secure_delete = ON"));
    try {
        // all or nothing, inside a bulk load's transaction or on its own
        Database::Savepoint savepoint(db);
        if (store(db, rows))
            savepoint.release();
    } catch (const DataError&) {
    }
    if (file)
        q.exec(QStringLiteral("PRAGMA secure_delete = ") + secure);
}

void hashTyped(Dataset& row) {
    Field* typed = row.fieldByName(PlainColumn);
    Field* hash = row.fieldByName(HashColumn);
    if (typed->isNull() && !hash->isNull())
        return;
    hash->setValue(PasswordHash::make(typed->asString()));
    typed->clear();
}

bool accepts(const Dataset& row, const QString& typed) {
    const Field* hash = row.findField(HashColumn);
    if (hash && !hash->isNull())
        return PasswordHash::matches(hash->asString(), typed);
    return row.value(PlainColumn).toString() == typed;
}

} // namespace OperatorPasswords
