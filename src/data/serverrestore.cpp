#include "serverrestore.h"

#include "dataerror.h"
#include "registeraddress.h"
#include "servercheck.h"
#include "serverconnection.h"
#include "serverschema.h"
#include "servertools.h"
#include "sqldialect.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QUuid>
#include <libpq-fe.h>
#include <optional>

namespace {

// How long the swap waits for another operator's transaction on the old tables.
constexpr int LockWaitSeconds = 30;
// Rows are sent to the server in pieces of about this size.
constexpr qsizetype CopyPiece = 1 << 20;

const QString Incomplete = QStringLiteral("文件不完整（备份数据不全）");

// Thrown inside the restore with the user's reason; the transaction is rolled back.
struct Refusal {
    QString why;
};

// The restore's own connection: what the archive's script sets for its session (an empty
// search path, no lock timeout) ends with it.
class Session {
public:
    explicit Session(const ServerAddress& server)
        : m_name(QStringLiteral("qintara-restore-") + QUuid::createUuid().toString(QUuid::Id128)) {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        try {
            ServerConnection::open(m_db, server);
        } catch (...) {
            m_db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw;
        }
        m_conn = *static_cast<PGconn* const*>(m_db.driver()->handle().data());
    }
    ~Session() {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QSqlDatabase& database() { return m_db; }

    // Runs one or more statements; throws Refusal(why) when the server refuses them.
    void exec(const QByteArray& sql, const QString& why) {
        check(PQexec(m_conn, sql.constData()), why);
    }
    void exec(const QString& sql, const QString& why) { exec(sql.toUtf8(), why); }
    QString value(const QString& sql, const QString& why) {
        PGresult* r = PQexec(m_conn, sql.toUtf8().constData());
        const QString v = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1
                              ? QString::fromUtf8(PQgetvalue(r, 0, 0))
                              : QString();
        check(r, why);
        return v;
    }

    void beginCopy(const QByteArray& statement, const QString& why) {
        PGresult* r = PQexec(m_conn, statement.constData());
        if (PQresultStatus(r) == PGRES_COPY_IN)
            return PQclear(r);
        check(r, why);
    }
    void putCopy(const QByteArray& rows, const QString& why) {
        if (!rows.isEmpty() && PQputCopyData(m_conn, rows.constData(), int(rows.size())) != 1)
            throw refusal(why);
    }
    // Ends the rows of one table; with a failure text, abandons them.
    void endCopy(const QString& why, const char* failure = nullptr) {
        if (PQputCopyEnd(m_conn, failure) != 1)
            throw refusal(why);
        bool ok = failure == nullptr;
        while (PGresult* r = PQgetResult(m_conn)) {
            ok = ok && PQresultStatus(r) == PGRES_COMMAND_OK;
            if (!ok && !failure)
                qWarning("restore: %s", PQresultErrorMessage(r));
            PQclear(r);
        }
        if (!ok)
            throw refusal(why);
    }

    // Leaves nothing of a failed restore: rows still being sent and the transaction go.
    void abandon() {
        if (PQtransactionStatus(m_conn) == PQTRANS_ACTIVE) {
            try {
                endCopy({}, "restore abandoned");
            } catch (const Refusal&) {
            }
        }
        PQclear(PQexec(m_conn, "ROLLBACK"));
    }

private:
    void check(PGresult* r, const QString& why) {
        const ExecStatusType status = PQresultStatus(r);
        const bool ok =
            status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
        const QString state = QString::fromLatin1(PQresultErrorField(r, PG_DIAG_SQLSTATE));
        if (!ok)
            qWarning("restore: %s", PQresultErrorMessage(r));
        PQclear(r);
        if (ok)
            return;
        if (ServerConnection::meaning(state) == DataError::Category::Busy ||
            ServerConnection::meaning(state) == DataError::Category::Conflict)
            throw Refusal{QStringLiteral("其他操作员正在使用数据库，请稍后再试")};
        throw refusal(why);
    }
    Refusal refusal(const QString& why) const {
        if (PQstatus(m_conn) != CONNECTION_OK)
            return {QStringLiteral("与数据库服务器的连接已中断")};
        return {why};
    }

    QString m_name;
    QSqlDatabase m_db;
    PGconn* m_conn = nullptr;
};

// Runs the archive's script (pg_restore's plain SQL) on the session: the statements between the
// archive's entries as they come, the rows of each table through COPY.
class ScriptLoader {
public:
    explicit ScriptLoader(Session& session) : m_session(session) {}

    void line(const QByteArray& line) {
        if (m_inCopy)
            return rowLine(line);
        if (line.startsWith("--")) { // an entry's heading: the entry before it is whole
            if (line.startsWith("-- Name: ") || line.startsWith("-- Data for Name: "))
                flush();
            return;
        }
        if (line.startsWith('\\')) // psql's own commands, not SQL
            return;
        if (line.startsWith("COPY ") && line.trimmed().endsWith("FROM stdin;")) {
            flush();
            m_session.beginCopy(line, Failed);
            m_inCopy = true;
            return;
        }
        m_pending += line;
    }
    void end() {
        if (m_inCopy)
            throw Refusal{Incomplete};
        flush();
    }

private:
    static inline const QString Failed = QStringLiteral("备份数据无法载入服务器数据库");

