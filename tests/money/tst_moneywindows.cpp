#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "money/tfukfrm.h"
#include "money/tshkfrm.h"
#include "moneyfixture.h"
#include "shell/appcontext.h"
#include "shell/shellfixture.h"
#include "shell/tfrmcompactmanager.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QGraphicsTextItem>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>

namespace {

struct Bars {
    QStringList labels;
    QList<double> due, settled;
};

Bars bars(MoneyWindow* w) {
    Bars b;
    b.labels = w->chartMonths->categories();
    for (int i = 0; i < w->Series1->count(); ++i)
        b.due << w->Series1->at(i);
    for (int i = 0; i < w->Series2->count(); ++i)
        b.settled << w->Series2->at(i);
    return b;
}

// The texts the chart draws, left to right, once it is laid out at its size; with the pairs
// of them whose boxes overlap.
struct Shown {
    QList<std::pair<QString, QRectF>> items;
    QStringList overlaps;
    bool any(const QRegularExpression& pattern) const {
        return std::any_of(items.begin(), items.end(),
                           [&](const auto& item) { return pattern.match(item.first).hasMatch(); });
    }
};

Shown shownTexts(QChartView* view) {
    QCoreApplication::processEvents();
    view->grab(); // lays the chart out as it is painted
    Shown shown;
    for (QGraphicsItem* item : view->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (text && text->isVisible() && !text->toPlainText().isEmpty())
            shown.items.append({text->toPlainText(), text->sceneBoundingRect()});
    }
    std::sort(shown.items.begin(), shown.items.end(), [](const auto& a, const auto& b) {
        return a.second.center().x() < b.second.center().x();
    });
    for (qsizetype i = 0; i < shown.items.size(); ++i)
        for (qsizetype j = i + 1; j < shown.items.size(); ++j)
            if (shown.items[i].second.intersects(shown.items[j].second))
                shown.overlaps << shown.items[i].first + u'|' + shown.items[j].first;
    return shown;
}

} // namespace

class TestMoneyWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutOfEachSide_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("checkName");
        QTest::addColumn<QString>("checkCaption");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QStringList>("detailTitles");
        QTest::addColumn<QStringList>("summaryTitles");
        QTest::addColumn<QString>("chartTitle");
        QTest::addColumn<QStringList>("series");
        QTest::addColumn<QList<QColor>>("colours");
        QTest::addColumn<QColor>("background");
        QTest::newRow("payables")
            << true << "应付款表" << QSize(782, 485) << "RadioButton1"
            << "显示所有付款记录"
            << QStringList{"YFKShiJian:按时间", "YFKKeHu:按供应商", "YFKTuBiao:分析图表",
                           "YFKZhangLing:账龄分析"}
            << QStringList{"应付日期", "应付金额", "实付金额", "合同编号", "合同名称", "供应商"}
            << QStringList{"供应商编号", "供应商名称", "合同数", "应付金额", "实付金额", "欠款"}
            << "   应付款分析图表" << QStringList{"应付款", "实付款"}
            << QList<QColor>{QColor(0xFF, 0x80, 0x40), QColor(0x80, 0x80, 0xFF)}
            << QColor(Qt::white);
        QTest::newRow("receivables")
            << false << "应收款表" << QSize(788, 478) << "CheckBox1"
            << "显示所有收款记录"
            << QStringList{"YSKShiJian:按时间", "YSKKeHu:按客户", "YSKTuBiao:分析图表",
                           "YSKZhangLing:账龄分析"}
            << QStringList{"应收日期", "应收金额", "实收金额", "合同编号", "合同名称", "客户名称"}
            << QStringList{"客户编号", "客户名称", "合同数", "应收金额", "实收金额", "欠款"}
            << "应收款分析图表" << QStringList{"应收款", "实收款"}
            << QList<QColor>{QColor(0x80, 0xFF, 0x00), QColor(0xFF, 0x00, 0x00)}
            << QColor(0xC0, 0xC0, 0xC0);
    }
    void layoutOfEachSide() {
        QFETCH(bool, payables);
        QFETCH(QString, caption);
        QFETCH(QSize, size);
        QFETCH(QString, checkName);
        QFETCH(QString, checkCaption);
        QFETCH(QStringList, pages);
        QFETCH(QStringList, detailTitles);
        QFETCH(QStringList, summaryTitles);
        QFETCH(QString, chartTitle);
        QFETCH(QStringList, series);
        QFETCH(QList<QColor>, colours);
        QFETCH(QColor, background);
        Money m(payables, {{QDate(2007, 3, 5), 100}});
        QVERIFY(m.f.start());
        MoneyWindow* w = m.window();
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->size(), size);
        QCOMPARE(w->showAll->objectName(), checkName);
        QCOMPARE(w->showAll->text(), checkCaption);
        QStringList shownPages;
        for (int i = 0; i < w->PageControl1->count(); ++i)
            shownPages << w->PageControl1->widget(i)->objectName() + u':' +
                              w->PageControl1->tabText(i);
        QCOMPARE(shownPages, pages);
        QCOMPARE(w->PageControl1->tabPosition(), QTabWidget::West);
        QCOMPARE(titles(w->wwDBGrid1), detailTitles);
        QCOMPARE(titles(w->wwDBGrid2), summaryTitles);
        QCOMPARE(w->wwDBGrid1->toolTip(), QStringLiteral("双击即可打开合同"));
        QCOMPARE(w->DBChart1->chart()->title(), chartTitle);
        QCOMPARE(QStringList({w->Series1->label(), w->Series2->label()}), series);
        QCOMPARE(QList<QColor>({w->Series1->color(), w->Series2->color()}), colours);
        QCOMPARE(w->DBChart1->chart()->backgroundBrush().color(), background);
        QCOMPARE(w->DBChart1->chart()->legend()->alignment(), Qt::AlignBottom);
        for (const char* name : {"SpeedButton1", "SpeedButton3", "SpeedButton2"})
            QVERIFY(w->findChild<QToolButton*>(QLatin1String(name)));
        if (payables)
            QCOMPARE(static_cast<Tfukfrm*>(w)->RadioButton1, w->showAll);
        else
            QCOMPARE(static_cast<Tshkfrm*>(w)->CheckBox1, w->showAll);
    }

    // The box lists the settled instalment in the list and in the chart; the next showing
    // starts unchecked again.
    void showAllBox_data() { sides(); }
    void showAllBox() {
        QFETCH(bool, payables);
        Money m(payables, {{QDate(2007, 4, 10), 80, 80}, {QDate(2007, 3, 5), 100, 40}});
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            QCOMPARE(w->PageControl1->currentIndex(), 0);
            QVERIFY(!w->showAll->isChecked());
            QCOMPARE(column(w->wwDBGrid1, 1), QStringList({"100.00"}));
            choosePage(w, 2);
            QCOMPARE(bars(w).labels, QStringList({"07/3"}));
            QVERIFY(!w->showAll->isVisible());
            choosePage(w, 0);
            QVERIFY(w->showAll->isVisible());
            QTest::mouseClick(w->showAll, Qt::LeftButton);
            QVERIFY(w->showAll->isChecked());
            // both, by due date
            QCOMPARE(column(w->wwDBGrid1, 1), QStringList({"100.00", "80.00"}));
            choosePage(w, 2);
            QCOMPARE(bars(w).labels, QStringList({"07/3", "07/4"}));
            QCOMPARE(bars(w).due, QList<double>({100, 80}));
            QCOMPARE(bars(w).settled, QList<double>({40, 80}));
            choosePage(w, 1);
            QVERIFY(!w->showAll->isVisible());
            QVERIFY(w->showAll->isChecked()); // kept while hidden
            choosePage(w, 0);
            QVERIFY(w->showAll->isVisible());
            QVERIFY(w->showAll->isChecked());
            QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
        });
        QVERIFY(!m.window()->isVisible());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            QVERIFY(!w->showAll->isChecked());
            QCOMPARE(column(w->wwDBGrid1, 1), QStringList({"100.00"}));
            QVERIFY(w->detail()->isFiltered());
            QCOMPARE(w->detail()->filter(), QStringLiteral("cc>0"));
            // unchecking again filters what is in memory
            QTest::mouseClick(w->showAll, Qt::LeftButton);
            QCOMPARE(w->detail()->recordCount(), 2);
            QTest::mouseClick(w->showAll, Qt::LeftButton);
            QCOMPARE(column(w->wwDBGrid1, 1), QStringList({"100.00"}));
        });
        QCOMPARE(m.f.modal.seen,
                 QStringList({"Login", m.window()->objectName(), m.window()->objectName()}));
    }

    // Start-up reads none of the instalment views; the window reads only the open rows while
    // the box is unchecked, every row once it is checked.
    void readsWhatItShows_data() { sides(); }
    void readsWhatItShows() {
        QFETCH(bool, payables);
        Money m(payables, {{QDate(2007, 3, 5), 100}, {QDate(2007, 4, 5), 100, 100}});
        QVERIFY(m.f.start());
        TDMod& dm = m.f.dm();
        for (Dataset* ds : {dm.TBShoukuan, dm.TBFukuan, dm.TBShouKuanZong, dm.TBFuKuanZong,
                            dm.TBSTiXing, dm.TBFTiXing, dm.TBQuery})
            QVERIFY2(!ds->isActive(), qPrintable(ds->name()));
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            QVERIFY(w->detail()->isActive() && w->summary()->isActive());
            QVERIFY(w->detail()->sql().contains(QStringLiteral("cc > 0")));
            QCOMPARE(w->detail()->recordCount(), 1);
            QTest::mouseClick(w->showAll, Qt::LeftButton);
            QVERIFY(!w->detail()->sql().contains(QStringLiteral("cc")));
            QCOMPARE(w->detail()->recordCount(), 2);
            QCOMPARE(w->detail()->sort(),
                     payables ? QStringLiteral("应付日期") : QStringLiteral("应收日期"));
        });
        QVERIFY(m.window()->detail()->isActive()); // closing leaves it open
    }

    void chart_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QList<Instalment>>("rows");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QList<double>>("due");
        QTest::addColumn<QList<double>>("settled");
        const QList<Instalment> spring{
            {QDate(2007, 5, 1), 50}, {QDate(2007, 3, 20), 200, 20.5}, {QDate(2007, 3, 5), 100}};
        for (bool payables : {true, false}) {
            const char* side = payables ? "payables" : "receivables";
            QTest::addRow("%s: no April bar", side)
                << payables << spring << 3 << QStringList{"07/3", "07/5"} << QList<double>{300, 50}
                << QList<double>{20.5, 0};
            QTest::addRow("%s: one instalment", side)
                << payables << QList<Instalment>{{QDate(2010, 11, 30), 1234.5678}} << 1
                << QStringList{"10/11"} << QList<double>{1234.5678} << QList<double>{0};
            QTest::addRow("%s: across the year", side)
                << payables << QList<Instalment>{{QDate(2008, 1, 2), 10}, {QDate(2007, 12, 31), 20}}
                << 2 << QStringList{"07/12", "08/1"} << QList<double>{20, 10}
                << QList<double>{0, 0};
            QTest::addRow("%s: undated rows listed, not charted", side)
                << payables
                << QList<Instalment>{{QDate(), 70}, {QDate(2007, 3, 5), 100}, {QDate(), 30}} << 3
                << QStringList{"07/3"} << QList<double>{100} << QList<double>{0};
            // a credit note: open, yet below zero
            QTest::addRow("%s: a month in credit", side)
                << payables
                << QList<Instalment>{{QDate(2007, 3, 5), -100, -300}, {QDate(2007, 4, 5), 50}} << 2
                << QStringList{"07/3", "07/4"} << QList<double>{-100, 50} << QList<double>{-300, 0};
            QTest::addRow("%s: nothing open", side)
                << payables << QList<Instalment>{{QDate(2007, 3, 5), 100, 100}} << 0
                << QStringList{} << QList<double>{} << QList<double>{};
        }
    }
    void chart() {
        QFETCH(bool, payables);
        QFETCH(QList<Instalment>, rows);
        QFETCH(int, listed);
        QFETCH(QStringList, labels);
        QFETCH(QList<double>, due);
        QFETCH(QList<double>, settled);
        Money m(payables, rows);
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            QCOMPARE(w->wwDBGrid1->model()->rowCount(), listed);
            choosePage(w, 2);
            QCOMPARE(bars(w).labels, labels);
            QCOMPARE(bars(w).due, due);
            QCOMPARE(bars(w).settled, settled);
            // every bar, above zero or below, lies within the value axis
            for (double v : due + settled) {
                QVERIFY2(w->chartAmounts->min() <= std::min(v, 0.0),
                         qPrintable(QString::number(v)));
                QVERIFY2(w->chartAmounts->max() >= std::max(v, 0.0),
                         qPrintable(QString::number(v)));
            }
            QCOMPARE(m.f.dialogs().count(), 0);
            QVERIFY(!w->detail()->controlsDisabled());
            // rebuilt, not added to, on the next visit
            choosePage(w, 1);
            choosePage(w, 2);
            QCOMPARE(bars(w).due, due);
        });
    }

    // Two partners' instalments in one month add up beyond one amount's range: the bar shows
    // the exact total and the list goes on following its cursor.
    void monthBeyondOneAmount_data() { sides(); }
    void monthBeyondOneAmount() {
        QFETCH(bool, payables);
        const double big = 600000000000000.0; // 6e14, two thirds of the largest amount
        Money m(payables, {{QDate(2007, 3, 5), big}});
        m.f.addPartner(QStringLiteral("G02"), QStringLiteral("供方二"), true, true);
        m.contract = m.f.RegisterFixture::addContract(
            QStringLiteral("HT-2"), QStringLiteral("设备"), QStringLiteral("G02"),
            payables ? QStringLiteral("付款") : QStringLiteral("收款"), 1000);
        m.add({QDate(2007, 3, 20), big});
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            choosePage(w, 2);
            QCOMPARE(bars(w).due, QList<double>({2 * big}));
            QVERIFY(w->chartAmounts->max() >= 2 * big);
            QVERIFY(!w->detail()->controlsDisabled());
            choosePage(w, 0);
            w->wwDBGrid1->selectRow(1);
            QCOMPARE(w->detail()->recNo(), 2);
        });
        QCOMPARE(m.f.dialogs().count(), 0);
    }

    // Seven and a half years of months: every month's label shows, none over another, and
    // the value axis groups thousands as the amounts do.
    void everyMonthReadable_data() { sides(); }
    void everyMonthReadable() {
        QFETCH(bool, payables);
        QList<Instalment> rows;
        QStringList months;
        for (int i = 0; i < 90; ++i) {
            const QDate due = QDate(2001, 1, 15).addMonths(i);
            rows.append({due, 1000000.0 + i * 12345});
            months << QStringLiteral("%1/%2")
                          .arg(due.year() % 100, 2, 10, QChar(u'0'))
                          .arg(due.month());
        }
        Money m(payables, rows);
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            choosePage(w, 2);
            QCOMPARE(bars(w).labels, months);
            // the newest months in view first; then, where they do not all fit, back page by page
            // to the oldest
            QScrollBar* scroller = w->findChild<QScrollBar*>(QStringLiteral("chartScroller"));
            const bool scrolls = scroller && scroller->isVisible();
            if (scrolls)
                QCOMPARE(scroller->value(), scroller->maximum());
            auto pageBack = [&] {
                return scrolls && scroller->value() > 0 &&
                       (scroller->triggerAction(QScrollBar::SliderPageStepSub), true);
            };
            QStringList seen;
            do {
                const Shown shown = shownTexts(w->DBChart1);
                QStringList inView;
                for (const auto& [text, rect] : shown.items)
                    if (months.contains(text))
                        inView << text;
                QVERIFY(inView.size() > 12);
                QVERIFY2(shown.overlaps.isEmpty(), qPrintable(shown.overlaps.join(u' ')));
                QVERIFY(shown.any(QRegularExpression(QStringLiteral("^\\d{1,3}(,\\d{3})+$"))));
                seen = inView + seen;
            } while (pageBack());
            seen.removeDuplicates();
            QCOMPARE(seen, months);
        });
    }

    // Leaving the chart puts the list on its first row.
    void leavingTheChart_data() { sides(); }
    void leavingTheChart() {
        QFETCH(bool, payables);
        Money m(payables, {{QDate(2007, 3, 5), 100}, {QDate(2007, 4, 5), 50}, {QDate(), 5}});
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            w->wwDBGrid1->selectRow(2);
            QCOMPARE(w->detail()->recNo(), 3);
            choosePage(w, 2);
            choosePage(w, 0);
            QCOMPARE(w->detail()->recNo(), 1);
            QCOMPARE(w->wwDBGrid1->currentIndex().row(), 0);
        });
    }

    void summary_data() { sides(); }
    void summary() {
        QFETCH(bool, payables);
        Money m(payables, {{QDate(2007, 3, 5), 500, 200}, {QDate(2007, 4, 5), 100}});
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            choosePage(w, 1);
            QCOMPARE(w->wwDBGrid2->model()->rowCount(), 1);
            QCOMPARE(column(w->wwDBGrid2, 0), QStringList(payables ? "G01" : "K01"));
            QCOMPARE(column(w->wwDBGrid2, 3), QStringList("600.00"));
            QCOMPARE(column(w->wwDBGrid2, 5), QStringList("400.00"));
        });
    }

    // Refresh reads rows stored since the showing; the box's choice stays in force.
    void refresh_data() { sides(); }
    void refresh() {
        QFETCH(bool, payables);
        Money m(payables, {{QDate(2007, 3, 5), 100}});
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            QTest::mouseClick(w->showAll, Qt::LeftButton);
            m.add({QDate(2007, 1, 5), 30, 30});
            m.add({QDate(2007, 2, 5), 40});
            QCOMPARE(w->wwDBGrid1->model()->rowCount(), 1);
            QTest::mouseClick(w->SpeedButton3, Qt::LeftButton);
            QVERIFY(w->showAll->isChecked());
            QCOMPARE(column(w->wwDBGrid1, 1), QStringList({"30.00", "40.00", "100.00"}));
            QCOMPARE(column(w->wwDBGrid2, 3), QStringList("170.00"));
            QTest::mouseClick(w->showAll, Qt::LeftButton);
            QTest::mouseClick(w->SpeedButton3, Qt::LeftButton);
            QCOMPARE(column(w->wwDBGrid1, 1), QStringList({"40.00", "100.00"}));
        });
    }

    void doubleClickOpensTheContract_data() { sides(); }
    void doubleClickOpensTheContract() {
        QFETCH(bool, payables);
        Money m(payables, {{QDate(2007, 3, 5), 100}});
        // another contract of the same partner, current in the main window's list
        const int other = m.f.RegisterFixture::addContract(
            QStringLiteral("HT-A0"), QStringLiteral("其它"),
            payables ? QStringLiteral("G01") : QStringLiteral("K01"),
            payables ? QStringLiteral("付款") : QStringLiteral("收款"), 5);
        Q_UNUSED(other);
        QVERIFY(m.f.start());
        QString number, caption;
        bool saveEnabled = true, modifyEnabled = false;
        m.f.modal
            .then([&](QDialog*) {
                MoneyWindow* w = m.window();
                const QPoint at =
                    w->wwDBGrid1->visualRect(w->wwDBGrid1->model()->index(0, 0)).center();
                QTest::mouseDClick(w->wwDBGrid1->viewport(), Qt::LeftButton, {}, at);
            })
            .then([&](QDialog* editor) {
                auto* e = static_cast<TFormAddCom*>(editor);
                caption = e->windowTitle();
                number = e->DBEdit1->text();
                saveEnabled = e->Button2->isEnabled();
                modifyEnabled = e->Button6->isEnabled();
            });
        QTest::mouseClick(payables ? m.f.main().SpeedButton6 : m.f.main().SpeedButton4,
                          Qt::LeftButton);
        QCOMPARE(m.f.modal.seen,
                 QStringList({"Login", m.window()->objectName(), app().FormAddCom->objectName()}));
        QCOMPARE(caption, QStringLiteral("合同查看"));
        QCOMPARE(number, payables ? QStringLiteral("HT-P1") : QStringLiteral("HT-R1"));
        QVERIFY(!saveEnabled);
        QVERIFY(modifyEnabled);
        QCOMPARE(m.f.dialogs().count(), 0);
    }

    // The main window shows another partner's contracts: the contract is found among all.
    void doubleClickFromAPartnerTab() {
        Money m(true, {{QDate(2007, 3, 5), 100}});
        m.f.RegisterFixture::addContract(QStringLiteral("HT-K1"), QStringLiteral("销售"),
                                         QStringLiteral("K01"), QStringLiteral("收款"), 5);
        QVERIFY(m.f.start());
        TfrmCompactManager& main = m.f.main();
        main.PageControl1->setCurrentIndex(2); // customers: K01 only
        QCOMPARE(column(main.DBGrid4, 0), QStringList("HT-K1"));
        QString number;
        m.f.modal
            .then([&](QDialog*) {
                MoneyWindow* w = m.window();
                w->wwDBGrid1DblClick();
            })
            .then([&](QDialog* editor) {
                number = static_cast<TFormAddCom*>(editor)->DBEdit1->text();
            });
        QTest::mouseClick(main.SpeedButton6, Qt::LeftButton);
        QCOMPARE(number, QStringLiteral("HT-P1"));
        QCOMPARE(main.activeTab(), 0);
    }

    void doubleClickOnAnEmptyList_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("message");
        QTest::newRow("payables") << true << QStringLiteral("应付款表中没有记录!   ");
        QTest::newRow("receivables") << false << QStringLiteral("应收款表中没有记录!   ");
    }
    void doubleClickOnAnEmptyList() {
        QFETCH(bool, payables);
        QFETCH(QString, message);
        Money m(payables, {{QDate(2007, 3, 5), 100, 100}});
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            QTest::mouseDClick(w->wwDBGrid1->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        });
        QCOMPARE(m.f.dialogs().texts(), QStringList(message));
        QCOMPARE(m.f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(m.f.modal.seen, QStringList({"Login", m.window()->objectName()}));
    }

    // Down on the last row of either grid stays there and starts no row.
    void downArrowGuard_data() { sides(); }
    void downArrowGuard() {
        QFETCH(bool, payables);
        Money m(payables, {{QDate(2007, 3, 5), 100}, {QDate(2007, 4, 5), 100}});
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            w->wwDBGrid1->setFocus();
            QTest::keyClick(w->wwDBGrid1, Qt::Key_Down);
            QCOMPARE(w->detail()->recNo(), 2);
            QTest::keyClick(w->wwDBGrid1, Qt::Key_Down);
            QCOMPARE(w->detail()->recNo(), 2);
            QCOMPARE(w->detail()->recordCount(), 2);
            QCOMPARE(w->detail()->state(), DatasetState::Browse);
            choosePage(w, 1);
            QTest::keyClick(w->wwDBGrid2, Qt::Key_Down);
            QCOMPARE(w->summary()->recNo(), w->summary()->recordCount());
            QCOMPARE(w->summary()->state(), DatasetState::Browse);
        });
    }
};
QINTARA_TEST(TestMoneyWindows)
#include "tst_moneywindows.moc"
