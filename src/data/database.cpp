#include "database.h"

#include "operatorpasswords.h"
#include "registeraddress.h"
#include "schema.h"
#include "serverconnection.h"
#include "sqldialect.h"
#include "sqlitereason.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

// Extended result codes tell a unique violation from a NOT NULL one without reading texts.
void enableExtendedCodes(QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (auto* h = *static_cast<sqlite3* const*>(handle.data()))
            sqlite3_extended_result_codes(h, 1);
    }
}

// What the user reads for a state of the register that the store's own text, in English,
// would not explain; empty where that text says more.
QString refusalText(DataError::Category category) {
    switch (category) {
    case DataError::Category::Busy:
        return QStringLiteral("数据库正被其他程序使用，暂时无法保存，请稍后再试。");
    case DataError::Category::Full:
        return QStringLiteral("磁盘空间不足，无法保存。");
    case DataError::Category::ReadOnly:
        return QStringLiteral("数据库文件不可写入，无法保存。");
    case DataError::Category::Conflict:
        return QStringLiteral("该记录正被其他操作员同时修改，无法保存，请重试。");
    case DataError::Category::Lost:
        return QStringLiteral("与数据库服务器的连接已断开，刚才的操作没有完成，输入的内容仍然保留。"
                              "程序将重新连接服务器，请稍后再试。");
    default:
        return {};
    }
}

} // namespace

Database::Database()
    : m_connectionName(QStringLiteral("qintara-") + QUuid::createUuid().toString(QUuid::Id128)) {}

