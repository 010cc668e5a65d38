#include "serverconnection.h"

#include "serverschema.h"
#include "sqldialect.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

// A server that does not answer is reported after this many seconds, not after libpq's default
// of waiting for ever.
const QString ConnectTimeout = QStringLiteral("connect_timeout=5");

QString connectOptions(const ServerAddress& server) {
    return server.options.contains(QLatin1String("connect_timeout"))
               ? server.options
               : (server.options.isEmpty() ? ConnectTimeout
                                           : server.options + u';' + ConnectTimeout);
}

// A connection of its own to the server's maintenance database, for the few commands that
// cannot run inside the register's own database.
class MaintenanceConnection {
public:
    explicit MaintenanceConnection(const ServerAddress& server)
        : m_name(QStringLiteral("qintara-admin-") + QUuid::createUuid().toString(QUuid::Id128)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        ServerConnection::open(db, server.withDatabase(QStringLiteral("postgres")));
    }
    ~MaintenanceConnection() {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlQuery query() const { return QSqlQuery(QSqlDatabase::database(m_name, false)); }

private:
    QString m_name;
};

} // namespace

namespace ServerConnection {

QString connectReason(const QString& text) {
    const QString t = text.toLower();
    if (t.contains(QLatin1String("password authentication failed")) ||
        t.contains(QLatin1String("no password supplied")) ||
        t.contains(QLatin1String("authentication failed")))
        return QStringLiteral("用户名或密码错误");
    if (t.contains(QLatin1String("does not exist")) && t.contains(QLatin1String("database")))
        return QStringLiteral("服务器上没有这个数据库");
    if (t.contains(QLatin1String("role")) && t.contains(QLatin1String("does not exist")))
        return QStringLiteral("服务器上没有这个用户");
    if (t.contains(QLatin1String("could not translate host name")))
        return QStringLiteral("找不到服务器（主机名无法解析）");
    if (t.contains(QLatin1String("timeout")))
        return QStringLiteral("服务器没有应答（连接超时）");
    if (t.contains(QLatin1String("connection refused")) ||
        t.contains(QLatin1String("could not connect")) ||
        t.contains(QLatin1String("no such file or directory")))
        return QStringLiteral("服务器无法连接（服务器未运行或地址、端口有误）");
    if (t.contains(QLatin1String("no pg_hba.conf entry")) ||
        t.contains(QLatin1String("permission denied")))
        return QStringLiteral("服务器拒绝了此连接（没有访问权限）");
    if (t.contains(QLatin1String("too many")))
        return QStringLiteral("服务器连接数已满，请稍后再试");
    return QStringLiteral("服务器拒绝连接：%1").arg(text.trimmed());
}

void open(QSqlDatabase& db, const ServerAddress& server) {
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setUserName(server.user);
    db.setPassword(server.password);
    db.setDatabaseName(server.database);
    db.setConnectOptions(connectOptions(server));
    if (!db.isValid())
        throw DataError(QStringLiteral("无法连接数据库服务器 %1：本机缺少 PostgreSQL 数据库驱动")
                            .arg(server.shown()));
    if (!db.open())
        throw DataError(
            QStringLiteral("无法连接数据库服务器 %1：%2")
                .arg(server.shown(), connectReason(db.lastError().databaseText() + u' ' +
                                                   db.lastError().driverText())));
    QSqlQuery q(db);
    q.exec(QStringLiteral("SET client_min_messages = warning"));
    // the types and operators of the extensions, found after the register's own names
    q.exec(QStringLiteral("SELECT set_config('search_path', current_setting('search_path') || "
                          "', %1', false)")
               .arg(ServerSchema::ExtensionSchema));
}

void ensureDatabase(const ServerAddress& server) {
    if (server.database.isEmpty())
        return;
    MaintenanceConnection admin(server);
    QSqlQuery q = admin.query();
    q.prepare(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"));
    q.addBindValue(server.database);
    if (q.exec() && q.next())
        return;
    // template0 with UTF-8, so that the Chinese names and texts are stored whatever the
    // server's default encoding
    if (!q.exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'")
                    .arg(SqlDialect::identifier(server.database))))
        throw DataError(QStringLiteral("无法在服务器 %1 上建立数据库：%2")
                            .arg(server.shown(), q.lastError().databaseText()));
}

void dropDatabase(const ServerAddress& server) {
    try {
        MaintenanceConnection admin(server);
        QSqlQuery q = admin.query();
        q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)")
                   .arg(SqlDialect::identifier(server.database)));
    } catch (const DataError&) {
    }
}

DataError::Category meaning(const QString& sqlState) {
    using C = DataError::Category;
    if (sqlState == QLatin1String("23505"))
        return C::DuplicateKey;
    if (sqlState == QLatin1String("23502"))
        return C::MissingRequired;
    if (sqlState == QLatin1String("40001") || sqlState == QLatin1String("40P01"))
        return C::Conflict;
    if (sqlState == QLatin1String("55P03"))
        return C::Busy;
    if (sqlState.startsWith(QLatin1String("53")))
        return C::Full;
    if (sqlState == QLatin1String("25006"))
        return C::ReadOnly;
    return C::Other;
}

QString refusal(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (error.nativeErrorCode() == QLatin1String("23514")) {
        static const QRegularExpression name(QStringLiteral("check constraint \"([^\"]+)\""));
        if (const auto m = name.match(text); m.hasMatch())
            return QStringLiteral("CHECK constraint failed: ") + m.captured(1);
    }
    static const QRegularExpression severity(QStringLiteral("^(ERROR|FATAL):\\s+"));
    return text.section(u'\n', 0, 0).remove(severity).trimmed();
}

bool connectionLost(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") ||
        code == QLatin1String("57P02") || code == QLatin1String("57P03"))
        return true;
    const QString text = error.databaseText().toLower();
    return error.type() == QSqlError::ConnectionError ||
           text.contains(QLatin1String("server closed the connection")) ||
           text.contains(QLatin1String("no connection to the server")) ||
           text.contains(QLatin1String("connection to server was lost"));
}

} // namespace ServerConnection
