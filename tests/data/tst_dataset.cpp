#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "common/testserver.h"
#include "data/datasetmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

// Partners P1..P3 with contracts, contract 1 with three receivable instalments.
void fill(RegisterFixture& f) {
    f.addPartner(QStringLiteral("P1"), QStringLiteral("北方机械"), false, true);
    f.addPartner(QStringLiteral("P2"), QStringLiteral("南方 Trading"), true, false);
    f.addPartner(QStringLiteral("P3"), QStringLiteral("east trading"), true, true);
    const int id = f.addContract(QStringLiteral("HT9"), QStringLiteral("九"), QStringLiteral("P2"),
                                 QStringLiteral("收款"), 900);
    f.addContract(QStringLiteral("HT10"), QStringLiteral("十"), QStringLiteral("P1"),
                  QStringLiteral("付款"), 1000);
    f.addContract(QStringLiteral("ht2"), QStringLiteral("二"), QStringLiteral("P2"),
                  QStringLiteral("收款"), 200);
    for (int i = 1; i <= 3; ++i)
        f.addReceivable(id, QDate(2026, 1, i), i);
}

QStringList numbers(Dataset* ds) {
    QStringList out;
    for (ds->first(); !ds->eof(); ds->next())
        out << ds->fieldByName(QStringLiteral("合同编号"))->asString();
    return out;
}

} // namespace

