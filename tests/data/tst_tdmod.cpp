#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "common/testserver.h"
#include "platform/clock.h"
#include "platform/profilefile.h"

#include <QSqlQuery>
#include <QTest>

class TestDataModule : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stampTax_data() {
        QTest::addColumn<QVariantList>("rates");
        QTest::addColumn<QVariant>("amount");
        QTest::addColumn<double>("tax");
        QTest::newRow("with a rate") << QVariantList{0.0003} << QVariant(10000) << 3.0;
        QTest::newRow("without a rate") << QVariantList{} << QVariant(10000) << 0.0;
        QTest::newRow("two rates: the first counts")
            << QVariantList{0.0005, 0.001} << QVariant(10000) << 5.0;
        QTest::newRow("no amount") << QVariantList{0.0003} << QVariant() << 0.0;
    }
    void stampTax() {
        QFETCH(QVariantList, rates);
        QFETCH(QVariant, amount);
        QFETCH(double, tax);
        RegisterFixture f;
        f.addPartner(QStringLiteral("P1"), QStringLiteral("甲"), true, false);
        f.exec(QStringLiteral("INSERT INTO StampTax (SCNum, 印花税率) VALUES ('P9', 0.5)"));
        for (const QVariant& rate : rates)
            f.exec(QStringLiteral("INSERT INTO StampTax (SCNum, 印花税率) VALUES ('P1', ?)"),
                   {rate});
        f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), QStringLiteral("P1"),
                      QStringLiteral("收款"), amount);
        TDMod& dm = f.openModule();
        QCOMPARE(dm.TBCompacter->fieldByName(QStringLiteral("印花税"))->asFloat(), tax);
        QCOMPARE(dm.TBCompacter->fieldByName(QStringLiteral("往来单位"))->asString(),
                 QStringLiteral("甲"));
    }

    void balance() {
        RegisterFixture f;
        f.addPartner(QStringLiteral("G1"), QStringLiteral("供方一"), false, true);
        f.addPartner(QStringLiteral("G2"), QStringLiteral("供方二"), false, true);
        f.exec(QStringLiteral(
            "INSERT INTO Compact (合同编号, SCNum, 收付类型) VALUES ('A', 'G1', '付款')"));
        f.addPayable(1, QDate(2026, 1, 1), 500, 200);
        TDMod& dm = f.openModule();
        Dataset* zong = dm.TBFuKuanZong;
        TDMod::reread(zong);
        QVERIFY(zong->locate(QStringLiteral("供应商编号"), QStringLiteral("G1")));
        QCOMPARE(zong->fieldByName(QStringLiteral("QKuan"))->asCurrency(),
                 Currency::fromDouble(300));
        QCOMPARE(zong->fieldByName(QStringLiteral("QKuan"))->title(), QStringLiteral("欠款"));
        // A supplier without instalments has no sums, so no balance either.
        QVERIFY(zong->locate(QStringLiteral("供应商编号"), QStringLiteral("G2")));
        QVERIFY(zong->fieldByName(QStringLiteral("应付金额"))->isNull());
        QVERIFY(zong->fieldByName(QStringLiteral("QKuan"))->isNull());
    }

    void daysLeft_data() {
        QTest::addColumn<QVariant>("due");
        QTest::addColumn<int>("days");
        const QDate today(2026, 12, 10);
        QTest::newRow("today") << QVariant(QDateTime(today, QTime(0, 0), Qt::UTC)) << 0;
        QTest::newRow("tomorrow") << QVariant(QDateTime(today.addDays(1), QTime(0, 0), Qt::UTC))
                                  << 1;
        QTest::newRow("yesterday")
            << QVariant(QDateTime(today.addDays(-1), QTime(0, 0), Qt::UTC)) << -1;
        QTest::newRow("in a week")
            << QVariant(QDateTime(today.addDays(7), QTime(0, 0), Qt::UTC)) << 7;
        QTest::newRow("a month ago")
            << QVariant(QDateTime(today.addDays(-30), QTime(0, 0), Qt::UTC)) << -30;
        QTest::newRow("no date") << QVariant() << 100;
    }
    void daysLeft() {
        QFETCH(QVariant, due);
        QFETCH(int, days);
        QCOMPARE(TDMod::daysLeft(due, QDateTime(QDate(2026, 12, 10), QTime(15, 30), Qt::UTC)),
                 days);
        QCOMPARE(TDMod::daysLeft(due, QDateTime(QDate(2026, 12, 10), QTime(0, 0, 1), Qt::UTC)),
                 days);
    }

    void reminderFilter_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QList<int>>("passing");
        QTest::newRow("seven days") << "[Settings]\nDayTXing=7\n" << QList<int>{7, -30, 0};
        QTest::newRow("no key: seven") << "[Settings]\nFirst=1\n" << QList<int>{7, -30, 0};
        QTest::newRow("no file: seven") << "" << QList<int>{7, -30, 0};
        QTest::newRow("a hundred") << "[Settings]\nDayTXing=100\n" << QList<int>{7, 8, -30, 0, 100};
        QTest::newRow("hex") << "[Settings]\nDayTXing=0x8\n" << QList<int>{7, 8, -30, 0};
    }
    void reminderFilter() {
        QFETCH(QString, settings);
        QFETCH(QList<int>, passing);
        RegisterFixture f;
        if (!settings.isEmpty()) {
            QFile file(f.settingsPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(settings.toUtf8());
        }
        Clock::setNow(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
        const int id = f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), {},
                                     QStringLiteral("收款"));
        const QDate today(2026, 12, 10);
        for (int d : {7, 8, -30, 0})
            f.addReceivable(id, today.addDays(d), 100);
        f.addReceivable(id, QVariant(), 100);
        f.addReceivable(id, today, 100, 100); // settled: cc is 0
        TDMod& dm = f.openModule();
        Dataset* tx = dm.TBSTiXing;
        tx->setSql(QStringLiteral("Select * From 合同应收款表_明细 where (cc>0)"));
        tx->open();
        tx->setFiltered(true);
        QList<int> seen;
        for (tx->first(); !tx->eof(); tx->next())
            seen << tx->fieldByName(QStringLiteral("day"))->asInteger();
        std::sort(seen.begin(), seen.end());
        std::sort(passing.begin(), passing.end());
        QCOMPARE(seen, passing);
    }

    void openInstalmentsOnlyWithSelector() {
        RegisterFixture f;
        const int id = f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), {},
                                     QStringLiteral("付款"));
        f.addPayable(id, QDate(2026, 1, 1), 100, 0);
        f.addPayable(id, QDate(2026, 1, 2), 100, 100);
        f.addPayable(id, QDate(2026, 1, 3), 100, 150);
        TDMod& dm = f.openModule();
        TDMod::reread(dm.TBFukuan);
        QCOMPARE(dm.TBFukuan->recordCount(), 3);
        dm.TBFukuan->setFilter(QStringLiteral("cc>0"));
        dm.TBFukuan->setFiltered(true);
        QCOMPARE(dm.TBFukuan->recordCount(), 1);
        dm.TBFukuan->setFiltered(false);
        QCOMPARE(dm.TBFukuan->recordCount(), 3);
    }

    void partnerFilterNamesAColumnNotPresented() {
        RegisterFixture f;
        f.addPartner(QStringLiteral("K1"), QStringLiteral("客户一"), true, false);
        f.addPartner(QStringLiteral("G1"), QStringLiteral("供方一"), false, true);
        f.addPartner(QStringLiteral("B1"), QStringLiteral("两者"), true, true);
        TDMod& dm = f.openModule();
        QCOMPARE(int(dm.TBMarst->fields().size()), 4);
        dm.TBMarst->setFilter(QStringLiteral("供应商=true"));
        dm.TBMarst->setFiltered(true);
        QCOMPARE(dm.TBMarst->recordCount(), 2);
        QCOMPARE(dm.TBMarst->fieldByName(QStringLiteral("客户/供应商编号"))->asString(),
                 QStringLiteral("G1"));
        dm.TBMarst->setFilter(QStringLiteral("客户=true"));
        QCOMPARE(dm.TBMarst->recordCount(), 2);
    }

    void firstInstalmentIsProposed() {
        RegisterFixture f;
        f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), {}, QStringLiteral("收款"),
                      12345.67);
        TDMod& dm = f.openModule();
        dm.receivablePercent = [] { return 10.0; };
        Dataset* sk = dm.TBSKJiLu;
        sk->append();
        QCOMPARE(sk->fieldByName(QStringLiteral("应收金额"))->asCurrency(),
                 Currency::fromUnits(12345670));
        QCOMPARE(sk->fieldByName(QStringLiteral("实收金额"))->asCurrency(), Currency());
        QVERIFY(!sk->fieldByName(QStringLiteral("实收金额"))->isNull());
        QVERIFY(sk->fieldByName(QStringLiteral("应收日期"))->isNull());
        QVERIFY(sk->post());
        sk->append();
        for (const char* name : {"应收金额", "实收金额", "发票额", "应收日期"})
            QVERIFY(sk->fieldByName(QString::fromUtf8(name))->isNull());
        QVERIFY(sk->post());
        QCOMPARE(
            f.firstColumn(QStringLiteral("SELECT 应收金额 || '/' || 实收金额 || '/' || 发票额 || "
                                         "'/' || CompactID FROM AccountReceive ORDER BY ID"))
                .join(u' '),
            QStringLiteral("12345670/0/0/1 0/0/0/1"));
    }

    void noAmountNoProposal() {
        RegisterFixture f;
        f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), {}, QStringLiteral("付款"));
        TDMod& dm = f.openModule();
        dm.TBFKJiLu->append();
        QVERIFY(dm.TBFKJiLu->fieldByName(QStringLiteral("应付金额"))->isNull());
        QVERIFY(dm.TBFKJiLu->post());
        QCOMPARE(f.scalar(QStringLiteral("SELECT 应付金额 FROM AccountPayable")).toLongLong(), 0LL);
    }

    void savingKeepsTheCursorAndRecomputesTotals() {
        RegisterFixture f;
        const int id = f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), {},
                                     QStringLiteral("收款"), 1000);
        for (int i = 1; i <= 5; ++i)
            f.addReceivable(id, QDate(2026, 1, i), i * 10);
        TDMod& dm = f.openModule();
        Dataset* sk = dm.TBSKJiLu;
        Currency total;
        dm.receivableTotals = [&] {
            total = Currency();
            for (sk->first(); !sk->eof(); sk->next())
                total += sk->fieldByName(QStringLiteral("应收金额"))->asCurrency();
        };
        sk->setRecNo(3);
        sk->edit();
        sk->fieldByName(QStringLiteral("应收金额"))->setValue(QStringLiteral("99.5"));
        QVERIFY(sk->post());
        QCOMPARE(sk->recNo(), 3);
        QCOMPARE(sk->fieldByName(QStringLiteral("应收金额"))->asCurrency(),
                 Currency::fromDouble(99.5));
        QCOMPARE(total, Currency::fromDouble(10 + 20 + 99.5 + 40 + 50));

        sk->setRecNo(2);
        sk->deleteRecord();
        QCOMPARE(sk->recNo(), 2);
        QCOMPARE(sk->fieldByName(QStringLiteral("应收金额"))->asCurrency(),
                 Currency::fromDouble(99.5));
        QCOMPARE(total, Currency::fromDouble(10 + 99.5 + 40 + 50));
    }

    void countTextAfterSaveAndDelete() {
        RegisterFixture f;
        for (int i = 1; i <= 11; ++i)
            f.addContract(QStringLiteral("HT%1").arg(i), QStringLiteral("合同"), {},
                          QStringLiteral("其它"));
        TDMod& dm = f.openModule();
        QString shown;
        dm.showCountText = [&](const QString& text) { shown = text; };
        Dataset* c = dm.TBCompacter;
        c->append();
        c->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("HT12"));
        QVERIFY(c->post());
        QCOMPARE(shown, QStringLiteral("共有  12  条记录"));
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("HT12")));
        c->deleteRecord();
        QCOMPARE(shown, QStringLiteral("共有  11  条记录"));
    }

    void duplicateNumberKeepsTheRowPending_data() {
        QTest::addColumn<QString>("number");
        QTest::newRow("same number") << "HT1";
        QTest::newRow("number in another case") << "ht1";
    }
    void duplicateNumberKeepsTheRowPending() {
        QFETCH(QString, number);
        RegisterFixture f;
        f.addContract(QStringLiteral("HT1"), QStringLiteral("第一份"), {}, QStringLiteral("其它"),
                      100);
        TDMod& dm = f.openModule();
        Dataset* c = dm.TBCompacter;
        c->append();
        c->fieldByName(QStringLiteral("合同编号"))->setValue(number);
        c->fieldByName(QStringLiteral("合同名称"))->setValue(QStringLiteral("第二份"));
        QVERIFY(!c->post());
        QCOMPARE(f.dialogs().texts(), QStringList{QStringLiteral("编号不可重名")});
        QCOMPARE(f.dialogs().last().caption, Dialogs::programTitle());
        QCOMPARE(c->state(), DatasetState::Insert);
        QCOMPARE(c->fieldByName(QStringLiteral("合同名称"))->asString(), QStringLiteral("第二份"));
        QCOMPARE(f.scalar(QStringLiteral("SELECT 合同名称 FROM Compact WHERE 合同编号 = 'HT1'"))
                     .toString(),
                 QStringLiteral("第一份"));
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM Compact")).toInt(), 1);
        // Corrected, the same pending row saves.
        c->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("HT2"));
        QVERIFY(c->post());
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM Compact")).toInt(), 2);
    }

    // A register without room says so, and the typed contract stays to be saved once there is.
    void fullRegisterKeepsTheContractPending() {
        if (TestServer::active())
            QSKIP("a full register file");
        RegisterFixture f;
        TDMod& dm = f.openModule();
        QSqlQuery limit(dm.database().connection());
        QVERIFY(limit.exec(QStringLiteral("PRAGMA max_page_count = 1")));
        Dataset* c = dm.TBCompacter;
        c->append();
        c->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("HT1"));
        c->fieldByName(QStringLiteral("合同内容"))->setValue(QString(100000, u'字'));
        QVERIFY(!c->post());
        QCOMPARE(f.dialogs().texts(), QStringList{QStringLiteral("磁盘空间不足，无法保存。")});
        QCOMPARE(c->state(), DatasetState::Insert);
        QCOMPARE(f.count(QStringLiteral("Compact")), 0);
        QVERIFY(limit.exec(QStringLiteral("PRAGMA max_page_count = 1000000")));
        QVERIFY(c->post());
        QCOMPARE(f.scalar(QStringLiteral("SELECT length(合同内容) FROM Compact WHERE 合同编号 = "
                                         "'HT1'"))
                     .toInt(),
                 100000);
    }

    void otherContractErrorDiscardsAndReachesTheCaller() {
        RegisterFixture f;
        TDMod& dm = f.openModule();
        Dataset* c = dm.TBCompacter;
        c->append();
        c->fieldByName(QStringLiteral("合同编号"))
            ->setValue(QStringLiteral("1234567890123456789")); // 19 > 18
        QVERIFY_THROWS_EXCEPTION(DataError, c->post());
        QCOMPARE(f.dialogs().count(), 1);
        QVERIFY(f.dialogs().last().text.contains(QStringLiteral("CHECK")));
        QCOMPARE(c->state(), DatasetState::Browse);
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM Compact")).toInt(), 0);
    }

    void partnerSaveErrors_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("duplicate number") << "P1"
                                          << "乙"
                                          << "编号不可重名";
        QTest::newRow("empty name") << "P2"
                                    << ""
                                    << "往来单位编号或名称不得为空!";
        QTest::newRow("name too long") << "P3" << QString(31, u'名') << "CHECK";
    }
    void partnerSaveErrors() {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(QString, message);
        RegisterFixture f;
        f.addPartner(QStringLiteral("P1"), QStringLiteral("甲"), true, false);
        TDMod& dm = f.openModule();
        Dataset* s = dm.TBServer;
        s->append();
        s->fieldByName(QStringLiteral("ScNum"))->setValue(number);
        s->fieldByName(QStringLiteral("ScName"))->setValue(name);
        QVERIFY(!s->post());
        QCOMPARE(f.dialogs().count(), 1);
        QVERIFY2(f.dialogs().last().text.contains(message), qPrintable(f.dialogs().last().text));
        QCOMPARE(s->state(), DatasetState::Insert);
        QCOMPARE(s->fieldByName(QStringLiteral("ScNum"))->asString(), number);
    }

    void operatorSaveErrors() {
        RegisterFixture f;
        TDMod& dm = f.openModule();
        Dataset* op = dm.TBOperator;
        op->append();
        op->fieldByName(QStringLiteral("OperatorName"))->setValue(QStringLiteral("管理员"));
        QVERIFY(!op->post());
        QCOMPARE(f.dialogs().last().text, QStringLiteral("用户名称不可重名!"));
        QCOMPARE(f.dialogs().last().caption, Dialogs::programTitle());
        op->fieldByName(QStringLiteral("OperatorName"))
            ->setValue(QStringLiteral("一二三四五六七八九十一"));
        QVERIFY(!op->post());
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("错误提示"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::None);
        QCOMPARE(op->state(), DatasetState::Insert);
    }

    void departmentSaveErrorAndEmptyName() {
        RegisterFixture f;
        f.exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('财务部')"));
        TDMod& dm = f.openModule();
        Dataset* d = dm.TBDepartment;
        d->append();
        d->fieldByName(QStringLiteral("部门名称"))->setValue(QStringLiteral("财务部"));
        QVERIFY(!d->post());
        QCOMPARE(f.dialogs().last().text, QStringLiteral("编号不可重名"));
        // An emptied name throws the pending row away and re-reads the list.
        d->fieldByName(QStringLiteral("部门名称"))->setValue(QString());
        QCOMPARE(d->state(), DatasetState::Browse);
        QCOMPARE(d->recordCount(), 1);
        QCOMPARE(d->fieldByName(QStringLiteral("部门名称"))->asString(), QStringLiteral("财务部"));
    }

    void emptyOperatorNameCancelsTheOperatorsWindow() {
        RegisterFixture f;
        TDMod& dm = f.openModule();
        int cancels = 0;
        dm.operatorCancel = [&] { ++cancels; };
        dm.TBOperator->edit();
        dm.TBOperator->fieldByName(QStringLiteral("OperatorName"))->setValue(QStringLiteral(""));
        QCOMPARE(cancels, 1);
        QCOMPARE(dm.TBOperator->state(), DatasetState::Browse);
        QCOMPARE(dm.TBOperator->fieldByName(QStringLiteral("OperatorName"))->asString(),
                 QStringLiteral("管理员"));
    }

    void deleteContractTakesItsInstalments() {
        RegisterFixture f;
        const int keep =
            f.addContract(QStringLiteral("HT1"), QStringLiteral("留"), {}, QStringLiteral("收款"));
        const int gone =
            f.addContract(QStringLiteral("HT2"), QStringLiteral("删"), {}, QStringLiteral("收款"));
        for (int i = 0; i < 3; ++i)
            f.addReceivable(gone, QDate(2026, 1, 1), 10);
        f.addPayable(gone, QDate(2026, 1, 1), 10);
        f.addReceivable(keep, QDate(2026, 1, 1), 10);
        TDMod& dm = f.openModule();
        QString shown;
        dm.showCountText = [&](const QString& t) { shown = t; };
        QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), QStringLiteral("HT2")));
        QCOMPARE(dm.TBSKJiLu->recordCount(), 3);
        dm.deleteContract();
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM AccountReceive WHERE CompactID = ?"),
                          {gone})
                     .toInt(),
                 0);
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM AccountPayable WHERE CompactID = ?"),
                          {gone})
                     .toInt(),
                 0);
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM AccountReceive WHERE CompactID = ?"),
                          {keep})
                     .toInt(),
                 1);
        QCOMPARE(shown, QStringLiteral("共有  1  条记录"));
        QCOMPARE(dm.TBSKJiLu->recordCount(), 1); // the schedule follows the remaining contract
    }

    void failedDeleteLeavesContractAndInstalments() {
        RegisterFixture f;
        const int id = f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), {},
                                     QStringLiteral("收款"));
        for (int i = 0; i < 3; ++i)
            f.addReceivable(id, QDate(2026, 1, 1), 10);
        f.refuse(QStringLiteral("DELETE"), QStringLiteral("Compact"), QStringLiteral("locked"));
        TDMod& dm = f.openModule();
        QVERIFY_THROWS_EXCEPTION(DataError, dm.deleteContract());
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM AccountReceive")).toInt(), 3);
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM Compact")).toInt(), 1);
        QCOMPARE(dm.TBCompacter->recordCount(), 1);
        QCOMPARE(dm.TBSKJiLu->recordCount(), 3);
    }

    void contractTextIsReadAndWrittenOnDemand() {
        RegisterFixture f;
        f.exec(QStringLiteral("INSERT INTO Compact (合同编号, 合同内容) VALUES ('HT1', '第一条')"));
        f.exec(QStringLiteral("INSERT INTO Compact (合同编号, 合同内容) VALUES ('HT2', '第二条')"));
        TDMod& dm = f.openModule();
        Dataset* c = dm.TBCompacter;
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("HT2")));
        QCOMPARE(c->fieldByName(QStringLiteral("合同内容"))->asString(), QStringLiteral("第二条"));
        c->edit();
        c->fieldByName(QStringLiteral("合同内容"))->setValue(QStringLiteral("改过"));
        QVERIFY(c->post());
        QCOMPARE(c->fieldByName(QStringLiteral("合同内容"))->asString(), QStringLiteral("改过"));
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("HT1")));
        QCOMPARE(c->fieldByName(QStringLiteral("合同内容"))->asString(), QStringLiteral("第一条"));
        QCOMPARE(f.scalar(QStringLiteral("SELECT 合同内容 FROM Compact WHERE 合同编号 = 'HT2'"))
                     .toString(),
                 QStringLiteral("改过"));
        TDMod::reread(dm.TBQuery);
        QVERIFY(dm.TBQuery->locate(QStringLiteral("合同编号"), QStringLiteral("HT2")));
        QCOMPARE(dm.TBQuery->fieldByName(QStringLiteral("合同内容"))->asString(),
                 QStringLiteral("改过"));
    }
};
QINTARA_TEST(TestDataModule)
#include "tst_tdmod.moc"
