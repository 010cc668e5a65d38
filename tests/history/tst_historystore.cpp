// The change history in the register: written with every add, save and delete of a contract or
// an instalment, in the same transaction as the change, and present in registers made by
// earlier versions once the program has opened them.
#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "common/testserver.h"
#include "data/registercheck.h"
#include "platform/clock.h"

#include <QTest>

namespace {

const QString History = QStringLiteral("CompactHistory");

// A history that refuses every row, as a full or damaged table would.
void refuseHistory(RegisterFixture& fx) {
    fx.refuse(QStringLiteral("INSERT"), History, QStringLiteral("history refused"));
}

bool hasHistoryTable(RegisterFixture& fx) {
    return fx.hasTable(History);
}

} // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT

    std::unique_ptr<RegisterFixture> fx;
    int m_contract = 0;

    // Every history row, oldest first: action, subject, record, field, old and new value.
    QStringList stored() {
        QStringList rows;
        const int n = fx->count(History);
        for (int id = 1; id <= n; ++id) {
            QStringList cells;
            for (const char* column : {"操作", "对象", "记录ID", "字段", "原值", "新值"})
                cells << fx->scalar(QStringLiteral("SELECT %1 FROM CompactHistory WHERE ID = ?")
                                        .arg(fx->quoted(QString::fromUtf8(column))),
                                    {id})
                             .toString();
            rows << cells.join(u'|');
        }
        return rows;
    }

