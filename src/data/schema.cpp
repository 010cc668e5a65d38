#include "schema.h"

#include "database.h"
#include "dataerror.h"
#include "serverschema.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <utility>

namespace {

const char* const ReceivableSums = "CREATE INDEX IF NOT EXISTS AccountReceive_Sums ON "
                                   "AccountReceive (CompactID, 应收金额, 实收金额)";
const char* const PayableSums = "CREATE INDEX IF NOT EXISTS AccountPayable_Sums ON AccountPayable "
                                "(CompactID, 应付金额, 实付金额)";

// Every column the contract list reads, so that SQLite answers the list from this index alone
// instead of reading each contract's long text with it.
const char* const ContractList =
    "CREATE INDEX IF NOT EXISTS Compact_List ON Compact (CompactID, 合同编号, 合同名称, "
    "合同金额, 签订日期, 收付类型, 所属部门, 责任人, 合同类型, SCNum, 录入, 修改, 开始日期, "
    "截止日期, 录入日期, 执行情况, 文件位置)";

// cc is the instalment's open amount, so cc > 0 means "still to be settled". The contract's
// number, name and partner come from the contract list's index: the rows themselves carry the
// long texts, and reading them for a hundred thousand instalments costs more than the scan.
const char* const ReceivableDetail = R"(CREATE VIEW 合同应收款表_明细 AS
        SELECT r.应收日期, r.应收金额, r.实收金额, c.合同编号, c.合同名称, s.ScName AS 客户名称,
               c.CompactID, coalesce(r.应收金额, 0) - coalesce(r.实收金额, 0) AS cc
        FROM AccountReceive r
        JOIN Compact c INDEXED BY Compact_List ON c.CompactID = r.CompactID
        LEFT JOIN server s ON s.ScNum = c.SCNum
        ORDER BY r.ID)";
const char* const PayableDetail = R"(CREATE VIEW 合同应付款表_明细 AS
        SELECT p.应付日期, p.应付金额, p.实付金额, c.合同编号, c.合同名称, s.ScName AS 供应商,
               c.CompactID, coalesce(p.应付金额, 0) - coalesce(p.实付金额, 0) AS cc
        FROM AccountPayable p
        JOIN Compact c INDEXED BY Compact_List ON c.CompactID = p.CompactID
        LEFT JOIN server s ON s.ScNum = c.SCNum
        ORDER BY p.ID)";

// One row per customer (and per partner with receivables); sums stay NULL without rows. The
// sums are taken per contract first, walking the amounts' index in contract order, so that the
// contracts are then met once each and in order rather than a million times at random.
const char* const ReceivableTotals = R"(CREATE VIEW 合同应收款表 AS
        SELECT s.ScNum AS 客户编号, s.ScName AS 客户名称, coalesce(a.n, 0) AS 合同数,
               a.due AS 应收金额, a.done AS 实收金额
        FROM server s
        LEFT JOIN (SELECT c.SCNum AS k, count(*) AS n, sum(t.due) AS due, sum(t.done) AS done
                   FROM (SELECT CompactID, sum(应收金额) AS due, sum(实收金额) AS done
                         FROM AccountReceive GROUP BY CompactID) t
                   JOIN Compact c INDEXED BY Compact_List ON c.CompactID = t.CompactID
                   GROUP BY c.SCNum) a ON a.k = s.ScNum
        WHERE s.客户 = 1 OR a.k IS NOT NULL
        ORDER BY s.ID)";
const char* const PayableTotals = R"(CREATE VIEW 合同应付款表 AS
        SELECT s.ScNum AS 供应商编号, s.ScName AS 供应商名称, coalesce(a.n, 0) AS 合同数,
               a.due AS 应付金额, a.done AS 实付金额
        FROM server s
        LEFT JOIN (SELECT c.SCNum AS k, count(*) AS n, sum(t.due) AS due, sum(t.done) AS done
                   FROM (SELECT CompactID, sum(应付金额) AS due, sum(实付金额) AS done
                         FROM AccountPayable GROUP BY CompactID) t
                   JOIN Compact c INDEXED BY Compact_List ON c.CompactID = t.CompactID
                   GROUP BY c.SCNum) a ON a.k = s.ScNum
        WHERE s.供应商 = 1 OR a.k IS NOT NULL
        ORDER BY s.ID)";

