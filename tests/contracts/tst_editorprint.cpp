// The editor's 合同档案 buttons: each opens the print preview of its contract's record.
#include "common/testregistry.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"
#include "output/tfkprint.h"
#include "output/tqtprint.h"
#include "output/tskprint.h"
#include "shell/appcontext.h"

#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTest>

class TestEditorPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        f = std::make_unique<EditorFixture>();
        const int payable = f->addContract(QStringLiteral("HT001"), QStringLiteral("钢材采购"),
                                           QStringLiteral("GY001"), QStringLiteral("付款"), 5000);
        const int receivable =
            f->addContract(QStringLiteral("HT002"), QStringLiteral("设备销售"),
                           QStringLiteral("KH001"), QStringLiteral("收款"), 8000);
        f->addContract(QStringLiteral("HT003"), QStringLiteral("场地租赁"), QStringLiteral("KH001"),
                       QStringLiteral("其它"), 1200);
        f->addContract(QStringLiteral("HT004"), QStringLiteral("另一份"), QStringLiteral("KH001"),
                       QStringLiteral("其它"), 1);
        for (int i = 0; i < 3; ++i)
            f->addPayable(payable, QDate(2025, 1 + i, 1), 1000, 0);
        f->addReceivable(receivable, QDate(2025, 1, 1), 8000, 0);
    }
    void cleanup() {
        app().FKPrint = nullptr;
        app().SKPrint = nullptr;
        app().QTPrint = nullptr;
        f.reset();
    }

    void buttonOpensThePreview_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("button");
        QTest::newRow("payable record") << "HT001"
                                        << "Button14";
        QTest::newRow("receivable record") << "HT002"
                                           << "Button15";
        QTest::newRow("other-contract record") << "HT003"
                                               << "Button16";
    }
    void buttonOpensThePreview() {
        QFETCH(QString, number);
        QFETCH(QString, button);
        f->start();
        TFKPrint payable;
        TSKPrint receivable;
        TQTPrint other;
        app().FKPrint = &payable;
        app().SKPrint = &receivable;
        app().QTPrint = &other;
        f->openView(number);
        TFormAddCom& e = f->editor();
        int pages = 0;
        f->modal.then([&pages](QDialog* d) {
            QVERIFY(qobject_cast<QPrintPreviewDialog*>(d));
            auto* view = d->findChild<QPrintPreviewWidget*>();
            QVERIFY(view);
            pages = view->pageCount();
            QCOMPARE(view->orientation(), QPageLayout::Landscape);
        });
        EditorFixture::click(control<QPushButton>(e, button));
        QCOMPARE(f->modal.seen, QStringList{QStringLiteral("PrintPreview")});
        QCOMPARE(pages, 1);
        // the editor stays on its contract
        QCOMPARE(e.DBEdit1->text(), number);
        QCOMPARE(f->contracts().value(QStringLiteral("合同编号")).toString(), number);
        QVERIFY(e.isVisible());
        if (number == QLatin1String("HT001")) {
            Dataset* rows = f->module().TBFKJiLu;
            QCOMPARE(rows->recNo(), rows->recordCount()); // the walk ends on the last row
        }
    }

    // Each preview builds the record from the current data: a second contract, a second
    // preview, its own text.
    void eachPreviewPrintsTheCurrentContract() {
        f->start();
        TQTPrint other;
        app().QTPrint = &other;
        for (const QString& number : {QStringLiteral("HT003"), QStringLiteral("HT004")}) {
            f->openView(number);
            f->modal.then([](QDialog*) {});
            EditorFixture::click(f->editor().Button16);
            QCOMPARE(f->contracts().value(QStringLiteral("合同编号")).toString(), number);
            f->editor().Button5->click();
        }
        QCOMPARE(f->modal.seen.count(QStringLiteral("PrintPreview")), 2);
    }

private:
    std::unique_ptr<EditorFixture> f;
};

QINTARA_TEST(TestEditorPrint)
#include "tst_editorprint.moc"