    void rowLine(const QByteArray& line) {
        if (line == "\\.\n" || line == "\\.") {
            m_session.putCopy(m_rows, Failed);
            m_rows.clear();
            m_session.endCopy(Failed);
            m_inCopy = false;
            return;
        }
        m_rows += line;
        if (m_rows.size() >= CopyPiece) {
            m_session.putCopy(m_rows, Failed);
            m_rows.clear();
        }
    }
    void flush() {
        if (m_pending.trimmed().isEmpty())
            return m_pending.clear();
        m_session.exec(m_pending, Failed);
        m_pending.clear();
    }

    Session& m_session;
    QByteArray m_pending, m_rows;
    bool m_inCopy = false;
};

// Streams pg_restore's script of the archive into the session.
void load(Session& session, const QString& picked, const std::function<void()>& busy) {
    QProcess restore;
    ServerTools::start(restore, QStringLiteral("pg_restore"),
                       {QStringLiteral("--no-owner"), QStringLiteral("--file=-"), picked});
    if (!restore.waitForStarted())
        throw Refusal{QStringLiteral("本机缺少 PostgreSQL 的 pg_restore 程序")};
    ScriptLoader loader(session);
    std::optional<Refusal> failed;
    auto feed = [&](const QByteArray& line) {
        if (failed || line.isEmpty())
            return;
        try {
            loader.line(line);
        } catch (const Refusal& e) {
            failed = e; // the rest is read all the same: a damaged archive says so first
        }
    };
    auto drain = [&] {
        while (restore.canReadLine())
            feed(restore.readLine());
    };
    while (restore.state() != QProcess::NotRunning) {
        drain();
        restore.waitForReadyRead(50);
        if (busy)
            busy();
    }
    drain();
    feed(restore.readAll()); // a last line without its end
    if (restore.exitStatus() != QProcess::NormalExit || restore.exitCode() != 0)
        throw Refusal{ServerTools::archiveReason(restore.readAllStandardError())};
    if (failed)
        throw *failed;
    loader.end();
}

void swap(Session& session, const ServerTools::Listing& listing, const QString& picked,
          const std::function<void()>& busy) {
    const QString failed = QStringLiteral("服务器数据库无法恢复");
    const QString live = session.value(QStringLiteral("SELECT current_schema()"), failed);
    if (live.isEmpty())
        throw Refusal{failed};
    const QString aside =
        QStringLiteral("qintara_aside_") + QUuid::createUuid().toString(QUuid::Id128);
    const QString waitAtMost =
        QStringLiteral("SET LOCAL lock_timeout = '%1s'").arg(LockWaitSeconds);
    session.exec(QStringLiteral("BEGIN"), failed);
    session.exec(waitAtMost, failed);
    session.exec(QStringLiteral("ALTER SCHEMA %1 RENAME TO %2")
                     .arg(SqlDialect::identifier(live), SqlDialect::identifier(aside)),
                 failed);
    if (!listing.createsSchema)
        session.exec(QStringLiteral("CREATE SCHEMA ") + SqlDialect::identifier(listing.schema),
                     failed);
    load(session, picked, busy);
    if (listing.schema != live)
        session.exec(QStringLiteral("ALTER SCHEMA %1 RENAME TO %2")
                         .arg(SqlDialect::identifier(listing.schema), SqlDialect::identifier(live)),
                     failed);
    // the script emptied the search path and lifted the lock timeout
    session.exec(QStringLiteral("SET LOCAL search_path = %1, %2")
                         .arg(SqlDialect::identifier(live), ServerSchema::ExtensionSchema) +
                     u';' + waitAtMost,
                 failed);
    if (const QString why = ServerCheck::problem(session.database(), live); !why.isEmpty())
        throw Refusal{why};
    session.exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(SqlDialect::identifier(aside)),
                 failed);
    session.exec(QStringLiteral("SELECT pg_notify('%1', '%2')")
                     .arg(ServerSchema::ChangeChannel, ServerRestore::RestoredNotice),
                 failed);
    session.exec(QStringLiteral("COMMIT"), failed);
}

} // namespace

namespace ServerRestore {

const QString RestoredNotice = QStringLiteral("*:restore:0");

QString run(const QString& address, const QString& picked, const std::function<void()>& busy) {
    if (!QFileInfo(picked).isFile())
        return QStringLiteral("所选文件不存在");
    const ServerTools::Listing listing = ServerTools::list(picked, busy);
    if (!listing.problem.isEmpty())
        return listing.problem;
    const auto server = RegisterAddress::server(address);
    if (!server)
        throw DataError(QStringLiteral("数据库地址 %1 无效").arg(RegisterAddress::shown(address)));
    Session session(*server);
    try {
        swap(session, listing, picked, busy);
        return {};
    } catch (const Refusal& e) {
        session.abandon();
        return e.why;
    }
}

} // namespace ServerRestore