// Each statement on its own; SQLite through Qt runs one statement per exec. Unique text keys
// compare without regard to case, so "HT-7" and "ht-7" cannot both be stored; registers made
// before keep their case-sensitive keys, and their rows, as they are.
const char* const Statements[] = {
    R"(CREATE TABLE Compact (
        合同编号 TEXT COLLATE NOCASE UNIQUE CHECK (length(合同编号) <= 18),
        合同名称 TEXT CHECK (length(合同名称) <= 50),
        合同金额 INTEGER,
        签订日期 TEXT,
        收付类型 TEXT CHECK (length(收付类型) <= 10),
        所属部门 TEXT CHECK (length(所属部门) <= 20),
        责任人 TEXT CHECK (length(责任人) <= 20),
        CompactID INTEGER PRIMARY KEY AUTOINCREMENT,
        合同类型 TEXT CHECK (length(合同类型) <= 20),
        SCNum TEXT CHECK (length(SCNum) <= 20),
        录入 TEXT CHECK (length(录入) <= 10),
        修改 TEXT CHECK (length(修改) <= 10),
        开始日期 TEXT,
        截止日期 TEXT,
        录入日期 TEXT,
        执行情况 TEXT CHECK (length(执行情况) <= 10),
        合同内容 TEXT,
        文件位置 TEXT))",
    "CREATE INDEX Compact_SCNum ON Compact (SCNum)",
    R"(CREATE TABLE AccountReceive (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        应收日期 TEXT,
        应收金额 INTEGER,
        实收金额 INTEGER,
        实收日期 TEXT,
        发票额 INTEGER,
        备注 TEXT CHECK (length(备注) <= 30),
        c1 TEXT CHECK (length(c1) <= 50),
        CompactID INTEGER))",
    "CREATE INDEX AccountReceive_CompactID ON AccountReceive (CompactID)",
    R"(CREATE TABLE AccountPayable (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        应付日期 TEXT,
        应付金额 INTEGER,
        实付金额 INTEGER,
        实付日期 TEXT,
        发票额 INTEGER,
        备注 TEXT CHECK (length(备注) <= 30),
        c1 TEXT CHECK (length(c1) <= 50),
        CompactID INTEGER))",
    "CREATE INDEX AccountPayable_CompactID ON AccountPayable (CompactID)",
    // The partner totals read the amounts from these alone, not from the instalment rows.
    ReceivableSums,
    PayableSums,
    ContractList,
    // ScName is the one required column: empty text is stored as NULL, so NOT NULL catches it.
    R"(CREATE TABLE server (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        ScNum TEXT COLLATE NOCASE UNIQUE CHECK (length(ScNum) <= 18),
        ScName TEXT NOT NULL CHECK (ScName <> '' AND length(ScName) <= 30),
        联系人 TEXT CHECK (length(联系人) <= 30),
        联系电话 TEXT CHECK (length(联系电话) <= 30),
        地址邮编 TEXT CHECK (length(地址邮编) <= 50),
        简称 TEXT CHECK (length(简称) <= 10),
        客户 INTEGER,
        供应商 INTEGER))",
    R"(CREATE TABLE Department (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        部门名称 TEXT COLLATE NOCASE UNIQUE CHECK (length(部门名称) <= 20)))",
    R"(CREATE TABLE Operator (
        OperatorName TEXT COLLATE NOCASE UNIQUE CHECK (length(OperatorName) <= 10),
        增加 INTEGER,
        删除 INTEGER,
        修改 INTEGER,
        用户权限设置 INTEGER,
        数据备份 INTEGER,
        数据恢复 INTEGER,
        k1 INTEGER,
        OperatorID INTEGER PRIMARY KEY AUTOINCREMENT,
        Password TEXT CHECK (length(Password) <= 10),
        审核 INTEGER,
        收款管理 INTEGER,
        付款管理 INTEGER,
        PasswordHash TEXT))",
    R"(CREATE TABLE CompactType (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        类型名称 TEXT COLLATE NOCASE UNIQUE CHECK (length(类型名称) <= 20)))",
    // Stamp-tax rates by partner; a partner may have several rows, the first one counts.
    R"(CREATE TABLE StampTax (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        SCNum TEXT CHECK (length(SCNum) <= 20),
        印花税率 REAL))",
    ReceivableDetail,
    PayableDetail,
    ReceivableTotals,
    PayableTotals,
    R"(CREATE VIEW 合同统计_客户及供应商 AS
        SELECT s.ScNum AS "客户/供应商编号", s.ScName AS "客户/供应商名称", s.简称,
               (SELECT count(*) FROM Compact c WHERE c.SCNum = s.ScNum) AS 合同数量,
               s.客户, s.供应商
        FROM server s
        ORDER BY s.ID)",
    R"(CREATE VIEW 合同_印花税 AS
        SELECT SCNum, 印花税率 FROM StampTax ORDER BY ID)",
};

