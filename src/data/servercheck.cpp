#include "servercheck.h"

#include "registercheck.h"
#include "schema.h"
#include "sqldialect.h"

#include <QSqlQuery>

namespace {

// Thrown inside the check with the user's reason.
struct Unusable {
    QString why;
};

QString tableIn(const QString& schema, const QString& name) {
    return SqlDialect::identifier(schema) + u'.' +
           SqlDialect::identifier(name.toLower()); // unquoted names were folded
}

QString columnsProblem(QSqlDatabase& db, const QString& schema) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT column_name FROM information_schema.columns "
                             "WHERE table_schema = ? AND table_name = ?"));
    return RegisterCheck::schemaProblem([&](const QString& object) {
        q.addBindValue(schema);
        q.addBindValue(object.toLower());
        if (!q.exec())
            throw Unusable{QStringLiteral("数据无法读取")};
        QSet<QString> have;
        while (q.next())
            have.insert(q.value(0).toString().toLower());
        return have;
    });
}

// Every row of every table and view is read once, the views' sums worked out.
QString unreadable(QSqlDatabase& db, const QString& schema) {
    QSqlQuery q(db);
    for (const QString& object : Schema::requiredTables() + Schema::requiredViews())
        if (!q.exec(QStringLiteral("SELECT count(*) FROM ") + tableIn(schema, object)))
            return QStringLiteral("数据无法读取（%1）").arg(object);
    return {};
}

bool holdsFiles(QSqlDatabase& db, const QString& schema) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema "
                             "= ? AND table_name IN ('compactfile', 'compactfilepart')"));
    q.addBindValue(schema);
    return q.exec() && q.next() && q.value(0).toInt() == 2;
}

// The stored files: every file's parts add up to its size, no part is left without its file.
QString fileDamage(QSqlDatabase& db, const QString& schema) {
    if (!holdsFiles(db, schema))
        return {};
    const QString files = tableIn(schema, QStringLiteral("CompactFile"));
    const QString parts = tableIn(schema, QStringLiteral("CompactFilePart"));
    const QStringList checks{
        QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 f WHERE f.大小 IS DISTINCT FROM (SELECT "
                       "coalesce(sum(length(p.bytes)), 0) FROM %2 p WHERE p.fileid = f.id))")
            .arg(files, parts),
        QStringLiteral("SELECT EXISTS (SELECT 1 FROM %2 p WHERE NOT EXISTS (SELECT 1 FROM %1 f "
                       "WHERE f.id = p.fileid))")
            .arg(files, parts)};
    QSqlQuery q(db);
    for (const QString& sql : checks) {
        if (!q.exec(sql) || !q.next())
            return QStringLiteral("数据无法读取（CompactFile）");
        if (q.value(0).toBool())
            return QStringLiteral("存入的合同文件已损坏（大小与内容不符）");
    }
    return {};
}

} // namespace

namespace ServerCheck {

QString problem(QSqlDatabase& db, const QString& schema) {
    try {
        QString why = columnsProblem(db, schema);
        if (why.isEmpty())
            why = unreadable(db, schema);
        if (why.isEmpty())
            why = fileDamage(db, schema);
        return why;
    } catch (const Unusable& e) {
        return e.why;
    }
}

} // namespace ServerCheck
