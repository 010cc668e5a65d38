#include "sqldialect.h"

#include "database.h"

namespace SqlDialect {

QString name(const QSqlDatabase& db, const QString& name) {
    return SqlDialect::name(Database::onServer(db), name);
}

QString name(bool server, const QString& name) {
    QString spelled = name;
    if (server)
        for (QChar& c : spelled)
            if (c.unicode() < 128)
                c = c.toLower();
    return identifier(spelled);
}

QString identifier(QString name) {
    return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString exactValue(const QSqlDatabase& db, const QVariant& value) {
    return Database::onServer(db) && value.typeId() == QMetaType::QString
               ? QStringLiteral("CAST(? AS text)")
               : QStringLiteral("?");
}

QString utf8Bytes(const QSqlDatabase& db, const QString& expression) {
    return Database::onServer(db) ? QStringLiteral("convert_to(%1, 'UTF8')").arg(expression)
                                  : QStringLiteral("CAST(%1 AS BLOB)").arg(expression);
}

} // namespace SqlDialect
