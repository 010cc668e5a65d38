// What contracts name stays named: a partner or department that contracts use is not deleted, a
// new partner number or department name reaches its contracts, and the logged-in operator keeps
// his rights and his name in the status bar through a rename.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "masterdata/tbumengli.h"
#include "masterdata/tquanxfrm.h"
#include "masterdata/twldanwei.h"
#include "masterdatafixture.h"
#include "money/moneywindow.h"
#include "shell/tcloseform.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"

#include <QDate>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using State = MasterDataWindow::State;

namespace {

const int PartnerColumn = 2;    // 往来单位 in the main window's list
const int DepartmentColumn = 6; // 所属部门

// The money window's partner page, one "number|name|count|amounts..." line per row.
QStringList partnerPage(QToolButton* opener, ShellFixture& f) {
    QStringList rows;
    f.modal.then([&rows](QDialog* dialog) {
        auto* w = static_cast<MoneyWindow*>(dialog);
        QTabBar* bar = w->PageControl1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        const QAbstractItemModel* m = w->wwDBGrid2->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            rows << cells.join(u'|');
        }
        QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
    });
    QTest::mouseClick(opener, Qt::LeftButton);
    return rows;
}

// The sum of the page's amounts due (its fourth column).
double pageDue(const QStringList& rows) {
    double sum = 0;
    for (const QString& row : rows)
        sum += row.split(u'|').value(3).remove(u',').toDouble();
    return sum;
}

} // namespace