private Q_SLOTS:
    void init() {
        fx = std::make_unique<RegisterFixture>();
        fx->addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
        m_contract = fx->addContract(QStringLiteral("HT001"), QStringLiteral("办公设备采购"),
                                     QStringLiteral("KH001"), QStringLiteral("收款"), 1000);
        Clock::setNow(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 15)));
    }
    void cleanup() { fx.reset(); }

    // An instalment added, changed and deleted through the schedule's dataset; the rows name the
    // operator and the moment, and the contract's number.
    void instalmentLife() {
        TDMod& dm = fx->openModule();
        dm.history().operatorName = [] { return QStringLiteral("张三"); };
        Dataset* s = dm.TBSKJiLu;
        s->append(); // proposes 10% of the amount, nothing settled or invoiced
        s->fieldByName(QStringLiteral("应收日期"))->setValue(QDate(2024, 6, 30));
        QVERIFY(s->post());
        const QString id = fx->scalar(QStringLiteral("SELECT ID FROM AccountReceive")).toString();
        s->edit();
        s->fieldByName(QStringLiteral("实收金额"))->setValue(QStringLiteral("50"));
        s->fieldByName(QStringLiteral("c1"))->setValue(QStringLiteral("记-001"));
        QVERIFY(s->post());
        s->deleteRecord();
        QCOMPARE(stored(), (QStringList{
                               "增加|应收款|" + id + "|应收日期||2024-06-30",
                               "增加|应收款|" + id + "|应收金额||1000000",
                               "增加|应收款|" + id + "|实收金额||0",
                               "增加|应收款|" + id + "|发票额||0",
                               "修改|应收款|" + id + "|实收金额|0|500000",
                               "修改|应收款|" + id + "|c1||记-001",
                               "删除|应收款|" + id + "|应收日期|2024-06-30|",
                               "删除|应收款|" + id + "|应收金额|1000000|",
                               "删除|应收款|" + id + "|实收金额|500000|",
                               "删除|应收款|" + id + "|发票额|0|",
                               "删除|应收款|" + id + "|c1|记-001|",
                           }));
        QCOMPARE(fx->count(History,
                           QStringLiteral("CompactID = ? AND 合同编号 = 'HT001' AND "
                                          "操作员 = '张三' AND 时间 = "
                                          "'2026-12-11 09:30:15'"),
                           {m_contract}),
                 11);
    }

    // A new contract's first row carries the key the store gave it.
    void addedContract() {
        TDMod& dm = fx->openModule();
        Dataset* c = dm.TBCompacter;
        c->append();
        c->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("HT002"));
        c->fieldByName(QStringLiteral("合同内容"))->setValue(QStringLiteral("甲乙双方约定"));
        QVERIFY(c->post());
        const int id = c->value(QStringLiteral("CompactID")).toInt();
        QCOMPARE(stored(),
                 (QStringList{"增加|合同|" + QString::number(id) + "|合同编号||HT002",
                              "增加|合同|" + QString::number(id) + "|合同内容||甲乙双方约定"}));
        QCOMPARE(fx->count(History, QStringLiteral("CompactID = ? AND 合同编号 = 'HT002'"), {id}),
                 2);
    }

    // The history and the change stand or fall together: a history that cannot be written
    // leaves the contract, and every instalment, as it was.
    void refusedHistoryUndoesTheChange_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("save") << "save";
        QTest::newRow("delete") << "delete";
        QTest::newRow("instalment") << "instalment";
    }

    void refusedHistoryUndoesTheChange() {
        QFETCH(QString, change);
        fx->addReceivable(m_contract, QDate(2024, 6, 30), 2000);
        TDMod& dm = fx->openModule();
        refuseHistory(*fx);
        Dataset* c = dm.TBCompacter;
        bool refused = false;
        try {
            if (change == QLatin1String("save")) {
                c->edit();
                c->fieldByName(QStringLiteral("合同名称"))->setValue(QStringLiteral("改过的名称"));
                c->post();
            } else if (change == QLatin1String("delete")) {
                dm.deleteContract();
            } else {
                dm.TBSKJiLu->edit();
                dm.TBSKJiLu->fieldByName(QStringLiteral("备注"))->setValue(QStringLiteral("改"));
                dm.TBSKJiLu->post();
            }
        } catch (const DataError& e) {
            refused = e.text().contains(QStringLiteral("history refused"));
        }
        QVERIFY(refused);
        QCOMPARE(fx->scalar(QStringLiteral("SELECT 合同名称 FROM Compact")).toString(),
                 QStringLiteral("办公设备采购"));
        QCOMPARE(fx->count(QStringLiteral("AccountReceive"), QStringLiteral("备注 IS NULL")), 1);
        QCOMPARE(fx->count(History), 0);
        QCOMPARE(c->recordCount(), 1);
    }

    // A register made before the history: the check accepts it and leaves it as it is; opening
    // it adds the empty table, and the next save is recorded.
    void olderRegisterGetsTheTable() {
        if (TestServer::active())
            QSKIP("the file's own upgrade and check");
        fx->exec(QStringLiteral("DROP TABLE CompactHistory"));
        QCOMPARE(RegisterCheck::problem(fx->databasePath()), QString());
        QCOMPARE(Database::checkFile(fx->databasePath()), QString());
        QVERIFY(!hasHistoryTable(*fx));

        TDMod& dm = fx->openModule();
        QVERIFY(hasHistoryTable(*fx));
        QCOMPARE(fx->count(History), 0);
        QCOMPARE(RegisterCheck::problem(fx->databasePath()), QString());
        Dataset* c = dm.TBCompacter;
        c->edit();
        c->fieldByName(QStringLiteral("责任人"))->setValue(QStringLiteral("王五"));
        QVERIFY(c->post());
        QCOMPARE(stored(),
                 QStringList{"修改|合同|" + QString::number(m_contract) + "|责任人||王五"});
    }

    // A history table that lacks a column is no register of this version.
    void damagedHistoryTableIsRefused() {
        if (TestServer::active())
            QSKIP("the file's own upgrade and check");
        fx->exec(QStringLiteral("ALTER TABLE CompactHistory DROP COLUMN 新值"));
        QCOMPARE(RegisterCheck::problem(fx->databasePath()),
                 QStringLiteral("不是合同数据库（CompactHistory 缺少列 新值）"));
    }
};

QINTARA_TEST(TestHistoryStore)
#include "tst_historystore.moc"