// Files kept with their contracts: the list row apart from the bytes, so that the file list
// never reads them; the bytes in parts, so that no file is ever held whole in memory.
const char* const FileStatements[] = {
    R"(CREATE TABLE IF NOT EXISTS CompactFile (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        CompactID INTEGER NOT NULL,
        文件名 TEXT NOT NULL CHECK (文件名 <> '' AND length(文件名) <= 255),
        大小 INTEGER NOT NULL CHECK (大小 >= 0),
        添加日期 TEXT,
        添加人 TEXT CHECK (length(添加人) <= 10),
        校验 TEXT))",
    "CREATE INDEX IF NOT EXISTS CompactFile_CompactID ON CompactFile (CompactID)",
    R"(CREATE TABLE IF NOT EXISTS CompactFilePart (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        FileID INTEGER NOT NULL,
        Part INTEGER NOT NULL,
        Bytes BLOB NOT NULL,
        UNIQUE (FileID, Part)))",
};

// Trigram postings without positions keep the index small; the LIKE confirms every hit.
const char* const TextIndexStatements[] = {
    R"(CREATE VIRTUAL TABLE CompactText USING fts5(合同内容, content='Compact',
        content_rowid='CompactID', tokenize='trigram', detail='none'))",
    R"(CREATE TRIGGER CompactText_insert AFTER INSERT ON Compact BEGIN
        INSERT INTO CompactText (rowid, 合同内容) VALUES (new.CompactID, new.合同内容);
    END)",
    R"(CREATE TRIGGER CompactText_delete AFTER DELETE ON Compact BEGIN
        INSERT INTO CompactText (CompactText, rowid, 合同内容)
            VALUES ('delete', old.CompactID, old.合同内容);
    END)",
    R"(CREATE TRIGGER CompactText_update AFTER UPDATE OF 合同内容, CompactID ON Compact BEGIN
        INSERT INTO CompactText (CompactText, rowid, 合同内容)
            VALUES ('delete', old.CompactID, old.合同内容);
        INSERT INTO CompactText (rowid, 合同内容) VALUES (new.CompactID, new.合同内容);
    END)",
    "INSERT INTO CompactText (CompactText) VALUES ('rebuild')",
};

// The change history of the contracts and their instalments: one row per field changed, its
// values as the store keeps them. Rows are only ever added.
const char* const HistoryStatements[] = {
    R"(CREATE TABLE IF NOT EXISTS CompactHistory (
        ID INTEGER PRIMARY KEY AUTOINCREMENT,
        CompactID INTEGER NOT NULL,
        合同编号 TEXT COLLATE NOCASE,
        时间 TEXT NOT NULL,
        操作员 TEXT,
        操作 TEXT NOT NULL,
        对象 TEXT NOT NULL,
        记录ID INTEGER,
        字段 TEXT NOT NULL,
        原值,
        新值))",
    "CREATE INDEX IF NOT EXISTS CompactHistory_CompactID ON CompactHistory (CompactID)",
    "CREATE INDEX IF NOT EXISTS CompactHistory_Number ON CompactHistory (合同编号)",
};

void exec(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw DataError(q.lastError().text());
}

// A view whose stored text differs is dropped and made again, both or neither.
void replaceView(QSqlDatabase& db, const QString& name, const QString& statement) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'view' AND name = ?"));
    q.addBindValue(name);
    if (!q.exec() || !q.next() || q.value(0).toString() == statement)
        return;
    q.finish();
    try {
        Database::Savepoint savepoint(db);
        if (q.exec(QStringLiteral("DROP VIEW \"%1\"").arg(name)) && q.exec(statement))
            savepoint.release();
    } catch (const DataError&) {
    }
}

// The statement as the connection's store takes it.
QString dialect(QSqlDatabase& db, const char* statement) {
    const QString sql = QString::fromUtf8(statement);
    return Database::onServer(db) ? ServerSchema::translated(sql) : sql;
}

