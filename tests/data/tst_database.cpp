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
};
QINTARA_TEST(TestDatabase)
#include "tst_database.moc"
