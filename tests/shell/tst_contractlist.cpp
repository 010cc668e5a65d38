#include "common/testregistry.h"
#include "common/userinput.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "platform/clock.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"
#include "shellfixture.h"

#include <QAction>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

// Three suppliers (the third also a customer), two customers, contracts spread over them.
void addPartners(ShellFixture& f) {
    f.addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
    f.addPartner(QStringLiteral("S01"), QStringLiteral("北方 钢铁"), false, true);
    f.addPartner(QStringLiteral("S02"), QStringLiteral("南方水泥"), false, true);
    f.addPartner(QStringLiteral("S03"), QStringLiteral("西部钢材"), true, true);
    f.addContract(QStringLiteral("HT-005"), QStringLiteral("S01"));
    f.addContract(QStringLiteral("HT-002"), QStringLiteral("S01"));
    f.addContract(QStringLiteral("HT-003"), QStringLiteral("S02"));
    f.addContract(QStringLiteral("HT-004"), QStringLiteral("S03"));
    f.addContract(QStringLiteral("HT-001"), QStringLiteral("C01"));
}

QStringList column(Dataset* ds, const QString& field) {
    QStringList values;
    const int keep = ds->recNo();
    for (ds->first(); !ds->eof(); ds->next())
        values << ds->fieldByName(field)->asString();
    ds->setRecNo(keep);
    return values;
}

QString title(DBGrid* grid, int section) {
    return grid->model()->headerData(section, Qt::Horizontal).toString();
}

} // namespace