bool hasServerIndex(QSqlDatabase& db, const QString& name) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM pg_indexes WHERE schemaname = current_schema() "
                             "AND indexname = ?"));
    q.addBindValue(name);
    return q.exec() && q.next();
}

// A register on a server made before the partner index: the index, and the partner sums that
// read through it. Quietly nothing without the right to change the schema.
void addPartnerIndex(QSqlDatabase& db) {
    const QList<ServerSchema::Index>& indexes = ServerSchema::partnerIndexes();
    if (std::all_of(indexes.begin(), indexes.end(), [&db](const ServerSchema::Index& index) {
            return hasServerIndex(db, index.name);
        }))
        return;
    try {
        Database::Savepoint savepoint(db);
        QSqlQuery q(db);
        bool done = true;
        for (const ServerSchema::Index& index : indexes)
            done = done && q.exec(index.statement);
        for (const char* view : {ReceivableTotals, PayableTotals})
            done =
                done && q.exec(dialect(db, view).replace(QStringLiteral("CREATE VIEW"),
                                                         QStringLiteral("CREATE OR REPLACE VIEW")));
        if (done)
            savepoint.release();
    } catch (const DataError&) {
    }
}

// Runs every statement, or leaves the register as it was when one fails: a savepoint, inside
// a transaction or not.
template <size_t N> bool allOrNothing(QSqlDatabase& db, const char* const (&statements)[N]) {
    try {
        Database::Savepoint savepoint(db);
        QSqlQuery q(db);
        for (const char* statement : statements)
            if (!q.exec(dialect(db, statement)))
                return false;
        savepoint.release();
        return true;
    } catch (const DataError&) {
        return false;
    }
}

} // namespace

namespace Schema {

const QString TextIndex = QStringLiteral("CompactText");
const QString HistoryTable = QStringLiteral("CompactHistory");

const QStringList& optionalTables() {
    static const QStringList names{HistoryTable};
    return names;
}

bool addHistory(QSqlDatabase& db) {
    return allOrNothing(db, HistoryStatements);
}

const QStringList& contractTypes() {
    static const QStringList types{
        QStringLiteral("购销合同"),         QStringLiteral("加工承揽"),
        QStringLiteral("建设工程勘察设计"), QStringLiteral("财产租赁"),
        QStringLiteral("货物运输"),         QStringLiteral("仓储保管"),
        QStringLiteral("借款合同"),         QStringLiteral("财产保险"),
        QStringLiteral("技术合同"),         QStringLiteral("产权转移书据"),
        QStringLiteral("营业帐薄")};
    return types;
}

const QStringList& requiredTables() {
    static const QStringList names{
        QStringLiteral("Compact"),        QStringLiteral("AccountReceive"),
        QStringLiteral("AccountPayable"), QStringLiteral("server"),
        QStringLiteral("Department"),     QStringLiteral("Operator"),
        QStringLiteral("CompactType")};
    return names;
}

const QStringList& requiredViews() {
    static const QStringList names{
        QStringLiteral("合同应收款表_明细"),     QStringLiteral("合同应付款表_明细"),
        QStringLiteral("合同应收款表"),          QStringLiteral("合同应付款表"),
        QStringLiteral("合同统计_客户及供应商"), QStringLiteral("合同_印花税")};
    return names;
}

const QHash<QString, QStringList>& columnsAddedOnOpen() {
    static const QHash<QString, QStringList> columns{
        {QStringLiteral("Operator"), {QStringLiteral("PasswordHash")}}};
    return columns;
}

std::optional<FieldType> columnType(const QString& column) {
    static const QHash<QString, FieldType> types = [] {
        QHash<QString, FieldType> t;
        for (const char* name :
             {"合同金额", "应收金额", "实收金额", "应付金额", "实付金额", "发票额", "cc"})
            t.insert(QString::fromUtf8(name).toLower(), FieldType::Currency);
        for (const char* name : {"签订日期", "开始日期", "截止日期", "录入日期", "应收日期",
                                 "实收日期", "应付日期", "实付日期"})
            t.insert(QString::fromUtf8(name).toLower(), FieldType::DateTime);
        for (const char* name : {"CompactID", "OperatorID", "ID", "合同数", "合同数量"})
            t.insert(QString::fromUtf8(name).toLower(), FieldType::Integer);
        t.insert(QStringLiteral("印花税率"), FieldType::Float);
        t.insert(QStringLiteral("合同内容"), FieldType::Memo);
        t.insert(QStringLiteral("文件位置"), FieldType::Memo);
        return t;
    }();
    auto it = types.constFind(column.toLower());
    if (it == types.constEnd())
        return std::nullopt;
    return it.value();
}

void upgrade(QSqlDatabase& db) {
    if (Database::onServer(db)) {
        // registers on a server are made by this version, some before their extensions had
        // a schema of their own or before they announced changes
        ServerSchema::upgrade(db);
        addPartnerIndex(db);
        if (!ServerSchema::announcesChanges(db))
            for (const QString& statement : ServerSchema::notificationStatements()) {
                QSqlQuery q(db);
                q.exec(statement);
            }
        return;
    }
    for (const char* statement : {ReceivableSums, PayableSums, ContractList}) {
        QSqlQuery q(db);
        q.exec(QString::fromUtf8(statement)); // a register that cannot be written stays as it is
    }
    addHistory(db);
    for (const char* statement : FileStatements) {
        QSqlQuery q(db);
        q.exec(QString::fromUtf8(statement));
    }
    // The instalment views of earlier versions read the contracts' rows; these name the index,
    // so they change only once it is there.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = "
                               "'Compact_List'")) ||
        !q.next())
        return;
    q.finish();
    for (const auto& [name, statement] :
         {std::pair{"合同应收款表_明细", ReceivableDetail},
          std::pair{"合同应付款表_明细", PayableDetail},
          std::pair{"合同应收款表", ReceivableTotals}, std::pair{"合同应付款表", PayableTotals}})
        replaceView(db, QString::fromUtf8(name), QString::fromUtf8(statement));
}

