// After an add, a modify or a delete through the windows, the contract list shows exactly what a
// fresh read of the register shows: the same rows, values, order and count, on the
// all-contracts tab and on a partner tab.
#include "common/testregistry.h"
#include "common/userinput.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"
#include "shellfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

const QString Number = QStringLiteral("合同编号");
const QString PartnerKey = QStringLiteral("客户/供应商编号");

QString cellText(const QVariant& v) {
    return v.userType() == qMetaTypeId<Currency>() ? v.value<Currency>().toString() : v.toString();
}

// Every field of every row shown, in order.
QStringList rowsOf(Dataset& c) {
    QStringList rows;
    for (int p = 0; p < c.recordCount(); ++p) {
        QStringList cells;
        for (const Field* f : c.fields())
            cells << cellText(c.valueAt(p, f));
        rows << cells.join(u'|');
    }
    return rows;
}

// The list as a new data module reads it from the register: every contract by number, or the
// partner's contracts linked by a query of their own.
QStringList freshRows(const QString& path, const QString& partner) {
    TDMod fresh(path);
    Dataset* c = fresh.TBCompacter;
    if (partner.isEmpty()) {
        c->setSort(Number);
        return rowsOf(*c);
    }
    c->close();
    c->setHeldInMemory(false);
    fresh.TBMarst->locate(PartnerKey, partner);
    c->setMaster(fresh.DSMarst, PartnerKey, QStringLiteral("SCNum"));
    c->open();
    return rowsOf(*c);
}

QString current(Dataset* c) {
    return c->fieldByName(Number)->asString();
}

} // namespace

class TestListAfterChange : public QObject {
    Q_OBJECT

    ShellFixture* f = nullptr;

    Dataset* contracts() { return f->dm().TBCompacter; }
    DBGrid* grid() {
        TfrmCompactManager& w = f->main();
        return w.activeTab() == 0 ? w.wwDBGrid1 : w.activeTab() == 1 ? w.DBGrid2 : w.DBGrid4;
    }

    // The list on screen against a fresh read: rows, count text and grid rows.
    void compareWithFreshRead() {
        const QString partner =
            f->main().activeTab() == 0 ? QString() : f->dm().TBMarst->value(PartnerKey).toString();
        const QStringList expected = freshRows(f->databasePath(), partner);
        QCOMPARE(rowsOf(*contracts()), expected);
        QCOMPARE(f->main().panelText(3), QStringLiteral("共有  %1  条记录").arg(expected.size()));
        QCOMPARE(grid()->model()->rowCount(), int(expected.size()));
    }