class TestMasterLinks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<MasterDataFixture>(); }
    void cleanup() { f.reset(); }

    // KH001 with three contracts stays, with its contracts and the customer page's total; a
    // partner no contract names is deleted as before.
    void partnerInUseIsNotDeleted() {
        f->addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
        f->addPartner(QStringLiteral("KH002"), QStringLiteral("华南客户"), true, false);
        for (int i = 1; i <= 3; ++i) {
            const int id = f->RegisterFixture::addContract(
                QStringLiteral("HT-%1").arg(i), QStringLiteral("销售"), QStringLiteral("KH001"),
                QStringLiteral("收款"), 100 * i);
            f->RegisterFixture::addReceivable(id, QDate(2026, 1, i), 100 * i, 10);
        }
        QVERIFY(f->start());
        const QStringList before = partnerPage(f->main().SpeedButton4, *f);
        QCOMPARE(pageDue(before), 600.0);
        partners([this](TWLDanWei& w) {
            ShellFixture::clickRow(w.wwDBGrid1, 0);
            f->dialogs().answer(Dialogs::Button::Yes);
            MasterDataFixture::click(w.Button2);
            QCOMPARE(
                f->dialogs().texts(),
                QStringList{QStringLiteral("编号为KH001的往来单位已被3份合同使用，不能删除！")});
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("信息提示"));
            QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Information);
            QCOMPARE(MasterDataFixture::column(w.wwDBGrid1, 0),
                     QStringList({QStringLiteral("KH001"), QStringLiteral("KH002")}));
            QCOMPARE(w.state(), State::List);
            f->dialogs().clear();
            ShellFixture::clickRow(w.wwDBGrid1, 1);
            f->dialogs().answer(Dialogs::Button::Yes);
            MasterDataFixture::click(w.Button2);
            QCOMPARE(f->dialogs().last().text, QStringLiteral("确定删除编号为：\r\nKH002记录吗？"));
            QCOMPARE(MasterDataFixture::column(w.wwDBGrid1, 0),
                     QStringList{QStringLiteral("KH001")});
        });
        QCOMPARE(f->count(QStringLiteral("server")), 1);
        QCOMPARE(f->count(QStringLiteral("Compact"), QStringLiteral("SCNum = 'KH001'")), 3);
        QCOMPARE(MasterDataFixture::column(f->main().wwDBGrid1, PartnerColumn),
                 QStringList(3, QStringLiteral("华东客户")));
        // KH002 had no instalments: the page keeps KH001's row as it was
        QVERIFY(before.first().startsWith(QStringLiteral("KH001|")));
        QCOMPARE(partnerPage(f->main().SpeedButton4, *f), QStringList{before.first()});
    }

    // GY005 with eleven contracts becomes GY005X: a number already taken is refused and
    // changes nothing; the new one reaches the contracts and the stamp-tax rate, and every
    // supplier keeps its count and totals.
    void renumberedPartnerKeepsItsContracts() {
        f->addPartner(QStringLiteral("GY001"), QStringLiteral("北方钢铁"), false, true);
        f->addPartner(QStringLiteral("GY005"), QStringLiteral("南方铜业"), false, true);
        for (int i = 1; i <= 12; ++i) {
            const QString partner = i == 12 ? QStringLiteral("GY001") : QStringLiteral("GY005");
            const int id = f->RegisterFixture::addContract(
                QStringLiteral("HT-%1").arg(i, 2, 10, QChar(u'0')), QStringLiteral("采购"), partner,
                QStringLiteral("付款"), 1000 * i);
            f->RegisterFixture::addPayable(id, QDate(2026, 3, i), 1000 * i, 100 * i);
        }
        f->exec(QStringLiteral("INSERT INTO StampTax (SCNum, 印花税率) VALUES ('GY005', 0.0003)"));
        QVERIFY(f->start());
        QStringList before = partnerPage(f->main().SpeedButton6, *f);
        QCOMPARE(pageDue(before), 78000.0);
        // the supplier tab stands on GY005 meanwhile
        ShellFixture::chooseTab(f->main(), 1);
        ShellFixture::clickRow(f->main().DBGrid1, 1);
        QCOMPARE(f->main().panelText(3), QStringLiteral("共有  11  条记录"));
        partners([this](TWLDanWei& w) {
            ShellFixture::clickRow(w.wwDBGrid1, 1);
            MasterDataFixture::click(w.Button4);
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("GY001"));
            MasterDataFixture::click(w.Button5);
            QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("编号不可重名")});
            QCOMPARE(w.state(), State::Modifying);
            QCOMPARE(f->count(QStringLiteral("Compact"), QStringLiteral("SCNum = 'GY005'")), 11);
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("GY005X"));
            MasterDataFixture::click(w.Button5);
            QCOMPARE(f->dialogs().count(), 1);
            QCOMPARE(w.state(), State::List);
            QCOMPARE(MasterDataFixture::column(w.wwDBGrid1, 0),
                     QStringList({QStringLiteral("GY001"), QStringLiteral("GY005X")}));
        });
        QCOMPARE(f->count(QStringLiteral("Compact"), QStringLiteral("SCNum = 'GY005X'")), 11);
        QCOMPARE(f->count(QStringLiteral("Compact"), QStringLiteral("SCNum = 'GY005'")), 0);
        QCOMPARE(f->stored(QStringLiteral("SELECT SCNum FROM StampTax")),
                 QVariant(QStringLiteral("GY005X")));
        QCOMPARE(MasterDataFixture::column(f->main().DBGrid1, 0),
                 QStringList({QStringLiteral("GY001"), QStringLiteral("GY005X")}));
        QCOMPARE(f->main().DBGrid2->model()->rowCount(), 11);
        QCOMPARE(f->main().panelText(3), QStringLiteral("共有  11  条记录"));
        ShellFixture::clickRow(f->main().DBGrid1, 0);
        QCOMPARE(f->main().DBGrid2->model()->rowCount(), 1);
        ShellFixture::clickRow(f->main().DBGrid1, 1);
        QCOMPARE(f->main().DBGrid2->model()->rowCount(), 11);
        ShellFixture::chooseTab(f->main(), 0);
        const QStringList names = MasterDataFixture::column(f->main().wwDBGrid1, PartnerColumn);
        QCOMPARE(names.count(QStringLiteral("南方铜业")), 11);
        QCOMPARE(names.count(QStringLiteral("北方钢铁")), 1);
        Dataset* contracts = f->dm().TBCompacter;
        QVERIFY(contracts->locate(QStringLiteral("合同编号"), QStringLiteral("HT-03")));
        QCOMPARE(contracts->value(QStringLiteral("印花税率")).toDouble(), 0.0003);
        before.replaceInStrings(QStringLiteral("GY005|"), QStringLiteral("GY005X|"));
        QCOMPARE(partnerPage(f->main().SpeedButton6, *f), before);
    }

    // From a contract being edited, the partner's number that contracts use waits for that
    // contract: its pending row could not follow the new number.
    void renumberWhileAContractIsEdited() {
        f->addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
        f->addContract(QStringLiteral("HT-1"), QStringLiteral("KH001"));
        QVERIFY(f->start());
        f->inNewContract([this](TFormAddCom& e) {
            f->inWindow<TWLDanWei>(e.Button10, [this](TWLDanWei& w) {
                ShellFixture::clickRow(w.wwDBGrid1, 0);
                MasterDataFixture::click(w.Button4);
                MasterDataFixture::type(w.DBEdit1, QStringLiteral("KH001X"));
                MasterDataFixture::click(w.Button5);
                QCOMPARE(f->dialogs().texts(),
                         QStringList{QStringLiteral("合同正在编辑，请先保存或取消该合同，再修改合"
                                                    "同所用的往来单位编号。")});
                QCOMPARE(w.state(), State::Modifying);
                MasterDataFixture::click(w.Button6);
                w.close();
            });
            e.close();
        });
        QCOMPARE(f->count(QStringLiteral("server"), QStringLiteral("ScNum = 'KH001'")), 1);
        QCOMPARE(f->count(QStringLiteral("Compact"), QStringLiteral("SCNum = 'KH001'")), 1);
    }

    // A department named by contracts is not deleted; its new name reaches them.
    void departmentInUse() {
        f->exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('财务部'), ('销售部')"));
        for (const char* number : {"HT-1", "HT-2"}) {
            const int id = f->addContract(QString::fromUtf8(number));
            f->exec(QStringLiteral("UPDATE Compact SET 所属部门 = '销售部' WHERE CompactID = ?"),
                    {id});
        }
        QVERIFY(f->start());
        departments([this](TBuMenGLi& w) {
            ShellFixture::clickRow(w.DBGrid1, 1);
            f->dialogs().answer(Dialogs::Button::Yes);
            MasterDataFixture::click(w.Button2);
            QCOMPARE(f->dialogs().texts(),
                     QStringList{QStringLiteral("名为销售部的部门已被2份合同使用，不能删除！")});
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("信息提示"));
            QCOMPARE(w.dataset()->recordCount(), 2);
            f->dialogs().clear();
            MasterDataFixture::click(w.Button5);
            MasterDataFixture::type(w.Edit1, QStringLiteral("市场部"));
            MasterDataFixture::click(w.Button4);
            QCOMPARE(f->dialogs().count(), 0);
            QCOMPARE(w.state(), State::List);
            QCOMPARE(MasterDataFixture::column(w.DBGrid1, 0),
                     QStringList({QStringLiteral("财务部"), QStringLiteral("市场部")}));
        });
        QCOMPARE(f->count(QStringLiteral("Compact"), QStringLiteral("所属部门 = '市场部'")), 2);
        QCOMPARE(MasterDataFixture::column(f->main().wwDBGrid1, DepartmentColumn),
                 QStringList(2, QStringLiteral("市场部")));
        // the department no contract names goes as before
        departments([this](TBuMenGLi& w) {
            ShellFixture::clickRow(w.DBGrid1, 0);
            f->dialogs().answer(Dialogs::Button::Yes);
            MasterDataFixture::click(w.Button2);
            QCOMPARE(MasterDataFixture::column(w.DBGrid1, 0),
                     QStringList{QStringLiteral("市场部")});
        });
        QCOMPARE(f->count(QStringLiteral("Department")), 1);
    }

    // 管理员 renamed to 管理员2 while logged in: the status bar follows at once, the guarded
    // commands stay open to him, and he logs in again under the new name.
    void renamedOperatorKeepsHisRights() {
        f->addContract(QStringLiteral("HT-1"));
        QVERIFY(f->start());
        operators([this](Tquanxfrm& w) {
            ShellFixture::clickRow(w.wwDBGrid1, 0);
            MasterDataFixture::click(w.Button2);
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("管理员2"));
            MasterDataFixture::click(w.Button5);
            QCOMPARE(w.state(), State::List);
        });
        QCOMPARE(f->stored(QStringLiteral("SELECT OperatorName FROM Operator")),
                 QVariant(QStringLiteral("管理员2")));
        f->dialogs().answer(Dialogs::Button::No);
        MasterDataFixture::click(f->main().DelCompSBtn);
        QCOMPARE(f->dialogs().texts(),
                 QStringList{QStringLiteral("确定删除编号为：\r\nHT-1记录吗？")});
        QCOMPARE(f->count(QStringLiteral("Compact")), 1);
        QCOMPARE(f->main().panelText(2), QStringLiteral("操作员：管理员2"));
        f->modal.seen.clear();
        f->modal.then([](QDialog* dialog) { dialog->close(); });
        f->main().N6->trigger();
        QCOMPARE(f->modal.seen, QStringList{QStringLiteral("quanxfrm")});

        f->modal
            .then([](QDialog* dialog) {
                MasterDataFixture::click(static_cast<TCloseForm*>(dialog)->Button2);
            })
            .then(ShellFixture::login(QStringLiteral("管理员2"), QString()));
        f->main().close();
        QCOMPARE(f->main().panelText(2), QStringLiteral("操作员：管理员2"));
        QCOMPARE(f->loginDialog().CurUserName, QStringLiteral("管理员2"));
        QCOMPARE(f->dialogs().count(), 1);
    }

private:
    void partners(const MasterDataFixture::Steps<TWLDanWei>& steps) {
        f->inWindow<TWLDanWei>(f->main().N7, steps);
    }
    void departments(const MasterDataFixture::Steps<TBuMenGLi>& steps) {
        f->inWindow<TBuMenGLi>(f->main().N8, steps);
    }
    void operators(const MasterDataFixture::Steps<Tquanxfrm>& steps) {
        f->inWindow<Tquanxfrm>(f->main().N6, steps);
    }

    std::unique_ptr<MasterDataFixture> f;
};

QINTARA_TEST(TestMasterLinks)
#include "tst_links.moc"
