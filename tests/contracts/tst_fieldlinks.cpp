// The editor's boxes as bound controls: byte limits, dates, the department and partner lists,
// locking.
#include "common/testregistry.h"
#include "components/dateedit.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"
#include "masterdata/tbumengli.h"
#include "shell/appcontext.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestFieldLinks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        f = std::make_unique<EditorFixture>();
        f->start();
        f->openAdd();
    }
    void cleanup() { f.reset(); }

    // ASCII counts one byte, any other character two; typing stops at the limit, a longer
    // paste is cut to fit.
    void textLimitedByBytes_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("keyByKey");
        QTest::addColumn<QString>("kept");
        QTest::newRow("number, keys") << "DBEdit1"
                                      << "HT2024-0000000000001" << true << "HT2024-00000000000";
        QTest::newRow("number, chinese")
            << "DBEdit1"
            << "合同编号合同编号合同编号" << false << "合同编号合同编号合";
        QTest::newRow("number, mixed") << "DBEdit1"
                                       << "合同A合同B合同C合同" << false << "合同A合同B合同C合";
        QTest::newRow("person, exact") << "DBEdit7"
                                       << "一二三四五六七八九十" << false << "一二三四五六七八九十";
        QTest::newRow("state, free text") << "DBComboBox4"
                                          << "正在执行中的合同" << false << "正在执行中";
    }

    void textLimitedByBytes() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(bool, keyByKey);
        QFETCH(QString, kept);
        QWidget* control = ::control<QWidget>(f->editor(), box);
        if (keyByKey) {
            EditorFixture::type(control, {});
            QTest::keyClicks(control, typed);
        } else {
            EditorFixture::type(control, typed);
        }
        const auto* combo = qobject_cast<QComboBox*>(control);
        QCOMPARE(combo ? combo->currentText() : static_cast<QLineEdit*>(control)->text(), kept);
        const QString field = box == QLatin1String("DBEdit1")   ? QStringLiteral("合同编号")
                              : box == QLatin1String("DBEdit7") ? QStringLiteral("责任人")
                                                                : QStringLiteral("执行情况");
        QCOMPARE(f->contracts().value(field).toString(), kept);
    }

    void typedDates_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("stored");
        QTest::addColumn<QString>("shownAfter");
        QTest::newRow("two digits, 49") << "49-1-2" << QDate(2049, 1, 2) << "2049-01-02";
        QTest::newRow("two digits, 50") << "50-1-2" << QDate(1950, 1, 2) << "1950-01-02";
        QTest::newRow("slashes") << "2024/5/1" << QDate(2024, 5, 1) << "2024-05-01";
        QTest::newRow("eight digits") << "20240501" << QDate(2024, 5, 1) << "2024-05-01";
        QTest::newRow("no such day: kept to correct") << "2024-2-30" << QDate() << "2024-2-30";
        QTest::newRow("emptied") << "" << QDate() << "";
    }

    void typedDates() {
        QFETCH(QString, typed);
        QFETCH(QDate, stored);
        QFETCH(QString, shownAfter);
        TFormAddCom& e = f->editor();
        EditorFixture::type(e.wwDBDateTimePicker1, typed);
        EditorFixture::click(e.DBEdit7); // leaving the box
        QCOMPARE(e.wwDBDateTimePicker1->text(), shownAfter);
        QCOMPARE(f->contracts().value(QStringLiteral("签订日期")).toDate(), stored);
    }

    // The amount as typed or pasted: the program's own grouped display is taken; anything that
    // is no amount, or has more decimals than are kept, is refused with a message and stays
    // whole in the box, and the contract cannot be saved with it.
    void amountBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pasted"); // else typed key by key
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<qlonglong>("stored"); // ten-thousandths
        QTest::addColumn<QString>("message");  // empty: taken
        const QString notAmount = QStringLiteral("“%1”不是字段“合同金额”的有效值。");
        QTest::newRow("display format pasted")
            << "46,600.00" << true << "46,600.00" << 466000000LL << QString();
        QTest::newRow("display format typed")
            << "1,234,567.5" << false << "1,234,567.50" << 12345675000LL << QString();
        QTest::newRow("four decimals")
            << "12345.6789" << true << "12,345.68" << 123456789LL << QString();
        QTest::newRow("negative") << "-5" << false << "-5.00" << -50000LL << QString();
        QTest::newRow("exponent typed") << "1e5" << false << "1e5" << 0LL << notAmount.arg("1e5");
        QTest::newRow("exponent pasted") << "1e5" << true << "1e5" << 0LL << notAmount.arg("1e5");
        QTest::newRow("misplaced comma")
            << "4,66,00" << true << "4,66,00" << 0LL << notAmount.arg("4,66,00");
        QTest::newRow("five decimals")
            << "12345.67891" << true << "12345.67891" << -1LL
            << QStringLiteral("“12345.67891”的小数超过 4 位：字段“合同金额”最多保留 4 位小数。");
    }

    void amountBox() {
        QFETCH(QString, text);
        QFETCH(bool, pasted);
        QFETCH(QString, shownAfter);
        QFETCH(qlonglong, stored);
        QFETCH(QString, message);
        TFormAddCom& e = f->editor();
        if (pasted) {
            EditorFixture::paste(e.DBEdit5, text);
        } else {
            EditorFixture::type(e.DBEdit5, {});
            QTest::keyClicks(e.DBEdit5, text);
        }
        EditorFixture::click(e.DBEdit7); // leaving the box
        QCOMPARE(e.DBEdit5->text(), shownAfter);
        EditorFixture::type(e.DBEdit2, QStringLiteral("办公设备采购"));
        EditorFixture::choose(e.DBComboBox1, QStringLiteral("收款"));
        EditorFixture::choose(e.DBLookupComboBox1, QStringLiteral("华东客户"));
        EditorFixture::click(e.Button2);
        if (message.isEmpty()) {
            QCOMPARE(f->dialogs().count(), 0);
            QCOMPARE(f->stored(QStringLiteral("HT001"), QStringLiteral("合同金额")).toLongLong(),
                     stored);
            return;
        }
        QVERIFY(f->dialogs().count() >= 1);
        QCOMPARE(f->dialogs().texts().first(), message);
        QCOMPARE(f->dialogs().last().text, message);
        QCOMPARE(f->count(QStringLiteral("Compact")), 0);
        QCOMPARE(e.DBEdit5->text(), text);
        QCOMPARE(e.focusWidget(), e.DBEdit5);
    }

    // A date pasted in the usual Chinese forms is taken; other text stays, with a message.
    void pastedDates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("stored");
        QTest::addColumn<QString>("shownAfter");
        const QDate day(2026, 3, 5);
        QTest::newRow("年月日") << "2026年3月5日" << day << "2026-03-05";
        QTest::newRow("年月日, two digits") << "2026年03月05日" << day << "2026-03-05";
        QTest::newRow("dashes") << "2026-3-5" << day << "2026-03-05";
        QTest::newRow("slashes") << "2026/3/5" << day << "2026-03-05";
        QTest::newRow("dots") << "2026.3.5" << day << "2026-03-05";
        QTest::newRow("no such month") << "2026年13月5日" << QDate() << "2026年13月5日";
        QTest::newRow("words") << "下个月五号" << QDate() << "下个月五号";
    }

    void pastedDates() {
        QFETCH(QString, text);
        QFETCH(QDate, stored);
        QFETCH(QString, shownAfter);
        TFormAddCom& e = f->editor();
        EditorFixture::paste(e.wwDBDateTimePicker1, text);
        EditorFixture::type(e.DBEdit7, QStringLiteral("张三")); // on to another field
        QCOMPARE(e.wwDBDateTimePicker1->text(), shownAfter);
        QCOMPARE(f->contracts().value(QStringLiteral("签订日期")).toDate(), stored);
        const QStringList messages =
            stored.isValid()
                ? QStringList()
                : QStringList{QStringLiteral("“%1”不是有效的日期，请重新输入。").arg(text)};
        QCOMPARE(f->dialogs().texts(), messages);
    }

    void calendarPicksToday() {
        TFormAddCom& e = f->editor();
        QAction* dropDown =
            e.wwDBDateTimePicker2->findChild<QAction*>(QStringLiteral("calendarButton"));
        dropDown->trigger();
        auto* calendar =
            e.wwDBDateTimePicker2->findChild<QCalendarWidget*>(QStringLiteral("calendar"));
        QVERIFY(calendar && calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate(2024, 3, 15));
        QTest::keyClick(calendar->focusWidget(), Qt::Key_Right);
        QTest::keyClick(calendar->focusWidget(), Qt::Key_Return);
        QVERIFY(!calendar->isVisible());
        QCOMPARE(e.wwDBDateTimePicker2->text(), QStringLiteral("2024-03-16"));
        QCOMPARE(f->contracts().value(QStringLiteral("开始日期")).toDate(), QDate(2024, 3, 16));
    }

    // Typing searches the department list; only a listed name is taken when the box is left.
    void departmentAcceptsListedNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("completed from its start") << "销"
                                                  << "销售部";
        QTest::newRow("other case, listed") << "财务部"
                                            << "财务部";
        QTest::newRow("not listed") << "后勤部"
                                    << "";
    }

    void departmentAcceptsListedNames() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        TFormAddCom& e = f->editor();
        EditorFixture::type(e.wwDBLookupCombo1, typed);
        EditorFixture::click(e.DBEdit7);
        QCOMPARE(e.wwDBLookupCombo1->currentText(), stored);
        QCOMPARE(f->contracts().value(QStringLiteral("所属部门")).toString(), stored);
    }

    // The departments window sets the box's text; the name is written when the contract is saved.
    void departmentPickedInDepartmentsWindow() {
        TFormAddCom& e = f->editor();
        TBuMenGLi departments;
        app().BuMenGLi = &departments;
        f->modal.then([&](QDialog*) {
            QVERIFY(departments.BMbji);
            e.wwDBLookupCombo1->setCurrentText(QStringLiteral("财务部"));
            f->module().TBDepartment->refresh();
            departments.close();
        });
        EditorFixture::click(e.Button11);
        QCOMPARE(e.wwDBLookupCombo1->currentText(), QStringLiteral("财务部"));
        f->fillRequired();
        EditorFixture::click(e.Button2);
        QCOMPARE(f->stored(QStringLiteral("HT001"), QStringLiteral("所属部门")).toString(),
                 QStringLiteral("财务部"));
    }

    void numberNotSelectedOnEntry() {
        TFormAddCom& e = f->editor();
        e.DBEdit2->setFocus();
        QTest::keyClick(e.DBEdit2, Qt::Key_Backtab);
        QCOMPARE(e.focusWidget(), e.DBEdit1);
        QCOMPARE(e.DBEdit1->selectedText(), QString());
        QTest::keyClick(e.DBEdit1, Qt::Key_Tab);
        QCOMPARE(e.DBEdit2->selectedText(), e.DBEdit2->text());
    }

    void lockedBoxesTakeNoInput() {
        TFormAddCom& e = f->editor();
        EditorFixture::click(e.Button3);
        f->addContract(QStringLiteral("HT100"), QStringLiteral("旧合同"), QStringLiteral("KH001"),
                       QStringLiteral("收款"), 10);
        f->contracts().refresh();
        f->openView(QStringLiteral("HT100"));
        QTest::keyClicks(e.DBEdit2, QStringLiteral("xyz"));
        QTest::keyClicks(e.DBComboBox4, QStringLiteral("abc"));
        QTest::keyClick(e.DBLookupComboBox1, Qt::Key_Down);
        e.wwDBDateTimePicker1->showCalendar();
        QCOMPARE(e.DBEdit2->text(), QStringLiteral("旧合同"));
        QCOMPARE(e.DBComboBox4->currentText(), QString());
        QCOMPARE(e.DBLookupComboBox1->currentText(), QStringLiteral("华东客户"));
        QVERIFY(!e.wwDBDateTimePicker1->findChild<QCalendarWidget*>());
        QCOMPARE(f->contracts().state(), DatasetState::Browse);
    }

private:
    std::unique_ptr<EditorFixture> f;
};

QINTARA_TEST(TestFieldLinks)
#include "tst_fieldlinks.moc"