class TestContractList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tabLinks_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("partners");
        QTest::addColumn<QStringList>("contracts");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("suppliers")
            << 1 << QStringList{"S01", "S02", "S03"} << QStringList{"HT-005", "HT-002"}
            << QStringList{"供应商编号", "供应商名称"};
        QTest::newRow("customers") << 2 << QStringList{"C01", "S03"} << QStringList{"HT-001"}
                                   << QStringList{"客户编号", "客户名称"};
    }
    void tabLinks() {
        QFETCH(int, tab);
        QFETCH(QStringList, partners);
        QFETCH(QStringList, contracts);
        QFETCH(QStringList, titles);
        ShellFixture f;
        addPartners(f);
        QVERIFY(f.start());
        TfrmCompactManager& w = f.main();
        QCOMPARE(w.panelText(3), QStringLiteral("共有  5  条记录"));
        ShellFixture::chooseTab(w, tab);
        DBGrid* partnerGrid = tab == 1 ? w.DBGrid1 : w.DBGrid3;
        DBGrid* contractGrid = tab == 1 ? w.DBGrid2 : w.DBGrid4;
        QCOMPARE(column(f.dm().TBMarst, QStringLiteral("客户/供应商编号")), partners);
        QCOMPARE(f.dm().TBMarst->recNo(), 1);
        QCOMPARE(column(f.dm().TBCompacter, QStringLiteral("合同编号")), contracts);
        QCOMPARE(contractGrid->model()->rowCount(), int(contracts.size()));
        QCOMPARE(QStringList({title(partnerGrid, 0), title(partnerGrid, 1)}), titles);
        QCOMPARE(w.panelText(3), QStringLiteral("共有  %1  条记录").arg(contracts.size()));

        // back on the first tab: every contract, by number, and the partner filter off
        ShellFixture::chooseTab(w, 0);
        QCOMPARE(column(f.dm().TBCompacter, QStringLiteral("合同编号")),
                 QStringList({"HT-001", "HT-002", "HT-003", "HT-004", "HT-005"}));
        QVERIFY(!f.dm().TBMarst->isFiltered());
        QCOMPARE(w.panelText(3), QStringLiteral("共有  5  条记录"));
    }

    void partnerClick() {
        ShellFixture f;
        addPartners(f);
        QVERIFY(f.start());
        ShellFixture::chooseTab(f.main(), 1);
        ShellFixture::clickRow(f.main().DBGrid1, 2);
        QCOMPARE(f.dm().TBMarst->fieldByName(QStringLiteral("客户/供应商编号"))->asString(),
                 QStringLiteral("S03"));
        QCOMPARE(column(f.dm().TBCompacter, QStringLiteral("合同编号")), QStringList("HT-004"));
        QCOMPARE(f.main().panelText(3), QStringLiteral("共有  1  条记录"));
    }

    void lookupButton_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blanks only") << "   " << false;
        QTest::newRow("leading blank and letters") << " ab" << true;
        QTest::newRow("name") << "钢" << true;
    }
    void lookupButton() {
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        ShellFixture f;
        QVERIFY(f.start());
        for (int tab : {1, 2}) {
            QLineEdit* edit = tab == 1 ? f.main().EdLookup : f.main().EdLookup2;
            QPushButton* button = tab == 1 ? f.main().SortBtn : f.main().SortBtn2;
            QVERIFY(!button->isEnabled());
            ShellFixture::chooseTab(f.main(), tab);
            QTest::keyClicks(edit, QStringLiteral("x"));
            edit->clear();
            ShellFixture::typeText(edit, typed);
            QCOMPARE(button->isEnabled(), enabled);
        }
    }

    void lookupByName_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found"); // empty: not found
        QTest::newRow("inside the name") << "钢"
                                         << "S01";
        QTest::newRow("blank kept") << " 钢"
                                    << "S01";
        QTest::newRow("second match") << "钢材"
                                      << "S03";
        QTest::newRow("not there") << "铝"
                                   << "";
        QTest::newRow("blank kept, no match") << "西部 "
                                              << "";
    }
    void lookupByName() {
        QFETCH(QString, typed);
        QFETCH(QString, found);
        ShellFixture f;
        addPartners(f);
        QVERIFY(f.start());
        ShellFixture::chooseTab(f.main(), 1);
        ShellFixture::clickRow(f.main().DBGrid1, 1); // S02
        const QString countBefore = f.main().panelText(3);
        ShellFixture::typeText(f.main().EdLookup, typed);
        QTest::mouseClick(f.main().SortBtn, Qt::LeftButton);
        const QString at =
            f.dm().TBMarst->fieldByName(QStringLiteral("客户/供应商编号"))->asString();
        if (found.isEmpty()) {
            QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("很遗憾,没有找到相关记录!")));
            QCOMPARE(f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
            QCOMPARE(at, QStringLiteral("S02"));
        } else {
            QCOMPARE(f.dialogs().count(), 0);
            QCOMPARE(at, found);
            QCOMPARE(f.dm().TBCompacter->fieldByName(QStringLiteral("SCNum"))->asString(), found);
        }
        QCOMPARE(f.main().panelText(3), countBefore);
    }

    // On the supplier tab, after choosing the third supplier: the list goes back to the first
    // supplier and the new contract's partner is that one.
    void addOnSupplierTab() {
        ShellFixture f;
        addPartners(f);
        Clock::setNow(QDateTime(QDate(2024, 3, 5), QTime(14, 30)));
        QVERIFY(f.start());
        ShellFixture::chooseTab(f.main(), 1);
        ShellFixture::clickRow(f.main().DBGrid1, 2);
        QMap<QString, QString> row;
        QString caption;
        QDateTime entered;
        f.modal.seen.clear();
        f.modal.then([&](QDialog* editor) {
            caption = editor->windowTitle();
            Dataset* c = f.dm().TBCompacter;
            QCOMPARE(c->state(), DatasetState::Insert);
            entered = c->fieldByName(QStringLiteral("录入日期"))->asDateTime();
            for (const char* name : {"合同编号", "SCNum", "录入"})
                row[QString::fromUtf8(name)] = c->fieldByName(QString::fromUtf8(name))->asString();
        });
        QTest::mouseClick(f.main().SpeedButton5, Qt::LeftButton);
        QCOMPARE(f.modal.seen, QStringList(QStringLiteral("FormAddCom")));
        QCOMPARE(caption, QStringLiteral("合同增加"));
        QCOMPARE(row.value(QStringLiteral("合同编号")), QStringLiteral("HT-006"));
        QCOMPARE(row.value(QStringLiteral("SCNum")), QStringLiteral("S01"));
        QCOMPARE(row.value(QStringLiteral("录入")), QStringLiteral("管理员"));
        QCOMPARE(entered, QDateTime(QDate(2024, 3, 5), QTime(0, 0), Qt::UTC));
        QCOMPARE(f.dm().TBMarst->recNo(), 1);
        QVERIFY(!f.dm().TBCompacter->controlsDisabled());
    }

    // The greatest number in text order over all contracts, whatever the tab.
    void proposedNumber_data() {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("all contracts") << QStringList{"A099", "A010"} << 0 << "A100";
        QTest::newRow("customer tab") << QStringList{"HT-2", "HT-9"} << 2 << "HT-10";
        QTest::newRow("text order") << QStringList{"HT9", "HT10"} << 0 << "HT10";
        QTest::newRow("no contracts") << QStringList{} << 0 << "";
    }
    void proposedNumber() {
        QFETCH(QStringList, numbers);
        QFETCH(int, tab);
        QFETCH(QString, proposal);
        ShellFixture f;
        f.addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
        for (const QString& number : numbers)
            f.addContract(number, QStringLiteral("C01"));
        QVERIFY(f.start());
        ShellFixture::chooseTab(f.main(), tab);
        QString proposed = QStringLiteral("(editor not shown)");
        f.modal.then([&](QDialog*) {
            proposed = f.dm().TBCompacter->fieldByName(QStringLiteral("合同编号"))->asString();
        });
        f.main().N13->trigger();
        QCOMPARE(proposed, proposal);
    }

    // A greatest number that cannot be counted on: the editor opens with an empty number, and
    // a typed one is saved; the list's display is not left frozen.
    void unincrementableNumber() {
        ShellFixture f;
        f.addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
        f.addContract(QStringLiteral("HT99999999999"));
        f.addContract(QStringLiteral("HT-001"));
        QVERIFY(f.start());
        f.modal.seen.clear();
        QString proposed = QStringLiteral("(editor not shown)");
        f.modal.then([&](QDialog*) {
            TFormAddCom* e = app().FormAddCom;
            proposed = e->DBEdit1->text();
            UserInput::type(e->DBEdit1, QStringLiteral("HT-002"));
            UserInput::type(e->DBEdit2, QStringLiteral("新合同"));
            UserInput::choose(e->DBComboBox1, QStringLiteral("收款"));
            UserInput::choose(e->DBLookupComboBox1, QStringLiteral("东方电子"));
            UserInput::type(e->DBEdit5, QStringLiteral("100"));
            QTest::mouseClick(e->Button2, Qt::LeftButton);
            QTest::mouseClick(e->Button5, Qt::LeftButton);
        });
        QTest::mouseClick(f.main().SpeedButton5, Qt::LeftButton);
        QCOMPARE(f.dialogs().texts(),
                 QStringList(QStringLiteral("合同编号无法自动递增，请输入新合同的编号。")));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(f.modal.seen, QStringList{QStringLiteral("FormAddCom")});
        QCOMPARE(proposed, QString());
        QCOMPARE(f.count(QStringLiteral("Compact"), QStringLiteral("合同编号 = ? AND 合同名称 = ?"),
                         {QStringLiteral("HT-002"), QStringLiteral("新合同")}),
                 1);
        Dataset* c = f.dm().TBCompacter;
        QVERIFY(!c->controlsDisabled());
        QCOMPARE(c->state(), DatasetState::Browse);
        QCOMPARE(f.main().wwDBGrid1->model()->rowCount(), 3);
    }

    void view_data() {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("grid");
        QTest::newRow("empty list") << true << "wwDBGrid1";
        QTest::newRow("all contracts") << false << "wwDBGrid1";
        QTest::newRow("supplier contracts") << false << "DBGrid2";
        QTest::newRow("customer contracts") << false << "DBGrid4";
    }
    void view() {
        QFETCH(bool, empty);
        QFETCH(QString, grid);
        ShellFixture f;
        if (!empty)
            addPartners(f);
        QVERIFY(f.start());
        ShellFixture::chooseTab(f.main(), grid == QLatin1String("DBGrid2")   ? 1
                                          : grid == QLatin1String("DBGrid4") ? 2
                                                                             : 0);
        f.modal.seen.clear();
        QString caption;
        f.modal.then([&](QDialog* editor) { caption = editor->windowTitle(); });
        auto* target = f.main().findChild<DBGrid*>(grid);
        if (empty) {
            QTest::mouseDClick(target->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
            QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("对不起,记录为空.无法查看!")));
            QCOMPARE(f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
            QVERIFY(f.modal.seen.isEmpty());
            return;
        }
        ShellFixture::doubleClickRow(target, 0);
        QCOMPARE(f.modal.seen, QStringList(QStringLiteral("FormAddCom")));
        QCOMPARE(caption, QStringLiteral("合同查看"));
        QCOMPARE(f.dialogs().count(), 0);
    }

    void deleteContract_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(Dialogs::Button::Yes);
        QTest::newRow("no") << int(Dialogs::Button::No);
        QTest::newRow("Enter keeps it") << int(Dialogs::Button::None);
    }
    void deleteContract() {
        QFETCH(int, answer);
        ShellFixture f;
        f.addContract(QStringLiteral("HT-001"));
        const int id = f.addContract(QStringLiteral("HT-002"));
        f.addContract(QStringLiteral("HT-003"));
        for (double amount : {100.0, 200.0, 300.0})
            f.addReceivable(id, amount);
        f.addStoredFile(id, QStringLiteral("合同.pdf"), QByteArray(3000, 'x'));
        QVERIFY(f.start());
        ShellFixture::clickRow(f.main().wwDBGrid1, 1);
        if (answer == int(Dialogs::Button::None))
            f.dialogs().pressEnter();
        else
            f.dialogs().answer(Dialogs::Button(answer));
        QTest::mouseClick(f.main().DelCompSBtn, Qt::LeftButton);
        QCOMPARE(f.dialogs().count(), 1);
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("删除记录"));
        QCOMPARE(f.dialogs().last().text, QStringLiteral("确定删除编号为：\r\nHT-002记录吗？"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::Question);
        QCOMPARE(f.dialogs().last().buttons, Dialogs::Button::Yes | Dialogs::Button::No);
        const bool deleted = answer == int(Dialogs::Button::Yes);
        QCOMPARE(f.count(QStringLiteral("AccountReceive"), QStringLiteral("CompactID = ?"), {id}),
                 deleted ? 0 : 3);
        QCOMPARE(f.count(QStringLiteral("CompactFile"), QStringLiteral("CompactID = ?"), {id}),
                 deleted ? 0 : 1);
        QCOMPARE(f.count(QStringLiteral("CompactFilePart")), deleted ? 0 : 1);
        QCOMPARE(f.count(QStringLiteral("Compact"), QStringLiteral("合同编号 = 'HT-002'")),
                 deleted ? 0 : 1);
        QCOMPARE(f.count(QStringLiteral("Compact")), deleted ? 2 : 3);
        QCOMPARE(f.main().panelText(3), QStringLiteral("共有  %1  条记录").arg(deleted ? 2 : 3));
    }

    void deleteOnEmptyListAsksNothing() {
        ShellFixture f;
        QVERIFY(f.start());
        f.main().N15->trigger();
        QCOMPARE(f.dialogs().count(), 0);
    }

    void downArrowOnLastRow() {
        ShellFixture f;
        for (const char* no : {"HT-001", "HT-002", "HT-003"})
            f.addContract(QString::fromUtf8(no));
        QVERIFY(f.start());
        DBGrid* grid = f.main().wwDBGrid1;
        ShellFixture::clickRow(grid, 2);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(f.dm().TBCompacter->recNo(), 3);
        QCOMPARE(f.dm().TBCompacter->state(), DatasetState::Browse);
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->currentIndex().row(), 2);
    }

    void refreshUnlinks() {
        ShellFixture f;
        addPartners(f);
        QVERIFY(f.start());
        ShellFixture::chooseTab(f.main(), 1);
        f.main().N16->trigger();
        QCOMPARE(column(f.dm().TBCompacter, QStringLiteral("合同编号")),
                 QStringList({"HT-001", "HT-002", "HT-003", "HT-004", "HT-005"}));
        QCOMPARE(f.main().panelText(3), QStringLiteral("共有  2  条记录")); // not rewritten
    }

    void gridsAsLaidOut() {
        ShellFixture f;
        QVERIFY(f.start());
        TfrmCompactManager& w = f.main();
        QStringList titles;
        for (int c = 0; c < w.wwDBGrid1->model()->columnCount(); ++c)
            titles << title(w.wwDBGrid1, c);
        QCOMPARE(titles, QStringList({"合同编号", "合同名称", "往来单位", "合同金额", "签订日期",
                                      "收付类型", "所属部门", "责任人"}));
        for (DBGrid* grid : {w.wwDBGrid1, w.DBGrid2, w.DBGrid4})
            QCOMPARE(grid->toolTip(), QStringLiteral("双击打开合同"));
        QCOMPARE(w.wwDBGrid1->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(w.DBGrid2->contextMenuPolicy(), Qt::DefaultContextMenu);
        QStringList tabs;
        for (int i = 0; i < w.PageControl1->count(); ++i)
            tabs << w.PageControl1->tabText(i);
        QCOMPARE(tabs, QStringList({"全部合同", "按供应商分类", "按客户分类", "在线产品信息"}));
        QStringList buttons;
        for (QAction* a : w.ToolBar1->actions())
            if (auto* b = qobject_cast<QToolButton*>(w.ToolBar1->widgetForAction(a)))
                buttons << b->text();
        QCOMPARE(buttons, QStringList({"合同增加", "合同删除", "合同查找", "导出到Excel",
                                       "应收款表", "应付款表", "合同提醒", "退出系统"}));
    }
};
QINTARA_TEST(TestContractList)
#include "tst_contractlist.moc"