class TestDataset : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sortAndIndexOrder() {
        RegisterFixture f;
        fill(f);
        Dataset* c = f.openModule().TBCompacter;
        // Opened in partner order; text order puts HT9 after HT10.
        QCOMPARE(numbers(c), (QStringList{QStringLiteral("HT10"), QStringLiteral("HT9"),
                                          QStringLiteral("ht2")}));
        c->setSort(QStringLiteral("合同编号"));
        QCOMPARE(numbers(c), (QStringList{QStringLiteral("HT10"), QStringLiteral("ht2"),
                                          QStringLiteral("HT9")}));
        c->close();
        c->open();
        QCOMPARE(c->sort(), QString());
        QCOMPARE(c->fieldByName(QStringLiteral("合同编号"))->asString(), QStringLiteral("HT10"));
    }

    void locate_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("found");
        QTest::newRow("exact") << "east trading" << 0 << "P3";
        QTest::newRow("case counts by default") << "EAST TRADING" << 0 << "";
        QTest::newRow("case ignored") << "EAST TRADING" << int(LocateCaseInsensitive) << "P3";
        QTest::newRow("leading part") << "南方" << int(LocatePartialKey) << "P2";
        QTest::newRow("leading part only") << "Trading" << int(LocatePartialKey) << "";
        QTest::newRow("wildcard anywhere") << "*Trading" << int(LocatePartialKey) << "P2";
        QTest::newRow("wildcard, any case")
            << "*trading" << int(LocatePartialKey | LocateCaseInsensitive) << "P2";
        QTest::newRow("regex characters are plain") << "*.*" << int(LocatePartialKey) << "";
    }
    void locate() {
        QFETCH(QString, value);
        QFETCH(int, options);
        QFETCH(QString, found);
        RegisterFixture f;
        fill(f);
        Dataset* m = f.openModule().TBMarst;
        m->last();
        const bool hit = m->locate(QStringLiteral("客户/供应商名称"), value, options);
        QCOMPARE(hit, !found.isEmpty());
        QCOMPARE(m->fieldByName(QStringLiteral("客户/供应商编号"))->asString(),
                 found.isEmpty() ? QStringLiteral("P3") : found);
    }

    void masterLinkFollowsAndFills() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        Dataset* c = dm.TBCompacter;
        c->setMaster(dm.DSMarst, QStringLiteral("客户/供应商编号"), QStringLiteral("SCNum"));
        QCOMPARE(numbers(c), QStringList{QStringLiteral("HT10")});
        QVERIFY(dm.TBMarst->locate(QStringLiteral("客户/供应商编号"), QStringLiteral("P2")));
        QCOMPARE(c->recordCount(), 2);
        c->append();
        QCOMPARE(c->fieldByName(QStringLiteral("SCNum"))->asString(), QStringLiteral("P2"));
        QCOMPARE(c->fieldByName(QStringLiteral("往来单位"))->asString(),
                 QStringLiteral("南方 Trading"));
        c->cancel();
        c->clearMaster();
        c->refresh();
        QCOMPARE(c->recordCount(), 3);
    }

    void scheduleFollowsTheContract() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), QStringLiteral("HT9")));
        QCOMPARE(dm.TBSKJiLu->recordCount(), 3);
        QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), QStringLiteral("HT10")));
        QCOMPARE(dm.TBSKJiLu->recordCount(), 0);
        // A new contract has no key yet, so no schedule; once saved, its own (empty) one.
        dm.TBCompacter->append();
        QCOMPARE(dm.TBSKJiLu->recordCount(), 0);
        dm.TBCompacter->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("N1"));
        QVERIFY(dm.TBCompacter->post());
        dm.TBSKJiLu->append();
        QVERIFY(dm.TBSKJiLu->post());
        QCOMPARE(
            f.scalar(QStringLiteral(
                         "SELECT c.合同编号 FROM AccountReceive r JOIN Compact c USING (CompactID) "
                         "ORDER BY r.ID DESC LIMIT 1"))
                .toString(),
            QStringLiteral("N1"));
    }

    void refreshStaysOnTheRow() {
        RegisterFixture f;
        fill(f);
        Dataset* c = f.openModule().TBCompacter;
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("ht2")));
        f.exec(QStringLiteral("INSERT INTO Compact (合同编号, SCNum) VALUES ('A1', 'P0')"));
        c->refresh();
        QCOMPARE(c->recordCount(), 4);
        QCOMPARE(c->fieldByName(QStringLiteral("合同编号"))->asString(), QStringLiteral("ht2"));
        c->requery();
        QCOMPARE(c->recNo(), 1);
    }

    void untouchedNewRowIsDroppedOnMove() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        Dataset* sk = dm.TBSKJiLu;
        QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), QStringLiteral("HT9")));
        sk->append(); // defaults only: not worth keeping
        sk->first();
        QCOMPARE(sk->recordCount(), 3);
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM AccountReceive")).toInt(), 3);
        // A changed row is saved when the cursor leaves it.
        sk->setRecNo(2);
        sk->edit();
        sk->fieldByName(QStringLiteral("备注"))->setValue(QStringLiteral("改"));
        sk->first();
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM AccountReceive WHERE 备注 = '改'"))
                     .toInt(),
                 1);
    }

    void editingNeedsEditState() {
        RegisterFixture f;
        fill(f);
        Dataset* c = f.openModule().TBCompacter;
        QVERIFY_THROWS_EXCEPTION(
            DataError, c->fieldByName(QStringLiteral("合同名称"))->setValue(QStringLiteral("x")));
        c->edit();
        QVERIFY_THROWS_EXCEPTION(
            DataError,
            c->fieldByName(QStringLiteral("合同金额"))->setValue(QStringLiteral("12abc")));
        QVERIFY_THROWS_EXCEPTION(
            DataError, c->fieldByName(QStringLiteral("往来单位"))->setValue(QStringLiteral("x")));
        c->fieldByName(QStringLiteral("合同金额"))->setValue(QStringLiteral("1,234.5"));
        c->fieldByName(QStringLiteral("签订日期"))->setValue(QDate(2026, 3, 4));
        c->fieldByName(QStringLiteral("责任人"))->setValue(QString());
        QVERIFY(c->post());
        // the file keeps a date as text, a server in a timestamp column
        QCOMPARE(
            f.scalar(QStringLiteral("SELECT 合同金额 || ' ' || CAST(签订日期 AS TEXT) || ' ' || "
                                    "CASE WHEN 责任人 IS NULL THEN 1 END FROM Compact WHERE "
                                    "CompactID = ?"),
                     {c->fieldByName(QStringLiteral("CompactID"))->asInteger()})
                .toString(),
            TestServer::active() ? QStringLiteral("12345000 2026-03-04 00:00:00 1")
                                 : QStringLiteral("12345000 2026-03-04 1"));
        QVERIFY_THROWS_EXCEPTION(DataError, f.module().TBShoukuan->edit());
    }

    void suspendedControlsHearOnceOnResume() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        QSignalSpy moved(dm.TBCompacter, &Dataset::currentChanged);
        QSignalSpy followed(dm.TBSKJiLu, &Dataset::reset);
        dm.TBCompacter->disableControls();
        for (dm.TBCompacter->first(); !dm.TBCompacter->eof(); dm.TBCompacter->next()) {
        }
        QCOMPARE(moved.count(), 0);
        QCOMPARE(followed.count(), 0);
        dm.TBCompacter->enableControls();
        QCOMPARE(moved.count(), 1);
        QCOMPARE(followed.count(), 1);
        QCOMPARE(dm.TBSKJiLu->recordCount(), 0); // the last contract, ht2, has no instalments
    }

    void modelFollowsTheCursor() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        DatasetModel model(dm.TBCompacter);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.columnCount(), 8);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("往来单位"));
        QCOMPARE(model.data(model.index(0, 3)).toString(), QStringLiteral("1,000.00"));
        dm.TBCompacter->setRecNo(3);
        QCOMPARE(model.selectionModel()->currentIndex().row(), 2);
        model.selectionModel()->setCurrentIndex(model.index(1, 0),
                                                QItemSelectionModel::ClearAndSelect);
        QCOMPARE(dm.TBCompacter->recNo(), 2);
        dm.TBCompacter->refresh();
        f.exec(QStringLiteral("DELETE FROM Compact"));
        dm.TBCompacter->refresh();
        QCOMPARE(model.rowCount(), 0);
    }

    void refusedRowKeepsTheGridOnIt() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), QStringLiteral("HT9")));
        DatasetModel model(dm.TBSKJiLu);
        model.setEditable(true);
        QVERIFY(model.setData(model.index(0, 5), QString(31, u'长'))); // 备注 holds 30
        model.selectionModel()->setCurrentIndex(model.index(2, 0),
                                                QItemSelectionModel::ClearAndSelect);
        QCOMPARE(f.dialogs().count(), 1);
        QCOMPARE(f.dialogs().last().caption, Dialogs::programTitle());
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::Error);
        QCOMPARE(dm.TBSKJiLu->recNo(), 1);
        QCOMPARE(dm.TBSKJiLu->state(), DatasetState::Edit);
        QCOMPARE(model.selectionModel()->currentIndex().row(), 0);
    }

    // Values reach a query as bound parameters, on every read, and go with their SQL.
    void queryParametersAreBound() {
        RegisterFixture f;
        fill(f);
        f.exec(QStringLiteral("UPDATE Compact SET 合同名称 = '十\"; DROP TABLE Compact; --' "
                              "WHERE 合同编号 = 'HT10'"));
        Dataset* q = f.openModule().TBQuery;
        q->setSql(QStringLiteral("SELECT * FROM Compact WHERE 合同名称 LIKE ? AND 收付类型 = ?"),
                  {QStringLiteral("%\"; DROP%"), QStringLiteral("付款")});
        q->open();
        QCOMPARE(numbers(q), QStringList{QStringLiteral("HT10")});
        q->refresh();
        QCOMPARE(numbers(q), QStringList{QStringLiteral("HT10")});
        q->setSql(QStringLiteral("SELECT * FROM Compact WHERE 收付类型 = '收款'"));
        QVERIFY(q->params().isEmpty());
        q->open();
        QCOMPARE(numbers(q), (QStringList{QStringLiteral("HT9"), QStringLiteral("ht2")}));
    }

    void editableModelWritesThroughTheDataset() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), QStringLiteral("HT9")));
        DatasetModel model(dm.TBSKJiLu);
        model.setEditable(true);
        QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
        QVERIFY(model.setData(model.index(1, 1), QString()));
        QCOMPARE(dm.TBSKJiLu->state(), DatasetState::Edit);
        dm.TBSKJiLu->first(); // leaving the row saves it, and the empty amount becomes 0
        QCOMPARE(f.scalar(QStringLiteral(
                              "SELECT 应收金额 FROM AccountReceive ORDER BY ID LIMIT 1 OFFSET 1"))
                     .toLongLong(),
                 0LL);
    }
    // A query whose SQL is replaced under a live model: the model takes the new columns.
    void modelFollowsTheQuerysColumns() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        Dataset* q = dm.TBQuery;
        q->setSql(QStringLiteral("SELECT 合同编号, 合同名称 FROM Compact"));
        q->open();
        DatasetModel model(q);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.columnCount(), 2);
        q->setSql(
            QStringLiteral("SELECT 合同名称, 收付类型, 合同金额 FROM Compact ORDER BY 合同编号"));
        q->open();
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("收付类型"));
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("十"));
        q->close();
        QCOMPARE(model.rowCount(), 0);
    }

    // Another program changed or deleted the row after it was read: the save is refused, the
    // row stays pending and nothing is overwritten. A change to another column is no conflict.
    void saveOfAChangedRow_data() {
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("storedName");
        QTest::newRow("name changed")
            << "UPDATE Compact SET 合同名称 = '别处' WHERE 合同编号 = 'HT9'" << false << "别处";
        QTest::newRow("deleted") << "DELETE FROM Compact WHERE 合同编号 = 'HT9'" << false << "";
        QTest::newRow("other column")
            << "UPDATE Compact SET 责任人 = '王五' WHERE 合同编号 = 'HT9'" << true << "新名称";
    }
    void saveOfAChangedRow() {
        QFETCH(QString, other);
        QFETCH(bool, saved);
        QFETCH(QString, storedName);
        RegisterFixture f;
        fill(f);
        Dataset* c = f.openModule().TBCompacter;
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("HT9")));
        c->edit();
        c->fieldByName(QStringLiteral("合同名称"))->setValue(QStringLiteral("新名称"));
        f.exec(other);
        if (saved) {
            QVERIFY(c->post());
            QCOMPARE(f.scalar(QStringLiteral("SELECT 责任人 FROM Compact WHERE 合同编号 = 'HT9'"))
                         .toString(),
                     QStringLiteral("王五"));
        } else {
            QVERIFY(!c->post());
            QCOMPARE(f.dialogs().texts(),
                     QStringList(QStringLiteral("该记录已被其他程序修改或删除，无法保存。")));
            QCOMPARE(c->state(), DatasetState::Edit);
            QCOMPARE(c->value(QStringLiteral("合同名称")).toString(), QStringLiteral("新名称"));
        }
        QCOMPARE(f.scalar(QStringLiteral("SELECT 合同名称 FROM Compact WHERE 合同编号 = 'HT9'"))
                     .toString(),
                 storedName);
    }

    // A changed instalment is saved when its contract is left, not dropped.
    void pendingDetailIsSavedWhenTheMasterMoves() {
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), QStringLiteral("HT9")));
        dm.TBSKJiLu->edit();
        dm.TBSKJiLu->fieldByName(QStringLiteral("备注"))->setValue(QStringLiteral("首付"));
        dm.TBCompacter->next();
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM AccountReceive WHERE 备注 = '首付'"))
                     .toInt(),
                 1);
        QCOMPARE(dm.TBSKJiLu->state(), DatasetState::Browse);
    }

    // The contract text could not be read: the read fails loudly, and a later save of another
    // field must not write an empty text over it.
    void unreadTextIsNotWrittenBack() {
        RegisterFixture f;
        fill(f);
        f.exec(QStringLiteral("UPDATE Compact SET 合同内容 = '全文' WHERE 合同编号 = 'HT9'"));
        Dataset* c = f.openModule().TBCompacter;
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("HT9")));
        f.exec(QStringLiteral("ALTER TABLE Compact RENAME TO Compact_away"));
        QVERIFY_THROWS_EXCEPTION(DataError, c->fieldByName(QStringLiteral("合同内容"))->value());
        f.exec(QStringLiteral("ALTER TABLE Compact_away RENAME TO Compact"));
        c->edit();
        c->fieldByName(QStringLiteral("合同名称"))->setValue(QStringLiteral("改名"));
        QVERIFY(c->post());
        QCOMPARE(f.scalar(QStringLiteral("SELECT 合同内容 FROM Compact WHERE 合同编号 = 'HT9'"))
                     .toString(),
                 QStringLiteral("全文"));
        QCOMPARE(c->value(QStringLiteral("合同内容")).toString(), QStringLiteral("全文"));
    }
};
QINTARA_TEST(TestDataset)
#include "tst_dataset.moc"
