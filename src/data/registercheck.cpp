#include "registercheck.h"

#include "schema.h"
#include "sqlitereason.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <chrono>
#include <future>
#include <memory>
#include <sqlite3.h>

namespace {

using Columns = QHash<QString, QSet<QString>>; // table or view -> lower-case column names
using Handle = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;
using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

const QString Incomplete = QStringLiteral("文件不完整（大小与页数不符）");

// Thrown inside the check with the user's reason.
struct Unusable {
    QString why;
};

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
                for (const QString& object : requiredNames() + Schema::optionalTables()) {
                    q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
                    q.addBindValue(object);
                    q.exec();
                    while (q.next())
                        result[object].insert(q.value(0).toString().toLower());
                    for (const QString& later : Schema::columnsAddedOnOpen().value(object))
                        result[object].remove(later.toLower());
                }
            }
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }();
    return columns;
}

Statement prepared(sqlite3* h, const char* sql) {
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    Statement statement(st, sqlite3_finalize);
    if (rc != SQLITE_OK)
        throw Unusable{SqliteReason::text(rc)};
    return statement;
}

QString textOf(sqlite3_stmt* st, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)));
}

// The first result of a one-value statement.
QString single(sqlite3* h, const char* sql) {
    Statement st = prepared(h, sql);
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW)
        return textOf(st.get(), 0);
    if (rc != SQLITE_DONE)
        throw Unusable{SqliteReason::text(rc)};
    return {};
}

quint32 bigEndian(const QByteArray& bytes, int at, int size) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

// Only files that begin as SQLite files are opened at all. A file cut short, or grown by a
// write that never finished, is not the register its header describes.
void checkHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Unusable{QStringLiteral("文件无法读取")};
    if (file.size() == 0)
        throw Unusable{QStringLiteral("文件是空的")};
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3", 16)))
        throw Unusable{QStringLiteral("不是数据库文件")};
    const quint32 sizeField = bigEndian(header, 16, 2);
    const qint64 pageSize = sizeField == 1 ? 65536 : sizeField;
    // the page count in the header counts when the change counter vouches for it
    const bool counted = bigEndian(header, 24, 4) == bigEndian(header, 92, 4);
    const qint64 pages = bigEndian(header, 28, 4);
    if (pageSize < 512 || file.size() % pageSize != 0 ||
        (counted && pages != 0 && file.size() != pages * pageSize))
        throw Unusable{Incomplete};
}

