#include "serverbackup.h"

#include "database.h"
#include "registeraddress.h"
#include "schema.h"
#include "serverconnection.h"
#include "servertools.h"
#include "sqldialect.h"

#include <QSqlQuery>

using DurableFile::FileError;

namespace {

std::function<void()> busyOf(const DurableFile::Progress& progress) {
    if (!progress)
        return {};
    return [progress] { progress(0, 0); };
}

QString registerSchema(Database& db) {
    QSqlQuery q(db.connection());
    return q.exec(QStringLiteral("SELECT current_schema()")) && q.next() ? q.value(0).toString()
                                                                         : QString();
}

// What pg_dump's (English) complaint means for the user.
QString dumpReason(const QString& errors) {
    const QString text = errors.toLower();
    if (text.contains(QLatin1String("version mismatch")))
        return QStringLiteral("本机的 pg_dump 程序版本低于数据库服务器的版本");
    if (text.contains(QLatin1String("connection to server")))
        return ServerConnection::connectReason(errors);
    if (text.contains(QLatin1String("permission denied")))
        return QStringLiteral("没有读取全部合同数据的权限");
    return QStringLiteral("服务器数据库无法导出");
}

} // namespace

namespace ServerBackup {

void write(Database& db, const QString& copy, const QString& target,
           const DurableFile::Progress& progress) {
    const auto server = RegisterAddress::server(db.path());
    const QString schema = db.isOpen() ? registerSchema(db) : QString();
    if (!server || schema.isEmpty())
        throw FileError(target, QStringLiteral("数据库没有打开"));
    QProcess dump;
    ServerTools::start(dump, QStringLiteral("pg_dump"),
                       {QStringLiteral("--format=custom"),
                        // quoted, pg_dump takes the name as it is rather than as a pattern
                        QStringLiteral("--schema=") + SqlDialect::identifier(schema),
                        QStringLiteral("--file=") + copy},
                       &*server);
    if (ServerTools::finish(dump, busyOf(progress)))
        return;
    if (dump.error() == QProcess::FailedToStart)
        throw FileError(target, QStringLiteral("本机缺少 PostgreSQL 的 pg_dump 程序"));
    const QString errors = QString::fromUtf8(dump.readAllStandardError());
    qWarning("pg_dump failed: %s", qPrintable(errors));
    throw FileError(target, dumpReason(errors));
}

void check(const QString& copy, const QString& target, const DurableFile::Progress& progress) {
    const ServerTools::Listing listing = ServerTools::list(copy, busyOf(progress));
    QString problem = listing.problem;
    for (const QString& table : Schema::requiredTables())
        if (problem.isEmpty() && !listing.data.contains(table.toLower()))
            problem = QStringLiteral("缺少 %1 的数据").arg(table);
    if (!problem.isEmpty())
        throw FileError(target, QStringLiteral("备份文件校验未通过（%1）").arg(problem));
}

} // namespace ServerBackup
