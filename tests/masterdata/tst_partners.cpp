// The partners window: proposals, the checks at 确定, cancel and close, delete, pick mode.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "masterdata/twldanwei.h"
#include "masterdatafixture.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QTest>

using State = MasterDataWindow::State;

class TestPartners : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<MasterDataFixture>(); }
    void cleanup() { f.reset(); }

    void noPartnersAtAll() {
        QVERIFY(f->start());
        partners([this](TWLDanWei& w) {
            MasterDataFixture::click(w.Button2); // 删除: nothing to ask about
            QCOMPARE(f->dialogs().count(), 0);
            MasterDataFixture::click(w.Button1);
            QCOMPARE(w.DBEdit1->text(), QString());
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("华东公司"));
            MasterDataFixture::click(w.Button5);
            QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("往来单位编号不能为空！")});
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("信息提示"));
            QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Information);
            QCOMPARE(w.state(), State::Adding);
            QCOMPARE(w.focusWidget(), w.DBEdit1);
            MasterDataFixture::click(w.Button6);
            // 修改 with nothing to modify starts a new partner, without a proposal
            MasterDataFixture::click(w.Button4);
            QCOMPARE(w.state(), State::Adding);
            QCOMPARE(w.DBEdit1->text(), QString());
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("KH01"));
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("华东公司"));
            MasterDataFixture::click(w.Button5);
            QCOMPARE(w.state(), State::List);
        });
        QCOMPARE(f->count(QStringLiteral("server")), 1);
        QCOMPARE(f->stored(QStringLiteral("SELECT ScName FROM server WHERE ScNum = 'KH01'")),
                 QVariant(QStringLiteral("华东公司")));
    }

    void proposal_data() {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("GY009") << QStringList{"GY001", "GY009"} << "GY010";
        QTest::newRow("GY99") << QStringList{"GY99", "GY100A"} << "GY100";
        QTest::newRow("华东") << QStringList{"华东"} << "华东1";
        QTest::newRow("A7B12") << QStringList{"A7B12", "A7B09"} << "A7B13";
        QTest::newRow("GYS-") << QStringList{"GYS-"} << "GYS-1";
        QTest::newRow("largest run") << QStringList{"GY2147483646"} << "GY2147483647";
    }
    void proposal() {
        QFETCH(QStringList, numbers);
        QFETCH(QString, proposed);
        for (const QString& n : numbers)
            f->addPartner(n, QStringLiteral("单位") + n, true, false);
        QVERIFY(f->start());
        partners([&](TWLDanWei& w) {
            MasterDataFixture::click(w.Button1);
            QCOMPARE(w.DBEdit1->text(), proposed);
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("新单位"));
            MasterDataFixture::click(w.Button5);
            QCOMPARE(f->dialogs().count(), 0);
        });
        QCOMPARE(f->stored(QStringLiteral("SELECT ScName FROM server WHERE ScNum = ?"), {proposed}),
                 QVariant(QStringLiteral("新单位")));
    }

    // A digit run the rule cannot count on, or a next number too long for the field: the clear
    // message, and nothing starts.
    void proposalBeyondTheRange_data() {
        QTest::addColumn<QString>("last");
        QTest::newRow("beyond 2147483646") << "GY2147483647";
        QTest::newRow("beyond 18 bytes") << "ABCDEFGHIJKLMN9999";
    }
    void proposalBeyondTheRange() {
        QFETCH(QString, last);
        f->addPartner(last, QStringLiteral("大号单位"), true, false);
        QVERIFY(f->start());
        partners([this](TWLDanWei& w) {
            MasterDataFixture::click(w.Button1);
            QCOMPARE(f->dialogs().texts(),
                     QStringList{
                         QStringLiteral("往来单位编号无法自动递增，请先修改最大的往来单位编号。")});
            QCOMPARE(w.state(), State::List);
            QVERIFY(!w.isEditLayout() && w.buttonBar()->isVisible());
            QCOMPARE(w.dataset()->state(), DatasetState::Browse);
        });
        QCOMPARE(f->count(QStringLiteral("server")), 1);
    }

    // Text order puts 9 after 10: the proposal 10 exists, the store refuses it, the user mends it.
    void textOrderProposesAnExistingNumber() {
        f->addPartner(QStringLiteral("10"), QStringLiteral("十号"), true, false);
        f->addPartner(QStringLiteral("9"), QStringLiteral("九号"), true, false);
        QVERIFY(f->start());
        partners([this](TWLDanWei& w) {
            MasterDataFixture::click(w.Button1);
            QCOMPARE(w.DBEdit1->text(), QStringLiteral("10"));
            // the list still shows the partners as stored, the last one included, and the new
            // one after them
            QCOMPARE(MasterDataFixture::column(w.wwDBGrid1, 1),
                     QStringList({QStringLiteral("十号"), QStringLiteral("九号"), QString()}));
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("新单位"));
            MasterDataFixture::click(w.Button5);
            QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("编号不可重名")});
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
            QCOMPARE(w.state(), State::Adding);
            QVERIFY(w.isEditLayout());
            QCOMPARE(w.dataset()->state(), DatasetState::Insert);
            QCOMPARE(w.DBEdit2->text(), QStringLiteral("新单位"));
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("11"));
            MasterDataFixture::click(w.Button5);
            QCOMPARE(w.state(), State::List);
            // the list, re-read, shows the new partner in number order
            QCOMPARE(
                MasterDataFixture::column(w.wwDBGrid1, 0),
                QStringList({QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("9")}));
        });
        QCOMPARE(f->count(QStringLiteral("server")), 3);
    }

    // The boxes are checked without their blanks; the register gets the texts as typed.
    void blanks_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("number of blanks") << "   "
                                          << "甲公司"
                                          << "往来单位编号不能为空！"
                                          << "DBEdit1";
        QTest::newRow("name of blanks") << "A1"
                                        << "  "
                                        << "往来单位名称不能为空！"
                                        << "DBEdit2";
        QTest::newRow("no name") << "A1"
                                 << ""
                                 << "往来单位名称不能为空！"
                                 << "DBEdit2";
        QTest::newRow("blanks around") << " A1 "
                                       << " 甲公司 "
                                       << ""
                                       << "";
    }
    void blanks() {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QVERIFY(f->start());
        partners([&](TWLDanWei& w) {
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.DBEdit1, number);
            MasterDataFixture::type(w.DBEdit2, name);
            MasterDataFixture::click(w.Button5);
            if (message.isEmpty()) {
                QCOMPARE(f->dialogs().count(), 0);
                QCOMPARE(w.state(), State::List);
                return;
            }
            QCOMPARE(f->dialogs().texts(), QStringList{message});
            QCOMPARE(w.focusWidget()->objectName(), focus);
            QCOMPARE(w.state(), State::Adding);
        });
        if (message.isEmpty())
            QCOMPARE(
                f->stored(QStringLiteral("SELECT ScName FROM server WHERE ScNum = ?"), {number}),
                QVariant(name));
        else
            QCOMPARE(f->count(QStringLiteral("server")), 0);
    }

    void cancelLeavesThePartners() {
        f->addPartner(QStringLiteral("GY001"), QStringLiteral("北方钢铁"), false, true);
        QVERIFY(f->start());
        partners([this](TWLDanWei& w) {
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("新单位"));
            MasterDataFixture::click(w.Button6);
            QCOMPARE(w.state(), State::List);
            QCOMPARE(w.dataset()->recordCount(), 1);
            MasterDataFixture::click(w.Button4);
            QCOMPARE(w.state(), State::Modifying);
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("改名"));
            MasterDataFixture::click(w.DBCheckBox1);
            MasterDataFixture::click(w.Button6);
            QCOMPARE(w.DBEdit2->text(), QStringLiteral("北方钢铁"));
            QVERIFY(!w.DBCheckBox1->isChecked());
            QCOMPARE(MasterDataFixture::column(w.wwDBGrid1, 1),
                     QStringList{QStringLiteral("北方钢铁")});
        });
        QCOMPARE(f->count(QStringLiteral("server")), 1);
        QCOMPARE(f->stored(QStringLiteral("SELECT ScName || '/' || coalesce(客户, 0) FROM server")),
                 QVariant(QStringLiteral("北方钢铁/0")));
    }

    // The title-bar close while adding drops the row; the next showing starts with the list.
    void closingWhileAdding() {
        QVERIFY(f->start());
        partners([](TWLDanWei& w) {
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("KH9"));
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("丢弃"));
            w.close();
        });
        QCOMPARE(f->count(QStringLiteral("server")), 0);
        partners([](TWLDanWei& w) {
            QCOMPARE(w.state(), State::List);
            QVERIFY(w.buttonBar()->isVisible() && !w.editPanel()->isVisible());
            QVERIFY(w.wwDBGrid1->isEnabled());
            QCOMPARE(w.dataset()->state(), DatasetState::Browse);
        });
    }

    void deleteAsksWithTheNumberOnItsOwnLine() {
        f->addPartner(QStringLiteral("GY001"), QStringLiteral("北方钢铁"), false, true);
        f->addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
        f->addContract(QStringLiteral("HT-1"), QStringLiteral("KH001"));
        QVERIFY(f->start());
        partners([this](TWLDanWei& w) {
            w.dataset()->locate(QStringLiteral("ScNum"), QStringLiteral("GY001"));
            f->dialogs().answer(Dialogs::Button::No);
            MasterDataFixture::click(w.Button2);
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("删除记录"));
            QCOMPARE(f->dialogs().last().text, QStringLiteral("确定删除编号为：\r\nGY001记录吗？"));
            QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Question);
            QCOMPARE(f->dialogs().last().buttons, Dialogs::Button::Yes | Dialogs::Button::No);
            QCOMPARE(w.dataset()->recordCount(), 2);
            f->dialogs().answer(Dialogs::Button::Yes);
            MasterDataFixture::click(w.Button2);
            QCOMPARE(MasterDataFixture::column(w.wwDBGrid1, 0),
                     QStringList{QStringLiteral("KH001")});
        });
        // the other partner's contract keeps it
        f->dm().TBCompacter->first();
        QCOMPARE(f->dm().TBCompacter->value(QStringLiteral("往来单位")),
                 QVariant(QStringLiteral("华东客户")));
    }

    // Added and renamed partners show in the main window's partner tab at once.
    void partnerTabFollows() {
        f->addPartner(QStringLiteral("GY001"), QStringLiteral("北方钢铁"), false, true);
        QVERIFY(f->start());
        f->main().PageControl1->setCurrentIndex(1);
        partners([](TWLDanWei& w) {
            MasterDataFixture::click(w.Button4);
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("北方特钢"));
            MasterDataFixture::click(w.Button5);
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.DBEdit2, QStringLiteral("南方铜业"));
            MasterDataFixture::click(w.DBCheckBox2);
            MasterDataFixture::click(w.Button5);
        });
        QCOMPARE(MasterDataFixture::column(f->main().DBGrid1, 1),
                 QStringList({QStringLiteral("北方特钢"), QStringLiteral("南方铜业")}));
    }

    // A deleted supplier leaves the tab; the contracts and the count follow the next one.
    void partnerTabAfterADelete() {
        f->addPartner(QStringLiteral("GY001"), QStringLiteral("北方钢铁"), false, true);
        f->addPartner(QStringLiteral("GY002"), QStringLiteral("南方铜业"), false, true);
        f->addContract(QStringLiteral("HT-3"), QStringLiteral("GY002"));
        QVERIFY(f->start());
        f->main().PageControl1->setCurrentIndex(1);
        QCOMPARE(f->main().panelText(3), QStringLiteral("共有  0  条记录"));
        partners([this](TWLDanWei& w) {
            w.dataset()->locate(QStringLiteral("ScNum"), QStringLiteral("GY001"));
            f->dialogs().answer(Dialogs::Button::Yes);
            MasterDataFixture::click(w.Button2);
        });
        QCOMPARE(MasterDataFixture::column(f->main().DBGrid1, 0),
                 QStringList{QStringLiteral("GY002")});
        QCOMPARE(MasterDataFixture::column(f->main().DBGrid2, 0),
                 QStringList{QStringLiteral("HT-3")});
        QCOMPARE(f->main().panelText(3), QStringLiteral("共有  1  条记录"));
    }

    // Pick mode: the double-click writes the partner into the contract and focuses the box; a
    // partner added on the way can be picked at once.
    void pickIntoTheContract() {
        f->addPartner(QStringLiteral("GY001"), QStringLiteral("北方钢铁"), false, true);
        f->addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
        QVERIFY(f->start());
        f->inNewContract([this](TFormAddCom& e) {
            f->inWindow<TWLDanWei>(e.Button10, [](TWLDanWei& w) {
                QVERIFY(w.Biaoji);
                QCOMPARE(w.wwDBGrid1->toolTip(), QStringLiteral("双击即可选中该单位名称"));
                MasterDataFixture::click(w.Button1);
                QCOMPARE(w.DBEdit1->text(), QStringLiteral("KH002"));
                MasterDataFixture::type(w.DBEdit2, QStringLiteral("新客户"));
                MasterDataFixture::click(w.Button5);
                QCOMPARE(MasterDataFixture::column(w.wwDBGrid1, 0),
                         QStringList({QStringLiteral("GY001"), QStringLiteral("KH001"),
                                      QStringLiteral("KH002")}));
                MasterDataFixture::doubleClickRow(w.wwDBGrid1, 2);
                QVERIFY(!w.isVisible());
            });
            QCOMPARE(e.DBLookupComboBox1->currentText(), QStringLiteral("新客户"));
            QCOMPARE(e.focusWidget(), e.DBLookupComboBox1);
            QCOMPARE(f->dm().TBCompacter->value(QStringLiteral("SCNum")),
                     QVariant(QStringLiteral("KH002")));
            MasterDataFixture::type(e.DBEdit1, QStringLiteral("HT-1"));
            MasterDataFixture::type(e.DBEdit2, QStringLiteral("设备销售"));
            e.DBComboBox1->setFocus();
            QTest::keyClick(e.DBComboBox1, Qt::Key_Down);
            MasterDataFixture::type(e.DBEdit5, QStringLiteral("100"));
            MasterDataFixture::click(e.Button2);
            QCOMPARE(f->dialogs().texts(), QStringList());
        });
        QCOMPARE(f->stored(QStringLiteral("SELECT SCNum FROM Compact")),
                 QVariant(QStringLiteral("KH002")));
    }

    // A partner renamed in pick mode shows under its new name in the editor's box at once.
    void renamedPartnerInTheEditorsBox() {
        f->addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
        QVERIFY(f->start());
        f->inNewContract([this](TFormAddCom& e) {
            f->inWindow<TWLDanWei>(e.Button10, [](TWLDanWei& w) {
                MasterDataFixture::click(w.Button4);
                MasterDataFixture::type(w.DBEdit2, QStringLiteral("华东新客户"));
                MasterDataFixture::click(w.Button5);
                w.close();
            });
            QVERIFY(e.DBLookupComboBox1->findText(QStringLiteral("华东新客户")) >= 0);
            QCOMPARE(e.DBLookupComboBox1->findText(QStringLiteral("华东客户")), -1);
        });
    }

    void managementDoubleClickDoesNothing() {
        f->addPartner(QStringLiteral("GY001"), QStringLiteral("北方钢铁"), false, true);
        QVERIFY(f->start());
        partners([](TWLDanWei& w) {
            QVERIFY(!w.Biaoji);
            QCOMPARE(w.wwDBGrid1->toolTip(), QString());
            MasterDataFixture::doubleClickRow(w.wwDBGrid1, 0);
            QVERIFY(w.isVisible());
        });
    }

private:
    void partners(const MasterDataFixture::Steps<TWLDanWei>& steps) {
        f->inWindow<TWLDanWei>(f->main().N7, steps);
    }

    std::unique_ptr<MasterDataFixture> f;
};

QINTARA_TEST(TestPartners)
#include "tst_partners.moc"