void create(QSqlDatabase& db) {
    const bool server = Database::onServer(db);
    if (server)
        for (const QString& statement : ServerSchema::prerequisites())
            exec(db, statement);
    if (!db.transaction())
        throw DataError(db.lastError().text());
    try {
        for (const char* statement : Statements)
            if (!server || statement != ContractList) // a server has the partner indexes
                exec(db, dialect(db, statement));
        for (const ServerSchema::Index& index :
             server ? ServerSchema::partnerIndexes() : QList<ServerSchema::Index>())
            exec(db, index.statement);
        for (const char* statement : FileStatements)
            exec(db, dialect(db, statement));
        addTextIndex(db);
        for (const QString& statement :
             server ? ServerSchema::notificationStatements() : QStringList())
            exec(db, statement);
        if (!addHistory(db))
            throw DataError(QStringLiteral("无法建立合同修改记录表"));
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO CompactType (类型名称) VALUES (?)"));
        for (const QString& type : contractTypes()) {
            insert.addBindValue(type);
            if (!insert.exec())
                throw DataError(insert.lastError().text());
        }
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw DataError(db.lastError().text());
}

QString objectsQuery(QSqlDatabase& db) {
    return Database::onServer(db) ? ServerSchema::objectsQuery()
                                  : QStringLiteral("SELECT type, name FROM sqlite_master");
}

bool holdsRegister(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(objectsQuery(db)))
        return false;
    while (q.next())
        if (q.value(1).toString().compare(QLatin1String("Compact"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool hasTextIndex(QSqlDatabase& db) {
    if (Database::onServer(db))
        return hasServerIndex(db, ServerSchema::TextIndexName);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(TextIndex);
    return q.exec() && q.next();
}

bool addTextIndex(QSqlDatabase& db) {
    if (hasTextIndex(db))
        return true;
    if (Database::onServer(db)) {
        QSqlQuery q(db);
        return q.exec(QString::fromUtf8(ServerSchema::TextIndexStatement));
    }
    return allOrNothing(db, TextIndexStatements);
}

void dropTextIndex(QSqlDatabase& db) {
    if (Database::onServer(db)) {
        exec(db, QStringLiteral("DROP INDEX IF EXISTS ") + ServerSchema::TextIndexName);
        return;
    }
    for (const char* statement :
         {"DROP TRIGGER IF EXISTS CompactText_insert", "DROP TRIGGER IF EXISTS CompactText_delete",
          "DROP TRIGGER IF EXISTS CompactText_update", "DROP TABLE IF EXISTS CompactText"})
        exec(db, QString::fromUtf8(statement));
}

} // namespace Schema
