// The receivable and payable schedules on the editor's tabs, used in modify mode.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "contracts/scheduletab.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>

class TestSchedules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        f = std::make_unique<EditorFixture>();
        ids[0] = f->addContract(QStringLiteral("SK01"), QStringLiteral("设备销售"),
                                QStringLiteral("KH001"), QStringLiteral("收款"), 12345.67);
        ids[1] = f->addContract(QStringLiteral("FK01"), QStringLiteral("钢材采购"),
                                QStringLiteral("GY001"), QStringLiteral("付款"), 12345.67);
    }
    void cleanup() { f.reset(); }

    void addTenPercent() {
        ScheduleTab* tab = openSchedule(true);
        QCOMPARE(tab->percentInput->value(), 10.0);
        EditorFixture::click(tab->addButton);
        QCOMPARE(rows(true),
                 QList<QVariantList>({{units(1234.567), 0LL, 0LL, QVariant(), QVariant()}}));
        QCOMPARE(tab->totalText(QStringLiteral("应收金额")), QStringLiteral("￥1,234.57"));
        QCOMPARE(tab->totalText(QStringLiteral("实收金额")), QStringLiteral("￥0.00"));
        QCOMPARE(tab->totalText(QStringLiteral("发票额")), QStringLiteral("￥0.00"));
        QCOMPARE(f->dialogs().count(), 0);
    }

    void percentOverHundred_data() {
        QTest::addColumn<bool>("receivable");
        QTest::addColumn<double>("kept");
        QTest::addColumn<double>("amount");
        QTest::newRow("receivable: no limit") << true << 150.0 << 18518.505;
        QTest::newRow("payable: held to 100") << false << 100.0 << 12345.67;
    }

    void percentOverHundred() {
        QFETCH(bool, receivable);
        QFETCH(double, kept);
        QFETCH(double, amount);
        ScheduleTab* tab = openSchedule(receivable);
        EditorFixture::type(tab->percentInput, QStringLiteral("150"));
        EditorFixture::click(tab->addButton); // the input loses the focus first
        QCOMPARE(tab->percentInput->value(), kept);
        QCOMPARE(rows(receivable).value(0).value(0).toLongLong(), units(amount));
    }

    void twoAddsAtFifty() {
        ScheduleTab* tab = openSchedule(false);
        EditorFixture::type(tab->percentInput, QStringLiteral("50"));
        EditorFixture::click(tab->addButton);
        EditorFixture::click(tab->addButton);
        const QList<QVariantList> stored = rows(false);
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[0][0].toLongLong(), units(6172.835));
        QCOMPARE(stored[1][0].toLongLong(), units(6172.835));
        QCOMPARE(tab->totalText(QStringLiteral("应付金额")), QStringLiteral("￥12,345.67"));
        QCOMPARE(tab->dataset()->recNo(), 2);
    }

    void deleteOnEmptySchedule() {
        ScheduleTab* tab = openSchedule(true);
        EditorFixture::click(tab->deleteButton);
        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(f->count(QStringLiteral("AccountReceive")), 0);
        QCOMPARE(tab->dataset()->state(), DatasetState::Browse);
    }

    void deleteSecondOfThree() {
        for (double amount : {100.0, 200.0, 300.0})
            f->addReceivable(ids[0], QVariant(), amount);
        ScheduleTab* tab = openSchedule(true);
        QCOMPARE(tab->totalText(QStringLiteral("应收金额")), QStringLiteral("￥600.00"));
        clickRow(tab, 1);
        EditorFixture::click(tab->deleteButton);
        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(tab->dataset()->recNo(), 2);
        QCOMPARE(tab->dataset()->value(QStringLiteral("应收金额")).value<Currency>().toString(),
                 QStringLiteral("300"));
        QCOMPARE(tab->grid->currentIndex().row(), 1);
        QCOMPARE(tab->totalText(QStringLiteral("应收金额")), QStringLiteral("￥400.00"));
        QCOMPARE(f->count(QStringLiteral("AccountReceive")), 2);
    }

    void ctrlDeleteAsks_data() {
        QTest::addColumn<Dialogs::Button>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("yes") << Dialogs::Button::Yes << 1;
        QTest::newRow("no") << Dialogs::Button::No << 2;
        QTest::newRow("Enter keeps the row") << Dialogs::Button::None << 2;
    }

    void ctrlDeleteAsks() {
        QFETCH(Dialogs::Button, answer);
        QFETCH(int, left);
        f->addPayable(ids[1], QVariant(), 10);
        f->addPayable(ids[1], QVariant(), 20);
        ScheduleTab* tab = openSchedule(false);
        if (answer == Dialogs::Button::None)
            f->dialogs().pressEnter();
        else
            f->dialogs().answer(answer);
        EditorFixture::pressKey(tab->grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("删除记录吗？")});
        QCOMPARE(f->dialogs().last().caption, QStringLiteral("确认"));
        QCOMPARE(f->dialogs().last().buttons, Dialogs::Button::Yes | Dialogs::Button::No);
        QCOMPARE(f->count(QStringLiteral("AccountPayable")), left);
    }

    void emptyAmountStoredAsZero() {
        f->addReceivable(ids[0], QDate(2024, 4, 1), 500);
        f->addReceivable(ids[0], QDate(2024, 5, 1), 600);
        ScheduleTab* tab = openSchedule(true);
        editCell(tab, 0, 1, QString());
        EditorFixture::pressKey(tab->grid, Qt::Key_Down); // leaving the row saves it
        QCOMPARE(tab->dataset()->state(), DatasetState::Browse);
        QCOMPARE(rows(true).value(0).value(0).toLongLong(), 0LL);
        QCOMPARE(tab->totalText(QStringLiteral("应收金额")), QStringLiteral("￥600.00"));
    }

    // Any text may be typed into an amount cell: grouped digits are taken; what is no amount is
    // refused with a message and the cell opens again with it, until it is corrected.
    void amountCellTakesOrRefuses_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("grouped") << "1,234.50" << QString();
        QTest::newRow("five decimals")
            << "1.23456"
            << "“1.23456”的小数超过 4 位：字段“应收金额”最多保留 4 位小数。";
        QTest::newRow("letters") << "12abc"
                                 << "“12abc”不是字段“应收金额”的有效值。";
    }
    void amountCellTakesOrRefuses() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        f->addReceivable(ids[0], QDate(2024, 4, 1), 500);
        f->addReceivable(ids[0], QDate(2024, 5, 1), 600);
        ScheduleTab* tab = openSchedule(true);
        editCell(tab, 0, 1, typed);
        QCoreApplication::processEvents(); // the grid commits a cell after the key
        if (message.isEmpty()) {
            EditorFixture::pressKey(tab->grid, Qt::Key_Down);
            QCOMPARE(rows(true).value(0).value(0).toLongLong(), 12345000LL);
            return;
        }
        QCOMPARE(f->dialogs().texts(), QStringList(message));
        auto focusedText = [] {
            auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            return box ? box->text() : QString();
        };
        QTRY_COMPARE(focusedText(), typed);
        auto* reopened = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QCOMPARE(rows(true).value(0).value(0).toLongLong(), 5000000LL);
        // corrected in the same cell, it is taken
        EditorFixture::type(reopened, QStringLiteral("1.2345"));
        EditorFixture::pressKey(reopened, Qt::Key_Return);
        QCoreApplication::processEvents();
        EditorFixture::pressKey(tab->grid, Qt::Key_Down);
        QCOMPARE(rows(true).value(0).value(0).toLongLong(), 12345LL);
        QCOMPARE(f->dialogs().count(), 1);
    }

    void cellEditsSaveOrDiscard() {
        f->addReceivable(ids[0], QVariant(), 500);
        ScheduleTab* tab = openSchedule(true);
        editCell(tab, 0, 0, QStringLiteral("24/6/30")); // a two-digit year
        editCell(tab, 0, 5, QStringLiteral("首付款"));

        QCOMPARE(tab->dataset()->state(), DatasetState::Edit);
        EditorFixture::pressKey(tab->grid, Qt::Key_Escape);
        QCOMPARE(tab->dataset()->state(), DatasetState::Browse);
        QCOMPARE(tab->dataset()->value(QStringLiteral("备注")), QVariant());

        editCell(tab, 0, 0, QStringLiteral("24/6/30"));
        EditorFixture::click(f->editor().Button2); // saving the contract leaves the grid
        QCOMPARE(rows(true).value(0).value(3).toString(), QStringLiteral("2024-06-30"));
        QVERIFY(f->editor().isVisible());
        QCOMPARE(f->editor().Button6->isEnabled(), true);
    }

    void downOnLastRowAddsNothing() {
        f->addReceivable(ids[0], QVariant(), 1);
        f->addReceivable(ids[0], QVariant(), 2);
        ScheduleTab* tab = openSchedule(true);
        clickRow(tab, 1);
        EditorFixture::pressKey(tab->grid, Qt::Key_Down);
        QCOMPARE(tab->dataset()->recNo(), 2);
        QCOMPARE(tab->dataset()->state(), DatasetState::Browse);
        QCOMPARE(tab->grid->model()->rowCount(), 2);
    }

    // The percentages outlive the editor's openings.
    void percentageKeptBetweenOpenings() {
        ScheduleTab* tab = openSchedule(true);
        EditorFixture::type(tab->percentInput, QStringLiteral("35"));
        EditorFixture::click(f->editor().Button5);
        f->openView(QStringLiteral("SK01"));
        QCOMPARE(tab->percentInput->value(), 35.0);
        QCOMPARE(f->module().receivablePercent(), 35.0);
    }

    // Typing on after a row is saved by leaving it: the grid stands on the row moved to.
    void typingOnAfterLeavingARow() {
        for (double amount : {100.0, 200.0, 300.0})
            f->addReceivable(ids[0], QVariant(), amount);
        ScheduleTab* tab = openSchedule(true);
        editCell(tab, 0, 5, QStringLiteral("首付"));
        EditorFixture::pressKey(tab->grid, Qt::Key_Down);
        QCOMPARE(tab->grid->currentIndex().row(), 1);
        QCOMPARE(tab->grid->currentIndex().column(), 5);
        editCell(tab, 1, 5, QStringLiteral("二付"));
        EditorFixture::pressKey(tab->grid, Qt::Key_Down);
        QCOMPARE(tab->grid->currentIndex().row(), 2);
        QCOMPARE(tab->dataset()->recNo(), 3);
        QSqlQuery q(f->module().database().connection());
        q.exec(QStringLiteral("SELECT 备注 FROM AccountReceive ORDER BY ID"));
        QStringList notes;
        while (q.next())
            notes << q.value(0).toString();
        QCOMPARE(notes, (QStringList{"首付", "二付", ""}));
    }

    // A second add while a cell of the first new row is still being typed in.
    void addWhileACellIsOpen() {
        ScheduleTab* tab = openSchedule(false);
        EditorFixture::click(tab->addButton);
        const QModelIndex due = tab->grid->model()->index(0, 0);
        tab->grid->setFocus();
        tab->grid->setCurrentIndex(due);
        EditorFixture::pressKey(tab->grid, Qt::Key_F2);
        EditorFixture::type(QApplication::focusWidget(), QStringLiteral("2025-01-31"));
        EditorFixture::click(tab->addButton);
        QCOMPARE(f->dialogs().texts(), QStringList());
        const QList<QVariantList> stored = rows(false);
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[0][3].toString(), QStringLiteral("2025-01-31"));
        QCOMPARE(stored[1][3], QVariant());
        QCOMPARE(tab->dataset()->recNo(), 2);
        QCOMPARE(tab->grid->currentIndex().row(), 1);
    }

