#include "registercheck.h"

#include "database.h"
#include "schema.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QUuid>
#include <chrono>
#include <future>
#include <memory>
#include <sqlite3.h>

namespace {

using Columns = QHash<QString, QSet<QString>>; // table or view -> lower-case column names

QStringList requiredNames() {
    return Schema::requiredTables() + Schema::requiredViews();
}

// What a register made by this program holds: learnt once from the schema code itself.
const Columns& reference() {
    static const Columns columns = [] {
        Columns result;
        const QString name = QStringLiteral("qintara-reference-") + QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(QStringLiteral(":memory:"));
            if (db.open()) {
                Schema::create(db);
                QSqlQuery q(db);
                for (const QString& object : requiredNames()) {
                    q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
                    q.addBindValue(object);
                    q.exec();
                    while (q.next())
                        result[object].insert(q.value(0).toString().toLower());
                }
            }
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }();
    return columns;
}

using Handle = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

Handle openReadOnly(const QString& path, QString& why) {
    sqlite3* h = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &h,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    Handle handle(h, sqlite3_close);
    if (rc != SQLITE_OK)
        why =
            QStringLiteral("文件 %1 无法打开：%2").arg(path, QString::fromUtf8(sqlite3_errstr(rc)));
    return handle;
}

QString missingColumn(sqlite3* h) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT name FROM pragma_table_info(?)", -1, &st, nullptr) !=
        SQLITE_OK)
        return QStringLiteral("无法读取表结构");
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    const Columns& need = reference();
    for (const QString& object : requiredNames()) {
        const QByteArray name = object.toUtf8();
        sqlite3_reset(st);
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        QSet<QString> have;
        while (sqlite3_step(st) == SQLITE_ROW)
            have.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                            .toLower());
        for (const QString& column : need.value(object))
            if (!have.contains(column))
                return QStringLiteral("%1 缺少列 %2").arg(object, column);
    }
    return {};
}

// "ok", or the first damage found.
QString quickCheck(sqlite3* h) {
    // pages read straight from the mapped file: a good deal less work on a large register
    sqlite3_exec(h, "PRAGMA mmap_size = 4294967296", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(h, "PRAGMA quick_check(1)", -1, &st, nullptr);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW)
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    return QString::fromUtf8(sqlite3_errstr(rc));
}

} // namespace

namespace RegisterCheck {

QString problem(const QString& path, const std::function<void()>& busy) {
    if (QString why = Database::checkFile(path); !why.isEmpty())
        return why;
    QString why;
    Handle h = openReadOnly(path, why);
    if (!why.isEmpty())
        return why;
    if (QString gone = missingColumn(h.get()); !gone.isEmpty())
        return QStringLiteral("文件 %1 不是合同数据库：%2").arg(path, gone);
    // The check reads every page: the caller's thread stays free to keep its window alive.
    auto check = std::async(std::launch::async, [&h] { return quickCheck(h.get()); });
    if (busy)
        while (check.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
            busy();
    const QString result = check.get();
    if (result != QLatin1String("ok"))
        return QStringLiteral("文件 %1 已损坏：%2").arg(path, result);
    return {};
}

} // namespace RegisterCheck
