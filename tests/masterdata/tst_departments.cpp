// The departments window: names trimmed or as typed, the empty-name rules, delete, pick mode.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "masterdata/tbumengli.h"
#include "masterdatafixture.h"
#include "shell/tfrmcompactmanager.h"

#include <QComboBox>
#include <QTest>

using State = MasterDataWindow::State;

class TestDepartments : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<MasterDataFixture>(); }
    void cleanup() { f.reset(); }

    void addOne() {
        f->exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('销售部')"));
        QVERIFY(f->start());
        departments([this](TBuMenGLi& w) {
            MasterDataFixture::click(w.Button1);
            QVERIFY(w.isEditLayout() && w.editPanel()->isVisible());
            QCOMPARE(w.Edit1->text(), QString());
            MasterDataFixture::type(w.Edit1, QStringLiteral("财务部"));
            MasterDataFixture::click(w.Button4);
            QCOMPARE(f->dialogs().count(), 0);
            QCOMPARE(w.state(), State::List);
            QVERIFY(!w.editPanel()->isVisible() && w.buttonBar()->isVisible());
            QCOMPARE(MasterDataFixture::column(w.DBGrid1, 0),
                     QStringList({QStringLiteral("销售部"), QStringLiteral("财务部")}));
        });
        QCOMPARE(f->count(QStringLiteral("Department"), QStringLiteral("部门名称 = '财务部'")), 1);
    }

    // A modified name is stored without its blanks, an added one as typed.
    void blanksAroundTheName_data() {
        QTest::addColumn<bool>("modify");
        QTest::addColumn<QString>("stored");
        QTest::newRow("修改") << true << "财务部";
        QTest::newRow("添加") << false << " 财务部 ";
    }
    void blanksAroundTheName() {
        QFETCH(bool, modify);
        QFETCH(QString, stored);
        f->exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('销售部')"));
        QVERIFY(f->start());
        departments([&](TBuMenGLi& w) {
            MasterDataFixture::click(modify ? w.Button5 : w.Button1);
            if (modify)
                QCOMPARE(w.Edit1->text(), QStringLiteral("销售部"));
            MasterDataFixture::type(w.Edit1, QStringLiteral(" 财务部 "));
            MasterDataFixture::click(w.Button4);
            QCOMPARE(w.state(), State::List);
        });
        QCOMPARE(f->count(QStringLiteral("Department")), modify ? 1 : 2);
        QCOMPARE(f->count(QStringLiteral("Department"), QStringLiteral("部门名称 = ?"), {stored}),
                 1);
    }

    void duplicateKeptInThePanel() {
        f->exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('财务部')"));
        QVERIFY(f->start());
        departments([this](TBuMenGLi& w) {
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.Edit1, QStringLiteral("财务部"));
            MasterDataFixture::click(w.Button4);
            QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("编号不可重名")});
            QCOMPARE(w.state(), State::Adding);
            QVERIFY(w.isEditLayout());
            QCOMPARE(w.Edit1->text(), QStringLiteral("财务部"));
            QCOMPARE(w.dataset()->state(), DatasetState::Insert);
        });
        QCOMPARE(f->count(QStringLiteral("Department")), 1);
    }

    void emptyNameAtConfirm_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("nothing typed") << QString();
        QTest::newRow("blanks") << QStringLiteral("   ");
    }
    void emptyNameAtConfirm() {
        QFETCH(QString, typed);
        QVERIFY(f->start());
        departments([&](TBuMenGLi& w) {
            MasterDataFixture::click(w.Button1);
            if (!typed.isEmpty())
                MasterDataFixture::type(w.Edit1, typed);
            MasterDataFixture::click(w.Button4);
            QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("部门名称不能为空啊!   ")});
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("信息提示"));
            QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Information);
            QCOMPARE(w.state(), State::Adding);
            QVERIFY(w.isEditLayout());
            QCOMPARE(w.focusWidget(), w.Edit1);
        });
        QCOMPARE(f->count(QStringLiteral("Department")), 0);
    }

    // The emptied name discards the row as the box is left; 确定 then saves nothing, and the box
    // takes nothing more meanwhile, so no other department is touched.
    void typedThenDeletedSavesNothing() {
        f->exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('销售部')"));
        QVERIFY(f->start());
        departments([this](TBuMenGLi& w) {
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.Edit1, QStringLiteral("财务部"));
            MasterDataFixture::erase(w.Edit1);
            w.Button4->setFocus(); // the box is left
            QCOMPARE(w.dataset()->state(), DatasetState::Browse);
            QVERIFY(w.isEditLayout());
            QVERIFY(w.Edit1->isReadOnly());
            QTest::keyClicks(w.Edit1, QStringLiteral("xyz"));
            QCOMPARE(w.Edit1->text(), QString());
            MasterDataFixture::click(w.Button4);
            QCOMPARE(f->dialogs().count(), 0);
            QCOMPARE(w.state(), State::List);
            // the next add takes a name again
            MasterDataFixture::click(w.Button1);
            QVERIFY(!w.Edit1->isReadOnly());
            MasterDataFixture::click(w.Button6);
        });
        QCOMPARE(f->count(QStringLiteral("Department")), 1);
        QCOMPARE(f->stored(QStringLiteral("SELECT 部门名称 FROM Department")),
                 QVariant(QStringLiteral("销售部")));
    }

    void noDepartmentsAtAll() {
        QVERIFY(f->start());
        departments([this](TBuMenGLi& w) {
            MasterDataFixture::click(w.Button2);
            QCOMPARE(f->dialogs().count(), 0);
            MasterDataFixture::click(w.Button5);
            QCOMPARE(w.state(), State::Adding);
            MasterDataFixture::type(w.Edit1, QStringLiteral("财务部"));
            MasterDataFixture::click(w.Button4);
            QCOMPARE(w.state(), State::List);
        });
        QCOMPARE(f->count(QStringLiteral("Department")), 1);
    }

    void closingWhileAdding() {
        QVERIFY(f->start());
        departments([](TBuMenGLi& w) {
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.Edit1, QStringLiteral("财务部"));
            w.close();
        });
        QCOMPARE(f->count(QStringLiteral("Department")), 0);
        departments([](TBuMenGLi& w) {
            QCOMPARE(w.state(), State::List);
            QVERIFY(w.buttonBar()->isVisible() && !w.editPanel()->isVisible());
        });
    }

    // The question names the department on its own line; another department's contract keeps
    // its name.
    void deleteAsksWithTheNameOnItsOwnLine() {
        f->exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('财务部'), ('销售部')"));
        const int contract = f->addContract(QStringLiteral("HT-1"));
        f->exec(QStringLiteral("UPDATE Compact SET 所属部门 = '财务部' WHERE CompactID = ?"),
                {contract});
        QVERIFY(f->start());
        departments([this](TBuMenGLi& w) {
            w.dataset()->setRecNo(2);
            f->dialogs().answer(Dialogs::Button::No);
            MasterDataFixture::click(w.Button2);
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("删除记录"));
            QCOMPARE(f->dialogs().last().text,
                     QStringLiteral("确定删除部门名为：\r\n销售部记录吗？"));
            QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Question);
            QCOMPARE(w.dataset()->recordCount(), 2);
            f->dialogs().pressEnter(); // keeps the department
            MasterDataFixture::click(w.Button2);
            QCOMPARE(w.dataset()->recordCount(), 2);
            MasterDataFixture::click(w.Button2);
            QCOMPARE(MasterDataFixture::column(w.DBGrid1, 0),
                     QStringList{QStringLiteral("财务部")});
        });
        QCOMPARE(f->stored(QStringLiteral("SELECT 所属部门 FROM Compact")),
                 QVariant(QStringLiteral("财务部")));
    }

    void pickIntoTheContract() {
        f->exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('财务部'), ('销售部')"));
        f->addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
        QVERIFY(f->start());
        f->inNewContract([this](TFormAddCom& e) {
            f->inWindow<TBuMenGLi>(e.Button11, [](TBuMenGLi& w) {
                QVERIFY(w.BMbji);
                QCOMPARE(w.DBGrid1->toolTip(), QStringLiteral("双击即可选中该部门名称"));
                MasterDataFixture::doubleClickRow(w.DBGrid1, 1);
                QVERIFY(!w.isVisible());
            });
            QCOMPARE(e.wwDBLookupCombo1->currentText(), QStringLiteral("销售部"));
            QCOMPARE(e.focusWidget(), e.wwDBLookupCombo1);
            MasterDataFixture::type(e.DBEdit1, QStringLiteral("HT-1"));
            MasterDataFixture::type(e.DBEdit2, QStringLiteral("设备销售"));
            e.DBComboBox1->setFocus();
            QTest::keyClick(e.DBComboBox1, Qt::Key_Down);
            e.DBLookupComboBox1->setFocus();
            QTest::keyClick(e.DBLookupComboBox1, Qt::Key_Down);
            MasterDataFixture::type(e.DBEdit5, QStringLiteral("100"));
            MasterDataFixture::click(e.Button2);
            QCOMPARE(f->dialogs().texts(), QStringList());
        });
        QCOMPARE(f->stored(QStringLiteral("SELECT 所属部门 FROM Compact")),
                 QVariant(QStringLiteral("销售部")));
    }

    void managementDoubleClickDoesNothing() {
        f->exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('财务部')"));
        QVERIFY(f->start());
        departments([](TBuMenGLi& w) {
            QCOMPARE(w.DBGrid1->toolTip(), QString());
            MasterDataFixture::doubleClickRow(w.DBGrid1, 0);
            QVERIFY(w.isVisible());
        });
    }

private:
    void departments(const MasterDataFixture::Steps<TBuMenGLi>& steps) {
        f->inWindow<TBuMenGLi>(f->main().N8, steps);
    }

    std::unique_ptr<MasterDataFixture> f;
};

QINTARA_TEST(TestDepartments)
#include "tst_departments.moc"