private:
    // Opens a contract in view mode, switches to modify and brings its schedule to the front.
    ScheduleTab* openSchedule(bool receivable) {
        f->start();
        f->openView(receivable ? QStringLiteral("SK01") : QStringLiteral("FK01"));
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button6);
        ScheduleTab* tab = receivable ? e.receivables : e.payables;
        e.PageControl1->setCurrentWidget(tab);
        return tab;
    }

    // Amount due, settled, invoiced, due date, settlement date of each stored instalment.
    QList<QVariantList> rows(bool receivable) {
        const QString side = receivable ? QStringLiteral("应收") : QStringLiteral("应付");
        const QString done = receivable ? QStringLiteral("实收") : QStringLiteral("实付");
        QSqlQuery q(f->module().database().connection());
        q.exec(QStringLiteral("SELECT %1金额, %2金额, 发票额, %1日期, %2日期 FROM %3 ORDER BY ID")
                   .arg(side, done,
                        receivable ? QStringLiteral("AccountReceive")
                                   : QStringLiteral("AccountPayable")));
        QList<QVariantList> out;
        auto value = [&q](int i) {
            return q.isNull(i) ? QVariant() : RegisterFixture::asStored(q.value(i));
        };
        while (q.next())
            out.append({value(0), value(1), value(2), value(3), value(4)});
        return out;
    }

    static void clickRow(ScheduleTab* tab, int row) {
        const QRect cell = tab->grid->visualRect(tab->grid->model()->index(row, 0));
        QTest::mouseClick(tab->grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // Goes to the cell, opens its editor with F2, replaces the text and confirms with Enter.
    // (A click on the cell that is already current would start the grid's delayed editing.)
    static void editCell(ScheduleTab* tab, int row, int column, const QString& text) {
        const QModelIndex index = tab->grid->model()->index(row, column);
        tab->grid->setFocus();
        if (tab->grid->currentIndex() != index)
            QTest::mouseClick(tab->grid->viewport(), Qt::LeftButton, {},
                              tab->grid->visualRect(index).center());
        EditorFixture::pressKey(tab->grid, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        EditorFixture::type(editor, text);
        EditorFixture::pressKey(editor, Qt::Key_Return);
    }

    std::unique_ptr<EditorFixture> f;
    int ids[2] = {};
};

QINTARA_TEST(TestSchedules)
#include "tst_schedules.moc"
