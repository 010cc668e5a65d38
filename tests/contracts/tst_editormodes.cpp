// The editor's view and modify modes, and closing it.
#include "common/testregistry.h"
#include "components/linklabel.h"
#include "contracts/scheduletab.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"
#include "masterdata/twldanwei.h"
#include "output/tfkprint.h"
#include "output/tskprint.h"
#include "platform/gui/shellopen.h"
#include "shell/appcontext.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

bool tabShown(const TFormAddCom& e, QWidget* page) {
    return e.PageControl1->isTabVisible(e.PageControl1->indexOf(page));
}

// The right edge of a control in the coordinates its mark is laid out in.
int rightEdge(const QWidget* control, const QWidget* mark) {
    return control->mapTo(control->window(), QPoint(control->width(), 0)).x() -
           mark->parentWidget()->mapTo(mark->window(), QPoint(0, 0)).x();
}

} // namespace

class TestEditorModes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        f = std::make_unique<EditorFixture>();
        f->addContract(QStringLiteral("HT001"), QStringLiteral("钢材采购"), QStringLiteral("GY001"),
                       QStringLiteral("付款"), 5000);
        f->addContract(QStringLiteral("HT002"), QStringLiteral("设备销售"), QStringLiteral("KH001"),
                       QStringLiteral("收款"), 8000);
        f->addContract(QStringLiteral("HT003"), QStringLiteral("场地租赁"), QStringLiteral("KH001"),
                       QStringLiteral("其它"), 1200);
        f->exec(QStringLiteral("UPDATE Compact SET 修改 = '原经办人', 文件位置 = '/tmp/合同.pdf' "
                               "WHERE 合同编号 = 'HT002'"));
    }
    void cleanup() { f.reset(); }

    void viewArrangesByDirection_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("receivable");
        QTest::addColumn<bool>("payable");
        QTest::addColumn<QString>("printButton");
        QTest::newRow("付款") << "HT001" << false << true << "Button14";
        QTest::newRow("收款") << "HT002" << true << false << "Button15";
        QTest::newRow("其它") << "HT003" << false << false << "Button16";
    }

    void viewArrangesByDirection() {
        QFETCH(QString, number);
        QFETCH(bool, receivable);
        QFETCH(bool, payable);
        QFETCH(QString, printButton);
        f->start();
        f->openView(number);
        TFormAddCom& e = f->editor();
        QCOMPARE(e.windowTitle(), QStringLiteral("合同查看"));
        QCOMPARE(tabShown(e, e.receivables), receivable);
        QCOMPARE(tabShown(e, e.payables), payable);
        for (QPushButton* b : {e.Button14, e.Button15, e.Button16})
            QCOMPARE(b->isVisible(), b->objectName() == printButton);
        QVERIFY(e.Panel1->isVisible());
        QVERIFY(e.Label20->isVisible() && !e.Label21->isVisible());
        QVERIFY(!e.Button2->isEnabled() && !e.Button3->isEnabled() && e.Button6->isEnabled());
        QVERIFY(!e.Button10->isVisible() && !e.Button11->isVisible() && e.Button1->isHidden());
        QCOMPARE(e.Label24->x(), rightEdge(e.DBLookupComboBox1, e.Label24) + 7);
        QVERIFY(e.DBEdit2->isReadOnly() && e.DBMemo1->isReadOnly());
        for (ScheduleTab* tab : {e.receivables, e.payables}) {
            QVERIFY(!tab->addButton->isEnabled() && !tab->deleteButton->isEnabled());
            QVERIFY(tab->panel->isHidden());
        }
        // a locked list box ignores the keys that would change it
        const QString before = e.DBComboBox1->currentText();
        EditorFixture::pressKey(e.DBComboBox1, Qt::Key_Down);
        QCOMPARE(e.DBComboBox1->currentText(), before);
        QCOMPARE(f->contracts().state(), DatasetState::Browse);
    }

    void modifyWithoutRight() {
        f->addOperator(QStringLiteral("张三"), {QStringLiteral("增加")});
        f->start(QStringLiteral("张三"));
        f->openView(QStringLiteral("HT002"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        QCOMPARE(f->dialogs().texts(),
                 QStringList{QStringLiteral("您的权限不够，不能完成此项功能！")});
        QCOMPARE(f->dialogs().last().caption, QStringLiteral("信息提示"));
        QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Information);
        QVERIFY(e.DBEdit2->isReadOnly());
        QVERIFY(e.Button6->isEnabled() && !e.Button2->isEnabled());
        QVERIFY(e.Label20->isVisible() && !e.Label21->isVisible());
        QVERIFY(!e.Button10->isVisible());
        QVERIFY(!e.receivables->addButton->isEnabled());
        QCOMPARE(f->contracts().state(), DatasetState::Browse);
    }

    void modifyUnlocksEverything() {
        f->start();
        f->openView(QStringLiteral("HT002"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(f->contracts().state(), DatasetState::Edit);
        QCOMPARE(e.DBEdit9->text(), QStringLiteral("管理员"));
        QVERIFY(!e.Button6->isEnabled() && e.Button2->isEnabled() && e.Button3->isEnabled());
        QVERIFY(!e.Label20->isVisible() && e.Label21->isVisible());
        QVERIFY(e.Button10->isVisible() && e.Button11->isVisible() && !e.Button1->isHidden());
        QCOMPARE(e.Label24->x(), rightEdge(e.Button10, e.Label24) + 7);
        QVERIFY(!e.Panel1->isVisible());
        QVERIFY(!e.DBEdit1->isReadOnly() && !e.DBMemo1->isReadOnly());
        QVERIFY(!e.DBEdit8->isEnabled() && !e.DBEdit9->isEnabled());
        QVERIFY(e.receivables->addButton->isEnabled() && !e.receivables->panel->isHidden());
        QCOMPARE(e.HLLabel1->text(), QStringLiteral("/tmp/合同.pdf"));
    }

    void closingInModifyDiscardsChanges() {
        f->start();
        f->openView(QStringLiteral("HT002"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        EditorFixture::type(e.DBEdit2, QStringLiteral("改过的名称"));
        QVERIFY(f->contracts().isModified());
        EditorFixture::click(e.Button5);
        QVERIFY(!e.isVisible());
        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(f->stored(QStringLiteral("HT002"), QStringLiteral("合同名称")).toString(),
                 QStringLiteral("设备销售"));
        QCOMPARE(f->contracts().state(), DatasetState::Browse);
        QCOMPARE(e.DBEdit2->text(), QStringLiteral("设备销售"));
        // closing leaves the window ready for the next caller's preparation
        QVERIFY(e.DBEdit2->isReadOnly());
        QVERIFY(!e.Button6->isHidden() && !e.Button10->isHidden() && !e.Panel1->isHidden());
        QVERIFY(tabShown(e, e.receivables) && tabShown(e, e.payables));
    }

    void modifyThenCancelKeepsModifier() {
        f->start();
        f->openView(QStringLiteral("HT002"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        EditorFixture::click(e.Button3);
        QVERIFY(!e.isVisible());
        QCOMPARE(f->stored(QStringLiteral("HT002"), QStringLiteral("修改")).toString(),
                 QStringLiteral("原经办人"));
        QCOMPARE(f->contracts().state(), DatasetState::Browse);
    }

    void modifyNewDirectionSwapsTabs() {
        f->start();
        f->openView(QStringLiteral("HT002"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        EditorFixture::choose(e.DBComboBox1, QStringLiteral("付款"));
        QCOMPARE(e.Label4->text(), QStringLiteral("供 应 商  "));
        QVERIFY(!tabShown(e, e.receivables) && tabShown(e, e.payables));

        EditorFixture::click(e.Button2);

        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(f->stored(QStringLiteral("HT002"), QStringLiteral("收付类型")).toString(),
                 QStringLiteral("付款"));
        QCOMPARE(f->stored(QStringLiteral("HT002"), QStringLiteral("修改")).toString(),
                 QStringLiteral("管理员"));
        // back in view mode, printing the payable record
        QVERIFY(e.Panel1->isVisible());
        QVERIFY(e.Button14->isVisible() && !e.Button15->isVisible() && !e.Button16->isVisible());
        QVERIFY(e.Label20->isVisible() && !e.Label21->isVisible());
        QVERIFY(e.DBEdit2->isReadOnly() && e.Button6->isEnabled() && !e.Button2->isEnabled());
        QVERIFY(!e.payables->addButton->isEnabled());
        QCOMPARE(f->contracts().value(QStringLiteral("合同编号")).toString(),
                 QStringLiteral("HT002"));

        TFKPrint payableRecord;
        app().FKPrint = &payableRecord;
        EditorFixture::click(e.Button14);
        QCOMPARE(f->modal.seen, QStringList{QStringLiteral("PrintPreview")});
    }

    void chooseContractFile() {
        f->start();
        f->openView(QStringLiteral("HT001"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        f->dialogs().nextFileName(QStringLiteral("/srv/合同/HT001.doc"));
        e.PageControl1->setCurrentIndex(3);
        EditorFixture::click(e.Button1);
        QCOMPARE(e.HLLabel1->text(), QStringLiteral("/srv/合同/HT001.doc"));
        EditorFixture::click(e.Button2);
        QCOMPARE(f->stored(QStringLiteral("HT001"), QStringLiteral("文件位置")).toString(),
                 QStringLiteral("/srv/合同/HT001.doc"));

        Shell::RecordingOpener shell;
        EditorFixture::click(e.HLLabel1);
        QCOMPARE(shell.opened, QStringList{QStringLiteral("/srv/合同/HT001.doc")});
    }

    // The partners window writes its pick through the partner box; a partner added there can
    // be chosen at once.
    void pickPartnerInPartnersWindow() {
        f->start();
        f->openView(QStringLiteral("HT002"));
        TFormAddCom& e = f->editor();
        TWLDanWei partners;
        app().WLDanWei = &partners;
        EditorFixture::click(e.Button6);
        f->modal.then([&](QDialog*) {
            QVERIFY(partners.Biaoji);
            TDMod& dm = f->module();
            dm.TBServer->append();
            dm.TBServer->fieldByName(QStringLiteral("ScNum"))->setValue(QStringLiteral("GY002"));
            dm.TBServer->fieldByName(QStringLiteral("ScName"))
                ->setValue(QStringLiteral("新供应商"));
            dm.TBServer->post();
            e.partnerLink()->setKeyValue(QStringLiteral("GY002"));
            partners.close();
        });
        EditorFixture::click(e.Button10);
        QCOMPARE(e.DBLookupComboBox1->currentText(), QStringLiteral("新供应商"));
        EditorFixture::click(e.Button2);
        QCOMPARE(f->stored(QStringLiteral("HT002"), QStringLiteral("SCNum")).toString(),
                 QStringLiteral("GY002"));
    }

private:
    std::unique_ptr<EditorFixture> f;
};

QINTARA_TEST(TestEditorModes)
#include "tst_editormodes.moc"
