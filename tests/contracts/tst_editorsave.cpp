// Saving a contract from the editor: the required-field tests, the add mode after a save, and
// the store's refusals.
#include "common/testregistry.h"
#include "contracts/scheduletab.h"
#include "contracts/tformaddcom.h"
#include "data/currency.h"
#include "editorfixture.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

bool tabShown(const TFormAddCom& e, QWidget* page) {
    return e.PageControl1->isTabVisible(e.PageControl1->indexOf(page));
}

} // namespace

class TestEditorSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    void failedTest_data() {
        QTest::addColumn<QString>("control"); // the box left empty (or blank)
        QTest::addColumn<QString>("text");    // what is left in it
        QTest::addColumn<QString>("message");
        QTest::newRow("number empty") << "DBEdit1"
                                      << ""
                                      << "合同编号不可为空！";
        QTest::newRow("number blank") << "DBEdit1"
                                      << "   "
                                      << "合同编号不可为空！";
        QTest::newRow("name blank") << "DBEdit2"
                                    << "  "
                                    << "合同名称不可为空！";
        QTest::newRow("no direction") << "DBComboBox1"
                                      << ""
                                      << "收付类型不可为空！";
        QTest::newRow("no partner") << "DBLookupComboBox1"
                                    << ""
                                    << "往来单位不可为空！";
        QTest::newRow("no amount") << "DBEdit5"
                                   << ""
                                   << "合同金额不可为空！";
    }

    void failedTest() {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, message);
        f->start();
        f->openAdd();
        TFormAddCom& e = f->editor();
        type(e.DBEdit2, QStringLiteral("办公设备采购"));
        type(e.DBEdit5, QStringLiteral("100"));
        if (control != QLatin1String("DBComboBox1"))
            EditorFixture::choose(e.DBComboBox1, QStringLiteral("收款"));
        if (control != QLatin1String("DBLookupComboBox1"))
            EditorFixture::choose(e.DBLookupComboBox1, QStringLiteral("华东客户"));
        QWidget* box = control_(control);
        if (qobject_cast<QLineEdit*>(box))
            type(box, text);

        EditorFixture::click(e.Button2);

        QCOMPARE(f->dialogs().texts(), QStringList{message});
        QCOMPARE(f->dialogs().last().caption, QStringLiteral("提示信息"));
        QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Information);
        QCOMPARE(f->dialogs().last().buttons, Dialogs::Buttons(Dialogs::Button::Ok));
        QCOMPARE(e.focusWidget(), box);
        QCOMPARE(f->contracts().state(), DatasetState::Insert);
        QCOMPARE(f->count(QStringLiteral("Compact")), 0);
        QCOMPARE(e.windowTitle(), QStringLiteral("合同增加"));
    }

    // A contract whose partner is gone shows no partner and cannot be saved until one is chosen.
    void unknownPartnerBlocksSave() {
        f->addContract(QStringLiteral("HT009"), QStringLiteral("旧合同"), QStringLiteral("XX999"),
                       QStringLiteral("收款"), 100);
        f->start();
        f->openView(QStringLiteral("HT009"));
        TFormAddCom& e = f->editor();
        QCOMPARE(e.DBLookupComboBox1->currentIndex(), -1);
        EditorFixture::click(e.Button6);
        EditorFixture::click(e.Button2);
        QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("往来单位不可为空！")});
        QCOMPARE(e.focusWidget(), e.DBLookupComboBox1);
        QCOMPARE(f->stored(QStringLiteral("HT009"), QStringLiteral("SCNum")).toString(),
                 QStringLiteral("XX999"));
    }

    void addSaveShowsDirectionTab_data() {
        QTest::addColumn<QString>("direction");
        QTest::addColumn<bool>("receivable");
        QTest::addColumn<bool>("payable");
        QTest::addColumn<QString>("partnerLabel");
        QTest::newRow("收款") << "收款" << true << false << "客    户  ";
        QTest::newRow("付款") << "付款" << false << true << "供 应 商  ";
        QTest::newRow("其它") << "其它" << false << false << "往来单位  ";
    }

    void addSaveShowsDirectionTab() {
        QFETCH(QString, direction);
        QFETCH(bool, receivable);
        QFETCH(bool, payable);
        QFETCH(QString, partnerLabel);
        f->start();
        f->openAdd(QStringLiteral("HT-7"));
        TFormAddCom& e = f->editor();
        f->fillRequired(direction);
        // in add mode a new direction relabels the partner but leaves the tabs hidden
        QCOMPARE(e.Label4->text(), partnerLabel);
        QVERIFY(!tabShown(e, e.receivables) && !tabShown(e, e.payables));

        EditorFixture::click(e.Button2);

        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(f->stored(QStringLiteral("HT-7"), QStringLiteral("合同名称")).toString(),
                 QStringLiteral("办公设备采购"));
        QCOMPARE(f->stored(QStringLiteral("HT-7"), QStringLiteral("收付类型")).toString(),
                 direction);
        QCOMPARE(f->stored(QStringLiteral("HT-7"), QStringLiteral("SCNum")).toString(),
                 QStringLiteral("KH001"));
        QCOMPARE(f->stored(QStringLiteral("HT-7"), QStringLiteral("合同金额")).toLongLong(),
                 units(12345.67));
        QCOMPARE(f->stored(QStringLiteral("HT-7"), QStringLiteral("录入")).toString(),
                 QStringLiteral("管理员"));
        QCOMPARE(tabShown(e, e.receivables), receivable);
        QCOMPARE(tabShown(e, e.payables), payable);
        // still add mode: editable, no 修改, no print panel, schedules open for instalments
        QCOMPARE(e.windowTitle(), QStringLiteral("合同增加"));
        QVERIFY(e.isVisible());
        QVERIFY(!e.DBEdit2->isReadOnly());
        QVERIFY(e.Button2->isEnabled() && e.Button3->isEnabled());
        QVERIFY(e.Button6->isHidden());
        QVERIFY(e.Panel1->isHidden());
        QVERIFY(e.Label20->isHidden() && e.Label21->isHidden());
        QVERIFY(e.receivables->addButton->isEnabled() && e.payables->addButton->isEnabled());
        QCOMPARE(f->contracts().state(), DatasetState::Browse);
    }

    void duplicateNumberKeepsValues() {
        f->addContract(QStringLiteral("HT001"), QStringLiteral("已有合同"), QStringLiteral("KH001"),
                       QStringLiteral("收款"), 10);
        f->start();
        f->openAdd(QStringLiteral("HT001"));
        TFormAddCom& e = f->editor();
        f->fillRequired();

        EditorFixture::click(e.Button2);

        QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("编号不可重名")});
        QCOMPARE(f->dialogs().last().caption, Dialogs::programTitle());
        QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::None);
        QCOMPARE(f->contracts().state(), DatasetState::Insert);
        QCOMPARE(e.DBEdit1->text(), QStringLiteral("HT001"));
        QCOMPARE(e.DBEdit2->text(), QStringLiteral("办公设备采购"));
        QCOMPARE(e.DBEdit5->text(), QStringLiteral("12,345.67")); // grouped once left
        QCOMPARE(e.DBLookupComboBox1->currentText(), QStringLiteral("华东客户"));
        QVERIFY(!tabShown(e, e.receivables));

        type(e.DBEdit1, QStringLiteral("HT002"));
        EditorFixture::click(e.Button2);
        QCOMPARE(f->dialogs().count(), 1);
        QCOMPARE(f->stored(QStringLiteral("HT002"), QStringLiteral("合同名称")).toString(),
                 QStringLiteral("办公设备采购"));
        QVERIFY(tabShown(e, e.receivables));
    }

    // Any other refusal: its text once, and the typed contract back in the boxes to retry.
    void refusedSaveKeepsValues() {
        f->refuse(QStringLiteral("INSERT"), QStringLiteral("Compact"), QStringLiteral("磁盘已满"),
                  QStringLiteral("NEW.合同名称 = '不许保存'"));
        f->start();
        f->openAdd(QStringLiteral("HT005"));
        TFormAddCom& e = f->editor();
        f->fillRequired();
        type(e.DBEdit2, QStringLiteral("不许保存"));

        EditorFixture::click(e.Button2);

        QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("磁盘已满")});
        QCOMPARE(f->contracts().state(), DatasetState::Insert);
        QCOMPARE(e.DBEdit1->text(), QStringLiteral("HT005"));
        QCOMPARE(e.DBEdit2->text(), QStringLiteral("不许保存"));
        QCOMPARE(e.DBLookupComboBox1->currentText(), QStringLiteral("华东客户"));
        QCOMPARE(e.DBEdit8->text(), QStringLiteral("管理员"));
        QVERIFY(!tabShown(e, e.receivables));

        type(e.DBEdit2, QStringLiteral("可以保存"));
        EditorFixture::click(e.Button2);
        QCOMPARE(f->dialogs().count(), 1);
        QCOMPARE(f->stored(QStringLiteral("HT005"), QStringLiteral("录入日期")).toString(),
                 QStringLiteral("2024-03-15"));
    }

    // The main window's lists are re-linked after a save; on a partner tab they stood on the
    // first supplier, so they move to the saved contract's partner and the editor stays on it.
    void saveOnPartnerTabStaysOnContract() {
        f->addPartner(QStringLiteral("GY002"), QStringLiteral("南方供应商"), false, true);
        f->start();
        TfrmCompactManager main;
        main.bindData(f->module());
        app().frmCompactManager = &main;
        main.PageControl1->setCurrentIndex(1);
        f->openAdd(QStringLiteral("HT050"));
        TFormAddCom& e = f->editor();
        QCOMPARE(e.DBLookupComboBox1->currentText(), QStringLiteral("北方供应商"));
        type(e.DBEdit2, QStringLiteral("钢材采购"));
        EditorFixture::choose(e.DBComboBox1, QStringLiteral("付款"));
        EditorFixture::choose(e.DBLookupComboBox1, QStringLiteral("南方供应商"));
        type(e.DBEdit5, QStringLiteral("1000"));
        EditorFixture::click(e.Button2);

        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(f->contracts().value(QStringLiteral("合同编号")).toString(),
                 QStringLiteral("HT050"));
        QCOMPARE(f->module().TBMarst->value(QStringLiteral("客户/供应商编号")).toString(),
                 QStringLiteral("GY002"));
        QCOMPARE(main.panelText(3), QStringLiteral("共有  1  条记录"));
        EditorFixture::click(e.payables->addButton);
        QCOMPARE(f->scalar(QStringLiteral("SELECT c.合同编号 FROM AccountPayable p "
                                          "JOIN Compact c ON c.CompactID = p.CompactID"))
                     .toString(),
                 QStringLiteral("HT050"));
        app().frmCompactManager = nullptr;
    }

    // A value the program cannot take is refused when the box is left, stays in the box, and
    // stops the save; once corrected, the contract is saved as typed.
    void refusedValuesStayInTheBox_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("corrected");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("stored");
        const QString range = Currency::rangeMessage(QStringLiteral("1234567890123456"));
        QTest::newRow("amount too large") << "DBEdit5"
                                          << "1234567890123456" << range << "922337203685477.5807"
                                          << "合同金额" << QVariant(Q_INT64_C(9223372036854775807));
        QTest::newRow("no 30 February") << "wwDBDateTimePicker1"
                                        << "2025-02-30"
                                        << "“2025-02-30”不是有效的日期，请重新输入。"
                                        << "2025-02-28"
                                        << "签订日期" << QVariant(QStringLiteral("2025-02-28"));
        QTest::newRow("no 31 April") << "wwDBDateTimePicker1"
                                     << "2025-04-31"
                                     << "“2025-04-31”不是有效的日期，请重新输入。"
                                     << "2025-04-30"
                                     << "签订日期" << QVariant(QStringLiteral("2025-04-30"));
        QTest::newRow("no month 13") << "wwDBDateTimePicker1"
                                     << "2025-13-01"
                                     << "“2025-13-01”不是有效的日期，请重新输入。"
                                     << "2025-12-01"
                                     << "签订日期" << QVariant(QStringLiteral("2025-12-01"));
    }
    void refusedValuesStayInTheBox() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, corrected);
        QFETCH(QString, column);
        QFETCH(QVariant, stored);
        f->start();
        f->openAdd();
        TFormAddCom& e = f->editor();
        f->fillRequired();
        auto* edit = e.findChild<QLineEdit*>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed); // key by key: on the way it may pass valid values
        EditorFixture::click(e.DBEdit7);
        QCOMPARE(f->dialogs().texts(), QStringList{message});
        QCOMPARE(edit->text(), typed);

        EditorFixture::click(e.Button2);
        QCOMPARE(f->dialogs().texts(), (QStringList{message, message}));
        QCOMPARE(f->count(QStringLiteral("Compact")), 0);
        QCOMPARE(edit->text(), typed);

        EditorFixture::type(edit, corrected);
        EditorFixture::click(e.Button2);
        QCOMPARE(f->dialogs().count(), 2);
        QCOMPARE(f->stored(QStringLiteral("HT001"), column), stored);
    }

    // Ten times the amount as the first instalment would not fit: nothing is added.
    void percentageAddOutOfRange() {
        f->addContract(QStringLiteral("HT001"), QStringLiteral("大额"), QStringLiteral("KH001"),
                       QStringLiteral("收款"), 99999999999999.0);
        f->start();
        f->openView(QStringLiteral("HT001"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        e.PageControl1->setCurrentWidget(e.receivables);
        EditorFixture::type(e.receivables->percentInput, QStringLiteral("100000"));
        EditorFixture::click(e.receivables->addButton);
        QCOMPARE(f->dialogs().count(), 1);
        QVERIFY(f->dialogs().last().text.startsWith(QStringLiteral("金额 ")));
        QCOMPARE(f->count(QStringLiteral("AccountReceive")), 0);
        QCOMPARE(e.receivables->dataset()->state(), DatasetState::Browse);
    }

    // Totals of amounts near the top of the range are exact, not wrapped. (The instalments
    // go in after the data module has read its per-partner views, whose sums could not hold
    // them.)
    void totalsBeyondOneAmount() {
        f->addContract(QStringLiteral("HT000"), QStringLiteral("小额"), QStringLiteral("KH001"),
                       QStringLiteral("收款"), 1);
        const int id = f->addContract(QStringLiteral("HT001"), QStringLiteral("大额"),
                                      QStringLiteral("KH001"), QStringLiteral("收款"), 1);
        f->start();
        for (int i = 0; i < 3; ++i)
            f->exec(QStringLiteral("INSERT INTO AccountReceive (CompactID, 应收金额, 实收金额, "
                                   "发票额) VALUES (?, ?, 0, 0)"),
                    {id, Q_INT64_C(9000000000000000000)});
        f->openView(QStringLiteral("HT001"));
        QCOMPARE(f->editor().receivables->totalText(QStringLiteral("应收金额")),
                 QStringLiteral("￥2,700,000,000,000,000.00"));
    }

private:
    static void type(QWidget* box, const QString& text) { EditorFixture::type(box, text); }
    QWidget* control_(const QString& name) { return control<QWidget>(f->editor(), name); }

    std::unique_ptr<EditorFixture> f;
};

QINTARA_TEST(TestEditorSave)
#include "tst_editorsave.moc"