void checkColumns(sqlite3* h) {
    Statement st = prepared(h, "SELECT name FROM pragma_table_info(?)");
    const QString missing = RegisterCheck::schemaProblem([&st](const QString& object) {
        const QByteArray name = object.toUtf8();
        sqlite3_reset(st.get());
        sqlite3_bind_text(st.get(), 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        QSet<QString> have;
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
            have.insert(textOf(st.get(), 0).toLower());
        if (rc != SQLITE_DONE)
            throw Unusable{SqliteReason::text(rc)};
        return have;
    });
    if (!missing.isEmpty())
        throw Unusable{missing};
}

void checkSize(sqlite3* h, const QString& path) {
    const qint64 pageSize = single(h, "PRAGMA page_size").toLongLong();
    const qint64 pages = single(h, "PRAGMA page_count").toLongLong();
    if (pageSize <= 0 || QFileInfo(path).size() != pageSize * pages)
        throw Unusable{Incomplete};
}

bool hasTextIndex(sqlite3* h) {
    return !single(h, "SELECT name FROM sqlite_master WHERE name = 'CompactText'").isEmpty();
}

// Stored contract files: every file's parts add up to its size, and no part is left without
// its file. Only the lengths are read, never the bytes. Registers made before they existed
// have neither table.
QString fileDamage(sqlite3* h) {
    if (single(h, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                  "('CompactFile', 'CompactFilePart')") != QLatin1String("2"))
        return {};
    const char* const disagreeing =
        "SELECT EXISTS (SELECT 1 FROM CompactFile f WHERE f.大小 IS NOT (SELECT "
        "coalesce(sum(length(p.Bytes)), 0) FROM CompactFilePart p WHERE p.FileID = f.ID))";
    const char* const stray = "SELECT EXISTS (SELECT 1 FROM CompactFilePart p WHERE NOT EXISTS "
                              "(SELECT 1 FROM CompactFile f WHERE f.ID = p.FileID))";
    for (const char* sql : {disagreeing, stray})
        if (single(h, sql) != QLatin1String("0"))
            return QStringLiteral("存入的合同文件已损坏（大小与内容不符）");
    return {};
}

QString tableDamage(sqlite3* h) {
    if (single(h, "PRAGMA integrity_check(1)") != QLatin1String("ok"))
        return QStringLiteral("文件已损坏");
    return {};
}

QString textIndexDamage(sqlite3* h) {
    if (!hasTextIndex(h))
        return {};
    // the index's own check, a command that changes nothing, in a transaction undone after
    sqlite3_exec(h, "SAVEPOINT text_check", nullptr, nullptr, nullptr);
    const int rc =
        sqlite3_exec(h, "INSERT INTO CompactText (CompactText) VALUES ('integrity-check')", nullptr,
                     nullptr, nullptr);
    sqlite3_exec(h, "ROLLBACK TO text_check; RELEASE text_check", nullptr, nullptr, nullptr);
    if ((rc & 0xff) == SQLITE_CORRUPT)
        return QStringLiteral("合同内容的全文索引已损坏");
    if (rc != SQLITE_OK)
        throw Unusable{SqliteReason::text(rc)};
    return {};
}

// What the checks beside the tables' own find, one after the other on one connection: its reads
// never start while the other connection holds the file for its text-index check.
QString contentDamage(sqlite3* h) {
    const QString text = textIndexDamage(h);
    return text.isEmpty() ? fileDamage(h) : text;
}

// A check on a thread of its own; Unusable comes back as its reason.
std::future<QString> beside(const std::function<QString()>& check) {
    return std::async(std::launch::async, [check] {
        try {
            return check();
        } catch (const Unusable& e) {
            return e.why;
        }
    });
}

Handle openForCheck(const QString& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    Handle h(raw, sqlite3_close);
    if (rc != SQLITE_OK)
        throw Unusable{SqliteReason::text(rc)};
    sqlite3_extended_result_codes(raw, 1);
    return h;
}

} // namespace

namespace RegisterCheck {

QString schemaProblem(const std::function<QSet<QString>(const QString& object)>& columnsOf) {
    const Columns& need = reference();
    const QStringList optional = Schema::optionalTables();
    for (const QString& object : requiredNames() + optional) {
        const QSet<QString> have = columnsOf(object);
        if (have.isEmpty() && optional.contains(object))
            continue; // a register from before the table; opening it adds the table
        if (have.isEmpty())
            return QStringLiteral("不是合同数据库（缺少 %1）").arg(object);
        for (const QString& column : need.value(object))
            if (!have.contains(column))
                return QStringLiteral("不是合同数据库（%1 缺少列 %2）").arg(object, column);
    }
    return {};
}

QString damage(sqlite3* handle) {
    try {
        const QString tables = tableDamage(handle);
        return tables.isEmpty() ? contentDamage(handle) : tables;
    } catch (const Unusable& e) {
        return e.why;
    }
}

QString problem(const QString& path, const std::function<void()>& busy) {
    try {
        if (!QFileInfo(path).isFile())
            return QStringLiteral("文件不存在");
        checkHeader(path);
        Handle h = openForCheck(path);
        checkColumns(h.get());
        checkSize(h.get(), path);
        Handle text = openForCheck(path);
        // pages read straight from the mapped file: a good deal less work on a large register
        for (sqlite3* each : {h.get(), text.get()})
            sqlite3_exec(each, "PRAGMA mmap_size = 4294967296", nullptr, nullptr, nullptr);
        // Every page is read, by two checks at once; the caller's thread stays free to keep its
        // window alive.
        auto tables = beside([&h] { return tableDamage(h.get()); });
        auto index = beside([&text] { return contentDamage(text.get()); });
        if (busy)
            for (auto* check : {&tables, &index})
                while (check->wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
                    busy();
        const QString damaged = tables.get();
        const QString indexDamaged = index.get();
        return damaged.isEmpty() ? indexDamaged : damaged;
    } catch (const Unusable& e) {
        return e.why;
    }
}

} // namespace RegisterCheck
