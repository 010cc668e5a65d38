#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "data/database.h"
#include "data/schema.h"

#include <QFile>
#include <QSqlQuery>
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
        QCOMPARE(f.scalar(QStringLiteral("SELECT group_concat(类型名称, ',') FROM (SELECT 类型名称 "
                                         "FROM CompactType ORDER BY ID)"))
                     .toString(),
                 Schema::contractTypes().join(u','));
        QCOMPARE(
            f.scalar(QStringLiteral(
                         "SELECT count(*) FROM Operator WHERE OperatorName = '管理员' AND Password "
                         "IS NULL "
                         "AND 增加 AND 删除 AND 修改 AND 用户权限设置 AND 数据备份 AND 数据恢复"))
                .toInt(),
            1);
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
        try {
            f.exec(sql);
            QFAIL("accepted");
        } catch (const DataError& e) {
            QCOMPARE(int(e.category()), category);
            QVERIFY(!e.text().isEmpty());
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
