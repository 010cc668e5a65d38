#include "servertools.h"

#include "schema.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// How long each wait for the program lasts before busy is called.
constexpr int WaitStepMs = 50;

QStringList connectionArguments(const ServerAddress& server) {
    QStringList args;
    if (!server.host.isEmpty())
        args << QStringLiteral("--host=") + server.host;
    if (server.port > 0)
        args << QStringLiteral("--port=") + QString::number(server.port);
    if (!server.user.isEmpty())
        args << QStringLiteral("--username=") + server.user;
    // the database as a connection string, so that the URL's options (sslmode...) go along
    QStringList conninfo{QStringLiteral("dbname=") + ServerTools::quotedValue(server.database)};
    for (const QString& pair : server.options.split(u';', Qt::SkipEmptyParts))
        conninfo << pair.section(u'=', 0, 0) + u'=' +
                        ServerTools::quotedValue(pair.section(u'=', 1));
    args << QStringLiteral("--dbname=") + conninfo.join(u' ') << QStringLiteral("--no-password");
    return args;
}

} // namespace

namespace ServerTools {

QString quotedValue(QString value) {
    value.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + value + u'\'';
}

void start(QProcess& process, const QString& program, const QStringList& arguments,
           const ServerAddress* server) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QStringList args = arguments;
    if (server) {
        if (!server->password.isEmpty())
            env.insert(QStringLiteral("PGPASSWORD"), server->password);
        args = connectionArguments(*server) + args;
    }
    // their messages are read below in English, whatever the user's language
    env.remove(QStringLiteral("LC_ALL"));
    env.insert(QStringLiteral("LC_MESSAGES"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(program, args);
}

bool finish(QProcess& process, const std::function<void()>& busy) {
    if (!process.waitForStarted())
        return false;
    while (!process.waitForFinished(WaitStepMs))
        if (busy)
            busy();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString archiveReason(const QByteArray& errors) {
    const QString text = QString::fromUtf8(errors);
    if (text.contains(QLatin1String("end of file")))
        return QStringLiteral("文件不完整（备份数据不全）");
    if (text.contains(QLatin1String("valid archive")) || text.contains(QLatin1String("too short")))
        return QStringLiteral("不是服务器数据库的备份文件");
    return QStringLiteral("文件已损坏");
}

Listing list(const QString& archive, const std::function<void()>& busy) {
    Listing listing;
    if (QFileInfo(archive).size() == 0) {
        listing.problem = QStringLiteral("文件是空的");
        return listing;
    }
    QProcess process;
    start(process, QStringLiteral("pg_restore"), {QStringLiteral("--list"), archive});
    if (!finish(process, busy)) {
        listing.problem = process.error() == QProcess::FailedToStart
                              ? QStringLiteral("本机缺少 PostgreSQL 的 pg_restore 程序")
                              : archiveReason(process.readAllStandardError());
        return listing;
    }
    // "<id>; <catalog> <oid> <kind> <schema> <name> <owner>"
    static const QRegularExpression entry(
        QStringLiteral("^\\d+; \\d+ \\d+ (TABLE DATA|TABLE|VIEW|SCHEMA) (\\S+) (\\S+)"));
    const QStringList lines =
        QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QStringList schemas;
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = entry.match(line);
        if (!m.hasMatch())
            continue;
        const QString kind = m.captured(1);
        const QString name = m.captured(3).toLower();
        if (kind == QLatin1String("SCHEMA"))
            schemas << m.captured(3);
        else if (kind == QLatin1String("TABLE DATA"))
            listing.data << name;
        else
            (kind == QLatin1String("VIEW") ? listing.views : listing.tables) << name;
        if (kind == QLatin1String("TABLE") && name == QLatin1String("compact"))
            listing.schema = m.captured(2);
    }
    listing.createsSchema = schemas.contains(listing.schema);
    for (const QString& object : Schema::requiredTables() + Schema::requiredViews()) {
        const QString name = object.toLower();
        if (!listing.tables.contains(name) && !listing.views.contains(name)) {
            listing.problem = QStringLiteral("不是合同数据库（缺少 %1）").arg(object);
            break;
        }
    }
    return listing;
}

} // namespace ServerTools
