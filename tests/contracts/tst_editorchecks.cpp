// Saves refused because the values do not fit together: a new direction that would hide the
// contract's instalments, a term that ends before it starts. Nothing is written and every
// typed value stays for the user to correct.
#include "common/testregistry.h"
#include "components/dateedit.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class TestEditorChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    void directionWithInstalments_data() {
        QTest::addColumn<QString>("direction");
        QTest::addColumn<bool>("receivables"); // which kind of instalments the contract has
        QTest::addColumn<int>("instalments");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("message"); // empty: the change is saved
        const QString fromReceipt =
            QStringLiteral("该合同已有收款记录，收付类型不能改为“%"
                           "1”。如需修改，请先改回“收款”并删除全部收款记录。");
        QTest::newRow("收款 to 付款") << "收款" << true << 2 << "付款" << fromReceipt.arg("付款");
        QTest::newRow("收款 to 其它") << "收款" << true << 1 << "其它" << fromReceipt.arg("其它");
        QTest::newRow("付款 to 收款") << "付款" << false << 1 << "收款"
                                      << "该合同已有付款记录，收付类型不能改为“收款”。如需修改，请"
                                         "先改回“付款”并删除全部付款记录。";
        QTest::newRow("no instalments") << "收款" << true << 0 << "付款" << QString();
    }

    // Modify a contract: a new name and a new direction, save, then put the direction back.
    void directionWithInstalments() {
        QFETCH(QString, direction);
        QFETCH(bool, receivables);
        QFETCH(int, instalments);
        QFETCH(QString, chosen);
        QFETCH(QString, message);
        const int id = f->addContract(QStringLiteral("HT100"), QStringLiteral("旧合同"),
                                      QStringLiteral("KH001"), direction, 1000);
        for (int i = 0; i < instalments; ++i)
            if (receivables)
                f->addReceivable(id, QDate(2024, 4, 1 + i), 100);
            else
                f->addPayable(id, QDate(2024, 4, 1 + i), 100);
        f->start();
        f->openView(QStringLiteral("HT100"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        EditorFixture::type(e.DBEdit2, QStringLiteral("新合同名"));
        EditorFixture::choose(e.DBComboBox1, chosen);
        EditorFixture::click(e.Button2);

        const QString table =
            receivables ? QStringLiteral("AccountReceive") : QStringLiteral("AccountPayable");
        QCOMPARE(f->count(table), instalments);
        if (message.isEmpty()) {
            QCOMPARE(f->dialogs().count(), 0);
            QCOMPARE(f->stored(QStringLiteral("HT100"), QStringLiteral("收付类型")).toString(),
                     chosen);
            return;
        }
        QCOMPARE(f->dialogs().texts(), QStringList{message});
        QCOMPARE(f->dialogs().last().caption, QStringLiteral("提示信息"));
        QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Information);
        QCOMPARE(e.focusWidget(), e.DBComboBox1);
        QCOMPARE(f->stored(QStringLiteral("HT100"), QStringLiteral("收付类型")).toString(),
                 direction);
        QCOMPARE(f->stored(QStringLiteral("HT100"), QStringLiteral("合同名称")).toString(),
                 QStringLiteral("旧合同"));
        QCOMPARE(e.DBEdit2->text(), QStringLiteral("新合同名"));
        QCOMPARE(e.DBComboBox1->currentText(), chosen);
        QCOMPARE(f->contracts().state(), DatasetState::Edit);

        // back to the old direction, the rest of the change is saved
        EditorFixture::choose(e.DBComboBox1, direction);
        EditorFixture::click(e.Button2);
        QCOMPARE(f->dialogs().count(), 1);
        QCOMPARE(f->stored(QStringLiteral("HT100"), QStringLiteral("合同名称")).toString(),
                 QStringLiteral("新合同名"));
        QCOMPARE(f->stored(QStringLiteral("HT100"), QStringLiteral("收付类型")).toString(),
                 direction);
        QCOMPARE(f->count(table), instalments);
    }

    void term_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("refused");
        QTest::newRow("ends before it starts") << "2026-12-31"
                                               << "2026-01-01" << true;
        QTest::newRow("ends the day before") << "2026-03-05"
                                             << "2026-03-04" << true;
        QTest::newRow("one day") << "2026-03-05"
                                 << "2026-03-05" << false;
        QTest::newRow("no start") << ""
                                  << "2026-01-01" << false;
    }

    // Add a contract with its term, save; a refused term is corrected and saved.
    void term() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, refused);
        f->start();
        f->openAdd(QStringLiteral("HT200"));
        TFormAddCom& e = f->editor();
        f->fillRequired();
        e.PageControl1->setCurrentIndex(3);
        EditorFixture::type(e.wwDBDateTimePicker2, start);
        EditorFixture::type(e.wwDBDateTimePicker3, end);
        e.PageControl1->setCurrentIndex(0);
        EditorFixture::click(e.Button2);

        if (!refused) {
            QCOMPARE(f->dialogs().count(), 0);
            QCOMPARE(f->stored(QStringLiteral("HT200"), QStringLiteral("截止日期")).toString(),
                     end);
            return;
        }
        QCOMPARE(f->dialogs().texts(),
                 QStringList{QStringLiteral("合同截止日期早于合同开始日期，请检查这两个日期！")});
        QCOMPARE(f->count(QStringLiteral("Compact")), 0);
        QCOMPARE(f->contracts().state(), DatasetState::Insert);
        QCOMPARE(e.PageControl1->currentIndex(), 3);
        QCOMPARE(e.focusWidget(), e.wwDBDateTimePicker3);
        QCOMPARE(e.wwDBDateTimePicker2->text(), start);
        QCOMPARE(e.wwDBDateTimePicker3->text(), end);
        QCOMPARE(e.DBEdit2->text(), QStringLiteral("办公设备采购"));

        EditorFixture::type(e.wwDBDateTimePicker3, QStringLiteral("2027-01-01"));
        EditorFixture::click(e.Button2);
        QCOMPARE(f->dialogs().count(), 1);
        QCOMPARE(f->stored(QStringLiteral("HT200"), QStringLiteral("开始日期")).toString(), start);
        QCOMPARE(f->stored(QStringLiteral("HT200"), QStringLiteral("截止日期")).toString(),
                 QStringLiteral("2027-01-01"));
    }

private:
    std::unique_ptr<EditorFixture> f;
};

QINTARA_TEST(TestEditorChecks)
#include "tst_editorchecks.moc"