Database::~Database() {
    close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::openConnection(const QString& path) {
    close();
    const auto server = RegisterAddress::server(path);
    const QString driver = server || RegisterAddress::isServer(path) ? QStringLiteral("QPSQL")
                                                                     : QStringLiteral("QSQLITE");
    if (m_db.isValid() && m_db.driverName() != driver) {
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    if (!m_db.isValid())
        m_db = QSqlDatabase::addDatabase(driver, m_connectionName);
    if (RegisterAddress::isServer(path)) {
        if (!server)
            throw DataError(QStringLiteral("数据库地址 %1 无效").arg(RegisterAddress::shown(path)));
        ServerConnection::open(m_db, *server);
        m_path = path;
        return;
    }
    m_db.setDatabaseName(path);
    if (!m_db.open())
        throw DataError(
            QStringLiteral("无法打开数据库文件 %1：%2")
                .arg(path, SqliteReason::text(m_db.lastError().nativeErrorCode().toInt())));
    enableExtendedCodes(m_db);
    m_path = path;
}

void Database::open(const QString& path) {
    openVerified(path);
    // A register made by an earlier version gets the text index, the covering indexes and the
    // views that use them once, whether it is opened at start or brought back by a restore.
    Schema::addTextIndex(m_db);
    Schema::upgrade(m_db);
    OperatorPasswords::hashPlain(m_db);
}

void Database::openVerified(const QString& path) {
    if (!RegisterAddress::isServer(path) && !QFileInfo(path).isFile())
        throw DataError(QStringLiteral("数据库文件 %1 不存在").arg(path));
    openConnection(path);
    try {
        verifySchema();
    } catch (...) {
        close();
        throw;
    }
}

void Database::create(const QString& path) {
    const bool server = RegisterAddress::isServer(path);
    if (!server && QFileInfo::exists(path))
        throw DataError(QStringLiteral("文件 %1 已存在，不会覆盖").arg(path));
    if (const auto address = RegisterAddress::server(path))
        ServerConnection::ensureDatabase(*address);
    openConnection(path);
    if (server && Schema::holdsRegister(m_db)) {
        close();
        throw DataError(QStringLiteral("服务器数据库 %1 中已有合同数据，不会覆盖")
                            .arg(RegisterAddress::shown(path)));
    }
    try {
        Schema::create(m_db);
        QSqlQuery q = prepare(QStringLiteral("INSERT INTO Operator (OperatorName, 增加, 删除, "
                                             "修改, 用户权限设置, 数据备份, 数据恢复, "
                                             "k1, Password, 审核, 收款管理, 付款管理) VALUES "
                                             "('管理员', 1, 1, 1, 1, 1, 1, 1, NULL, 1, 1, 1)"));
        exec(q);
        OperatorPasswords::hashPlain(m_db);
    } catch (...) {
        close();
        if (!server)
            QFile::remove(path);
        throw;
    }
}

void Database::verifySchema() {
    QSqlQuery q(m_db);
    if (onServer()) {
        if (!q.exec(Schema::objectsQuery(m_db)))
            throw DataError(QStringLiteral("无法读取服务器数据库 %1：%2")
                                .arg(RegisterAddress::shown(m_path), q.lastError().databaseText()));
    } else if (!q.exec(Schema::objectsQuery(m_db))) {
        // only a file SQLite cannot read as a database is no register; busy is busy
        const int code = q.lastError().nativeErrorCode().toInt();
        const bool unreadable = (code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT;
        throw DataError((unreadable ? QStringLiteral("文件 %1 不是合同数据库：%2")
                                    : QStringLiteral("无法打开数据库文件 %1：%2"))
                            .arg(m_path, SqliteReason::text(code)));
    }
    QStringList tables, views;
    while (q.next())
        (q.value(0).toString() == QLatin1String("view") ? views : tables)
            << q.value(1).toString().toLower();
    auto missing = [](const QStringList& need, const QStringList& have) {
        for (const QString& name : need)
            if (!have.contains(name.toLower()))
                return name;
        return QString();
    };
    QString gone = missing(Schema::requiredTables(), tables);
    if (gone.isEmpty())
        gone = missing(Schema::requiredViews(), views);
    if (!gone.isEmpty() && onServer())
        throw DataError(QStringLiteral("服务器数据库 %1 不是合同数据库：缺少 %2")
                            .arg(RegisterAddress::shown(m_path), gone));
    if (!gone.isEmpty())
        throw DataError(QStringLiteral("文件 %1 不是合同数据库：缺少 %2").arg(m_path, gone));
}

QString Database::checkFile(const QString& path) {
    try {
        Database probe;
        probe.openVerified(path); // a check never changes the file
        return {};
    } catch (const DataError& e) {
        return e.text();
    }
}

void Database::close() {
    if (m_db.isValid() && m_db.isOpen())
        m_db.close();
    m_path.clear();
}

bool Database::isOpen() const {
    return m_db.isValid() && m_db.isOpen();
}

bool Database::onServer(const QSqlDatabase& db) {
    return db.driverName() == QLatin1String("QPSQL");
}

bool Database::inTransaction(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid())
        return false;
    if (qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        auto* h = *static_cast<sqlite3* const*>(handle.data());
        return h && sqlite3_get_autocommit(h) == 0;
    }
    if (qstrcmp(handle.typeName(), "pg_conn*") == 0) {
        auto* c = *static_cast<PGconn* const*>(handle.data());
        return c && PQtransactionStatus(c) != PQTRANS_IDLE;
    }
    return false;
}

QSqlDatabase& Database::connection() {
    reopenIfLost();
    return m_db;
}

// A connection the server dropped is opened anew by the next command that uses it; the
// command that met the break has failed, and with it any transaction it was in.
void Database::reopenIfLost() {
    if (m_path.isEmpty() || !onServer() || m_reopening)
        return;
    if (m_db.isOpen()) {
        const QVariant handle = m_db.driver()->handle();
        auto* c = handle.isValid() ? *static_cast<PGconn* const*>(handle.data()) : nullptr;
        if (c && PQstatus(c) == CONNECTION_OK)
            return;
    }
    const auto server = RegisterAddress::server(m_path);
    if (!server)
        return;
    m_reopening = true;
    m_db.close();
    try {
        ServerConnection::open(m_db, *server);
    } catch (...) {
        m_reopening = false;
        throw;
    }
    m_reopening = false;
    if (onReopened)
        onReopened();
}

QSqlQuery Database::prepare(const QString& sql) {
    reopenIfLost();
    QSqlQuery q(m_db);
    if (!q.prepare(sql))
        raise(q.lastError());
    return q;
}

void Database::exec(QSqlQuery& query) {
    if (!query.exec())
        raise(query.lastError());
}

QVariant Database::insert(QSqlQuery& query) {
    exec(query);
    if (query.isSelect()) // PostgreSQL hands the key back as a row
        return query.next() ? query.value(0) : QVariant();
    return query.lastInsertId();
}

QString Database::quoted(const QSqlDatabase& db, const QString& name) {
    return SqlDialect::name(onServer(db), name);
}

QString Database::returningKey(const QSqlDatabase& db, const QString& keyColumn) {
    return onServer(db) ? QStringLiteral(" RETURNING ") + keyColumn : QString();
}

DataError::Category Database::meaning(const QSqlError& error) {
    using C = DataError::Category;
    if (error.driverText().startsWith(QLatin1String("QPSQL")) &&
        ServerConnection::connectionLost(error))
        return C::Lost;
    // PostgreSQL reports a five-character SQLSTATE; SQLite's codes have at most four digits
    if (const QString state = error.nativeErrorCode(); state.size() == 5)
        return ServerConnection::meaning(state);
    bool isCode = false;
    const int code = error.nativeErrorCode().toInt(&isCode);
    if (!isCode)
        return C::Other;
    switch (code) { // extended result codes first, then their primary code
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return C::DuplicateKey;
    case SQLITE_CONSTRAINT_NOTNULL:
        return C::MissingRequired;
    }
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return C::Busy;
    case SQLITE_FULL:
        return C::Full;
    case SQLITE_READONLY:
        return C::ReadOnly;
    }
    return C::Other;
}

void Database::raise(const QSqlError& error) {
    const DataError::Category category = meaning(error);
    const QString text = refusalText(category);
    if (!text.isEmpty())
        throw DataError(category, text);
    if (error.nativeErrorCode().size() == 5) // a server's SQLSTATE
        throw DataError(category, ServerConnection::refusal(error));
    throw DataError(category, error.databaseText().isEmpty() ? error.text() : error.databaseText());
}

void Database::transaction() {
    if (!m_db.transaction())
        raise(m_db.lastError());
}

void Database::commit() {
    if (!m_db.commit())
        raise(m_db.lastError());
}

void Database::rollback() {
    m_db.rollback();
}

Database::Savepoint::Savepoint(QSqlDatabase& db) : m_db(db), m_nested(inTransaction(db)) {
    QSqlQuery q(m_db);
    if (!q.exec(m_nested ? QStringLiteral("SAVEPOINT qintara_write") : QStringLiteral("BEGIN")))
        raise(q.lastError());
    m_open = true;
}

Database::Savepoint::~Savepoint() {
    if (!m_open)
        return;
    QSqlQuery q(m_db);
    if (m_nested) {
        q.exec(QStringLiteral("ROLLBACK TO qintara_write"));
        q.exec(QStringLiteral("RELEASE qintara_write"));
    } else {
        q.exec(QStringLiteral("ROLLBACK"));
    }
}

void Database::Savepoint::release() {
    QSqlQuery q(m_db);
    if (!q.exec(m_nested ? QStringLiteral("RELEASE qintara_write") : QStringLiteral("COMMIT")))
        raise(q.lastError());
    m_open = false;
}