    // Each comparison stops the test at its first difference.
#define COMPARE_WITH_FRESH_READ()                                                                  \
    do {                                                                                           \
        compareWithFreshRead();                                                                    \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

    // Through the editor: 保存 then 退出.
    void editAndSave(const std::function<void(TFormAddCom*)>& typing) {
        f->modal.then([typing](QDialog*) {
            TFormAddCom* e = app().FormAddCom;
            typing(e);
            QTest::mouseClick(e->Button2, Qt::LeftButton);
            QTest::mouseClick(e->Button5, Qt::LeftButton);
        });
    }

    void deleteRow(int row) {
        ShellFixture::clickRow(grid(), row);
        f->dialogs().answer(Dialogs::Button::Yes);
        QTest::mouseClick(f->main().DelCompSBtn, Qt::LeftButton);
    }

    void addContracts() {
        f->addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
        f->addPartner(QStringLiteral("S01"), QStringLiteral("华北钢铁"), false, true);
        f->addPartner(QStringLiteral("S02"), QStringLiteral("西南物流"), false, true);
        // keys in another order than the numbers
        for (const auto& [number, partner] : {std::pair{"HT-105", "S01"},
                                              {"HT-101", "S02"},
                                              {"HT-110", "S01"},
                                              {"HT-102", "C01"},
                                              {"HT-108", "S01"},
                                              {"HT-103", "S01"},
                                              {"HT-109", "S02"},
                                              {"HT-104", "S02"},
                                              {"HT-106", "S02"}})
            f->addContract(QString::fromLatin1(number), QString::fromLatin1(partner));
    }

private Q_SLOTS:
    void changesShowAsAFreshRead_data() {
        QTest::addColumn<int>("tab");
        QTest::newRow("全部合同") << 0;
        QTest::newRow("按供应商分类") << 1;
    }
    void changesShowAsAFreshRead() {
        QFETCH(int, tab);
        ShellFixture fixture;
        f = &fixture;
        addContracts();
        QVERIFY(f->start());
        ShellFixture::chooseTab(f->main(), tab);
        COMPARE_WITH_FRESH_READ();

        // add: the new contract is current, in its place
        editAndSave([tab](TFormAddCom* e) {
            UserInput::type(e->DBEdit2, QStringLiteral("新增合同"));
            UserInput::choose(e->DBComboBox1, QStringLiteral("付款"));
            if (tab == 0)
                UserInput::choose(e->DBLookupComboBox1, QStringLiteral("华北钢铁"));
            UserInput::type(e->DBEdit5, QStringLiteral("1000"));
        });
        QTest::mouseClick(f->main().SpeedButton5, Qt::LeftButton);
        QCOMPARE(f->count(QStringLiteral("Compact")), 10);
        QCOMPARE(current(contracts()), QStringLiteral("HT-111"));
        COMPARE_WITH_FRESH_READ();

        // modify: a new number moves the contract; on the partner tab it also changes partner
        const QString renamed = tab == 0 ? QStringLiteral("HT-100") : QStringLiteral("HT-120");
        editAndSave([tab, renamed](TFormAddCom* e) {
            QTest::mouseClick(e->Button6, Qt::LeftButton);
            UserInput::type(e->DBEdit1, renamed);
            UserInput::type(e->DBEdit5, QStringLiteral("2500.50"));
            if (tab != 0)
                UserInput::choose(e->DBLookupComboBox1, QStringLiteral("西南物流"));
        });
        ShellFixture::doubleClickRow(grid(), 2);
        QCOMPARE(current(contracts()), renamed);
        COMPARE_WITH_FRESH_READ();

        // deletes: the first, the last and a middle row; the next row becomes current
        QVERIFY(contracts()->recordCount() >= 4);
        for (const char* which : {"first", "last", "middle"}) {
            const int before = contracts()->recordCount();
            const int row = which[0] == 'f' ? 0 : which[0] == 'l' ? before - 1 : before / 2;
            const QString next = rowsOf(*contracts()).value(row == before - 1 ? row - 1 : row + 1);
            deleteRow(row);
            QCOMPARE(contracts()->recordCount(), before - 1);
            QCOMPARE(rowsOf(*contracts()).value(contracts()->recNo() - 1), next);
            COMPARE_WITH_FRESH_READ();
        }
        f = nullptr;
    }

    // Another program changes the partner's contracts: a click on the partner reads them again
    // (a changed one, a new one, a deleted one, one moved to another partner), the tab of all
    // contracts then shows the rows as merged, and 刷新记录 reads everything.
    void partnerClickReadsChangesFromElsewhere() {
        ShellFixture fixture;
        f = &fixture;
        addContracts();
        QVERIFY(f->start());
        ShellFixture::chooseTab(f->main(), 1);
        QCOMPARE(f->dm().TBMarst->value(PartnerKey).toString(), QStringLiteral("S01"));
        f->exec(QStringLiteral("UPDATE Compact SET 合同名称 = '改过的' WHERE 合同编号 = 'HT-110'"));
        f->exec(QStringLiteral("UPDATE Compact SET SCNum = 'S02' WHERE 合同编号 = 'HT-108'"));
        f->exec(QStringLiteral("DELETE FROM Compact WHERE 合同编号 = 'HT-105'"));
        f->addContract(QStringLiteral("HT-107"), QStringLiteral("S01"));
        ShellFixture::clickRow(f->main().DBGrid1, 0);
        COMPARE_WITH_FRESH_READ();
        QCOMPARE(rowsOf(*contracts()).join(u'\n').count(QStringLiteral("改过的")), 1);

        ShellFixture::chooseTab(f->main(), 0);
        COMPARE_WITH_FRESH_READ();
        f->exec(QStringLiteral("UPDATE Compact SET 合同名称 = '又改过' WHERE 合同编号 = 'HT-101'"));
        f->main().N16->trigger();
        COMPARE_WITH_FRESH_READ();
        f = nullptr;
    }
};

QINTARA_TEST(TestListAfterChange)
#include "tst_listafterchange.moc"
