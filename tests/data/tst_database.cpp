#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "common/testserver.h"
#include "data/database.h"
#include "data/passwordhash.h"
#include "data/schema.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openRefusesFilesThatAreNoRegister_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << "missing"
                                 << "不存在";
        QTest::newRow("not a database") << "text"
                                        << "不是合同数据库";
        QTest::newRow("lacks a view") << "noview"
                                      << "缺少 合同_印花税";
        QTest::newRow("lacks a table") << "notable"
                                       << "缺少 Operator";
    }
    void openRefusesFilesThatAreNoRegister() {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.db"));
        if (kind == QLatin1String("text")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else if (kind != QLatin1String("missing")) {
            Database db;
            db.create(path);
            QSqlQuery q(db.connection());
            QVERIFY(q.exec(kind == QLatin1String("noview")
                               ? QStringLiteral("DROP VIEW 合同_印花税")
                               : QStringLiteral("DROP TABLE Operator")));
        }
        Database db;
        try {
            db.open(path);
            QFAIL("opened");
        } catch (const DataError& e) {
            QVERIFY2(e.text().contains(expected), qPrintable(e.text()));
            QVERIFY(e.text().contains(path));
        }
        QVERIFY(!db.isOpen());
        QVERIFY(!Database::checkFile(path).isEmpty());
    }

    void createRefusesToOverwrite() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.db"));
        {
            Database db;
            db.create(path);
        }
        QVERIFY(Database::checkFile(path).isEmpty());
        Database again;
        QVERIFY_THROWS_EXCEPTION(DataError, again.create(path));
        QVERIFY(Database::checkFile(path).isEmpty());
    }

    void newRegisterHoldsTypesAndTheAdministrator() {
        RegisterFixture f;
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM CompactType")).toInt(), 11);
        QCOMPARE(f.firstColumn(QStringLiteral("SELECT 类型名称 FROM CompactType ORDER BY ID")),
                 Schema::contractTypes());
        QCOMPARE(
            f.scalar(QStringLiteral(
                         "SELECT count(*) FROM Operator WHERE OperatorName = '管理员' AND Password "
                         "IS NULL "
                         "AND 增加 = 1 AND 删除 = 1 AND 修改 = 1 AND 用户权限设置 = 1 AND "
                         "数据备份 = 1 AND 数据恢复 = 1"))
                .toInt(),
            1);
        QVERIFY(PasswordHash::matches(
            f.scalar(QStringLiteral("SELECT PasswordHash FROM Operator")).toString(), QString()));
    }

    void saveErrorsAreClassified_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("category");
        QTest::newRow("duplicate contract number")
            << "INSERT INTO Compact (合同编号) VALUES ('HT1')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("duplicate partner number")
            << "INSERT INTO server (ScNum, ScName) VALUES ('P1', 'x')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("duplicate department")
            << "INSERT INTO Department (部门名称) VALUES ('财务部')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("duplicate operator")
            << "INSERT INTO Operator (OperatorName) VALUES ('管理员')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("contract number in another case")
            << "INSERT INTO Compact (合同编号) VALUES ('ht1')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("partner number in another case")
            << "INSERT INTO server (ScNum, ScName) VALUES ('p1', 'y')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("department in another case")
            << "INSERT INTO Department (部门名称) VALUES ('it部')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("operator in another case")
            << "INSERT INTO Operator (OperatorName) VALUES ('ADMIN')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("contract type in another case")
            << "INSERT INTO CompactType (类型名称) VALUES ('ict合同')"
            << int(DataError::Category::DuplicateKey);
        QTest::newRow("partner without name") << "INSERT INTO server (ScNum) VALUES ('P2')"
                                              << int(DataError::Category::MissingRequired);
        QTest::newRow("text too long") << "INSERT INTO Department (部门名称) VALUES "
                                          "('一二三四五六七八九十一二三四五六七八九十一')"
                                       << int(DataError::Category::Other);
    }
    void saveErrorsAreClassified() {
        QFETCH(QString, sql);
        QFETCH(int, category);
        RegisterFixture f;
        f.exec(QStringLiteral("INSERT INTO Compact (合同编号) VALUES ('HT1')"));
        f.exec(QStringLiteral("INSERT INTO server (ScNum, ScName) VALUES ('P1', 'x')"));
        f.exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('财务部')"));
        f.exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('IT部')"));
        f.exec(QStringLiteral("INSERT INTO Operator (OperatorName) VALUES ('Admin')"));
        f.exec(QStringLiteral("INSERT INTO CompactType (类型名称) VALUES ('ICT合同')"));
        try {
            f.exec(sql);
            QFAIL("accepted");
        } catch (const DataError& e) {
            QCOMPARE(int(e.category()), category);
            QVERIFY(!e.text().isEmpty());
        }
    }

    // A register that cannot take a change just now refuses it by meaning, in Chinese.
    void registerStatesAreClassified_data() {
        QTest::addColumn<QString>("state"); // set on the saving connection
        QTest::addColumn<bool>("otherWriting");
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("text");
        QTest::newRow("read-only")
            << "PRAGMA query_only = ON" << false << int(DataError::Category::ReadOnly)
            << "数据库文件不可写入，无法保存。";
        QTest::newRow("full") << "PRAGMA max_page_count = 1" << false
                              << int(DataError::Category::Full) << "磁盘空间不足，无法保存。";
        QTest::newRow("another program writing")
            << "PRAGMA busy_timeout = 0" << true << int(DataError::Category::Busy)
            << "数据库正被其他程序使用，暂时无法保存，请稍后再试。";
    }
    void registerStatesAreClassified() {
        QFETCH(QString, state);
        QFETCH(bool, otherWriting);
        QFETCH(int, category);
        QFETCH(QString, text);
        if (TestServer::active())
            QSKIP("states of the register file");
        RegisterFixture f;
        Database other;
        other.open(f.databasePath());
        QSqlQuery hold(other.connection());
        if (otherWriting)
            QVERIFY(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
        f.exec(state);
        try {
            f.exec(QStringLiteral("INSERT INTO Compact (合同编号, 合同内容) VALUES ('HT1', ?)"),
                   {QString(100000, u'字')});
            QFAIL("accepted");
        } catch (const DataError& e) {
            QCOMPARE(int(e.category()), category);
            QCOMPARE(e.text(), text);
        }
    }

    // Names match whatever their case, as the search and reminder SQL rely on.
    void namesMatchWithoutRegardToCase() {
        RegisterFixture f;
        f.addPartner(QStringLiteral("P1"), QStringLiteral("甲公司"), true, false);
        f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), QStringLiteral("P1"),
                      QStringLiteral("收款"));
        QCOMPARE(
            f
                .scalar(QStringLiteral(
                    "Select Server.Scnum From Compact, Server where Compact.scnum = Server.SCNUM"))
                .toString(),
            QStringLiteral("P1"));
        TDMod& dm = f.openModule();
        QCOMPARE(dm.TBOperator->fieldByName(QStringLiteral("operatorname"))->asString(),
                 QStringLiteral("管理员"));
    }

    // A register made before the contract-text index: opening it adds the index filled from the
    // texts, and the triggers keep it in step from then on.
    void olderRegisterGetsTheTextIndexOnOpening() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.db"));
        auto indexed = [](Database& db, const QString& word) {
            QSqlQuery q(db.connection());
            q.prepare(QStringLiteral("SELECT rowid FROM CompactText WHERE 合同内容 LIKE ? "
                                     "ORDER BY rowid"));
            q.addBindValue(u'%' + word + u'%');
            QStringList ids;
            if (q.exec())
                while (q.next())
                    ids << q.value(0).toString();
            return ids;
        };
        {
            Database db;
            db.create(path);
            QVERIFY(Schema::hasTextIndex(db.connection()));
            QSqlQuery q(db.connection());
            for (const char* sql :
                 {"INSERT INTO Compact (合同编号, 合同内容) VALUES ('A', '钢材采购违约金')",
                  "INSERT INTO Compact (合同编号, 合同内容) VALUES ('B', 'Steel 违约')",
                  "DROP TRIGGER CompactText_insert", "DROP TRIGGER CompactText_delete",
                  "DROP TRIGGER CompactText_update", "DROP TABLE CompactText"})
                QVERIFY2(q.exec(QString::fromUtf8(sql)), sql);
            QVERIFY(!Schema::hasTextIndex(db.connection()));
        }
        Database db;
        db.open(path);
        QVERIFY(Schema::hasTextIndex(db.connection()));
        QCOMPARE(indexed(db, QStringLiteral("违约金")), QStringList{QStringLiteral("1")});
        QCOMPARE(indexed(db, QStringLiteral("STEEL")), QStringList{QStringLiteral("2")});
        QSqlQuery q(db.connection());
        QVERIFY(q.exec(
            QStringLiteral("UPDATE Compact SET 合同内容 = '无违约金' WHERE 合同编号 = 'B'")));
        QVERIFY(q.exec(QStringLiteral("DELETE FROM Compact WHERE 合同编号 = 'A'")));
        QVERIFY(q.exec(
            QStringLiteral("INSERT INTO Compact (合同编号, 合同内容) VALUES ('C', '违约金')")));
        QCOMPARE(indexed(db, QStringLiteral("违约金")),
                 (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
        QCOMPARE(indexed(db, QStringLiteral("steel")), QStringList());
        QVERIFY(q.exec(
            QStringLiteral("INSERT INTO CompactText (CompactText) VALUES ('integrity-check')")));
    }

    // The instalment views as an earlier version made them, which read the contracts' rows, in
    // a register without the contract-list index: opening it adds the index and views that read
    // the contracts from it, with the rows the earlier views gave.
    void olderRegisterGetsTheInstalmentViewsOnOpening_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("earlier");
        QTest::newRow("receivable detail")
            << "合同应收款表_明细"
            << "SELECT r.应收日期, r.应收金额, r.实收金额, c.合同编号, c.合同名称, "
               "s.ScName AS 客户名称, c.CompactID, "
               "coalesce(r.应收金额, 0) - coalesce(r.实收金额, 0) AS cc "
               "FROM AccountReceive r JOIN Compact c ON c.CompactID = r.CompactID "
               "LEFT JOIN server s ON s.ScNum = c.SCNum ORDER BY r.ID";
        QTest::newRow("payable detail")
            << "合同应付款表_明细"
            << "SELECT p.应付日期, p.应付金额, p.实付金额, c.合同编号, c.合同名称, "
               "s.ScName AS 供应商, c.CompactID, "
               "coalesce(p.应付金额, 0) - coalesce(p.实付金额, 0) AS cc "
               "FROM AccountPayable p JOIN Compact c ON c.CompactID = p.CompactID "
               "LEFT JOIN server s ON s.ScNum = c.SCNum ORDER BY p.ID";
        QTest::newRow("per customer")
            << "合同应收款表"
            << "SELECT s.ScNum AS 客户编号, s.ScName AS 客户名称, coalesce(a.n, 0) AS 合同数, "
               "a.due AS 应收金额, a.done AS 实收金额 FROM server s "
               "LEFT JOIN (SELECT c.SCNum AS k, count(DISTINCT c.CompactID) AS n, "
               "sum(r.应收金额) AS due, sum(r.实收金额) AS done "
               "FROM Compact c JOIN AccountReceive r ON r.CompactID = c.CompactID "
               "GROUP BY c.SCNum) a ON a.k = s.ScNum "
               "WHERE s.客户 = 1 OR a.k IS NOT NULL ORDER BY s.ID";
        QTest::newRow("per supplier")
            << "合同应付款表"
            << "SELECT s.ScNum AS 供应商编号, s.ScName AS 供应商名称, coalesce(a.n, 0) AS 合同数, "
               "a.due AS 应付金额, a.done AS 实付金额 FROM server s "
               "LEFT JOIN (SELECT c.SCNum AS k, count(DISTINCT c.CompactID) AS n, "
               "sum(p.应付金额) AS due, sum(p.实付金额) AS done "
               "FROM Compact c JOIN AccountPayable p ON p.CompactID = c.CompactID "
               "GROUP BY c.SCNum) a ON a.k = s.ScNum "
               "WHERE s.供应商 = 1 OR a.k IS NOT NULL ORDER BY s.ID";
    }
    void olderRegisterGetsTheInstalmentViewsOnOpening() {
        QFETCH(QString, view);
        QFETCH(QString, earlier);
        if (TestServer::active())
            QSKIP("registers on a server are all made by this version");
        RegisterFixture f;
        f.addPartner(QStringLiteral("K1"), QStringLiteral("客户一"), true, false);
        f.addPartner(QStringLiteral("G1"), QStringLiteral("供方一"), false, true);
        f.addPartner(QStringLiteral("G2"), QStringLiteral("供方二"), true, true); // no contracts
        const int sale = f.addContract(QStringLiteral("HT-R"), QStringLiteral("销售"),
                                       QStringLiteral("K1"), QStringLiteral("收款"));
        const int buy = f.addContract(QStringLiteral("HT-P"), QStringLiteral("采购"),
                                      QStringLiteral("G1"), QStringLiteral("付款"));
        const int more = f.addContract(QStringLiteral("HT-P2"), QStringLiteral("采购二"),
                                       QStringLiteral("G1"), QStringLiteral("付款"));
        const int stray = f.addContract(QStringLiteral("HT-X"), QStringLiteral("无单位"), {},
                                        QStringLiteral("其它"));
        for (int id : {sale, buy, more, stray}) {
            f.addReceivable(id, QDate(2026, 1, id), 100, 40);
            f.addPayable(id, QVariant(), 30, 0);
            f.addPayable(id, QDate(2026, 3, id), QVariant(), QVariant());
        }
        f.addReceivable(999, QDate(2026, 1, 9), 5); // no contract: in no view
        f.exec(QStringLiteral("DROP INDEX Compact_List"));
        f.exec(QStringLiteral("DROP VIEW ") + view);
        f.exec(QStringLiteral("CREATE VIEW %1 AS %2").arg(view, earlier));

        QSqlDatabase& db = f.openModule().database().connection();
        auto rows = [&db](const QString& sql) {
            QSqlQuery q(db);
            QStringList out;
            if (!q.exec(sql))
                return QStringList(q.lastError().text());
            while (q.next()) {
                QStringList row;
                for (int c = 0; c < q.record().count(); ++c)
                    row << (q.isNull(c) ? QStringLiteral("NULL") : q.value(c).toString());
                out << row.join(u'|');
            }
            return out;
        };
        const QStringList now = rows(QStringLiteral("SELECT * FROM ") + view);
        QVERIFY(now.size() >= 3);
        QCOMPARE(now, rows(earlier));
        const QString plan =
            rows(QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM ") + view).join(u'\n');
        QVERIFY2(plan.contains(QStringLiteral("COVERING INDEX Compact_List")), qPrintable(plan));
        QCOMPARE(Database::checkFile(f.databasePath()), QString());
    }

    // Checking a file never changes it: an older register stays without the index.
    void checkLeavesAnOlderRegisterAsItIs() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.db"));
        {
            Database db;
            db.create(path);
            QSqlQuery q(db.connection());
            for (const char* sql :
                 {"DROP TRIGGER CompactText_insert", "DROP TRIGGER CompactText_delete",
                  "DROP TRIGGER CompactText_update", "DROP TABLE CompactText"})
                QVERIFY(q.exec(QString::fromUtf8(sql)));
        }
        QCOMPARE(Database::checkFile(path), QString());
        QSqlDatabase raw =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        raw.setDatabaseName(path);
        QVERIFY(raw.open());
        const bool has = Schema::hasTextIndex(raw);
        raw.close();
        raw = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        QVERIFY(!has);
    }
};
QINTARA_TEST(TestDatabase)
#include "tst_database.moc"
