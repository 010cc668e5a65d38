#include "common/externalreaders.h"
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "components/footer.h"
#include "data/currency.h"
#include "money/ageingpage.h"
#include "money/moneywindow.h"
#include "moneyfixture.h"
#include "platform/clock.h"
#include "platform/gui/shellopen.h"
#include "platform/paths.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <functional>

namespace {

const QDate Today(2026, 12, 10);
constexpr int ByDate = 0, ByPartner = 1, AgeingTab = 3;

QDate overdue(int days) {
    return Today.addDays(-days);
}

// The clock at 9:30 on Today for the length of a test.
struct FixedToday {
    FixedToday() { Clock::setNow(QDateTime(Today, QTime(9, 30))); }
    ~FixedToday() { Clock::reset(); }
};

// A partner with an instalment in every bucket and at each bucket's edges, one with an
// overpaid instalment, and one with everything settled.
void fillEveryBucket(Money& m) {
    m.add({overdue(-5), 1000});                     // due in five days
    m.add({Today, 200});                            // due today: 0 days overdue
    m.addDue(QDateTime(Today, QTime(15, 0)), 0.25); // later today
    m.add({QDate(), 3.5});                          // no due date
    const std::pair<int, double> edges[] = {{1, 10},   {30, 20},  {31, 40}, {60, 80},
                                            {61, 160}, {90, 320}, {91, 640}};
    for (auto [days, amount] : edges)
        m.add({overdue(days), amount});
    m.add({overdue(400), 1280, 280}); // partly settled
    m.add({overdue(45), 500, 500});   // settled
    const bool payables = m.payables;
    m.addPartner(payables ? QStringLiteral("G02") : QStringLiteral("K02"),
                 payables ? QStringLiteral("供方二") : QStringLiteral("客户二"));
    m.add({overdue(10), 100});
    m.add({overdue(70), 50});
    m.add({overdue(-5), 200, 330}); // overpaid by 130: set against the oldest first
    m.addPartner(payables ? QStringLiteral("G03") : QStringLiteral("K03"),
                 payables ? QStringLiteral("供方三") : QStringLiteral("客户三"));
    m.add({overdue(20), 70, 70});
}

AgeingPage* page(MoneyWindow* w) {
    return w->ageing;
}

QStringList footerTexts(AgeingPage* p) {
    QStringList texts;
    for (int c = 1; c < p->model->columnCount(); ++c)
        texts << p->footer->text(c);
    return texts;
}

// The page's rows, each as its cells' texts joined by "|".
QStringList rowTexts(const QTableView* grid) {
    QStringList rows;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            cells << grid->model()->index(r, c).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

// The two partners' rows of fillEveryBucket, their cells joined by "|", amounts as `money`
// writes them.
QStringList everyBucketRows(bool payables, const std::function<QString(double)>& money) {
    const QString number = payables ? QStringLiteral("G0") : QStringLiteral("K0");
    const QString name = payables ? QStringLiteral("供方") : QStringLiteral("客户");
    auto row = [&](const QString& partner, std::initializer_list<double> amounts) {
        QStringList cells{number + partner.left(1), name + partner.mid(1)};
        for (double a : amounts)
            cells << money(a);
        return cells.join(u'|');
    };
    return {row(QStringLiteral("1一"), {1203.75, 30, 120, 480, 1640, 3473.75}),
            row(QStringLiteral("2二"), {0, 20, 0, 0, 0, 20})};
}

QString asShown(double amount) {
    return Currency::fromDouble(amount).format();
}

QString asRead(double amount) {
    return QString::number(amount, 'f', 2);
}

const QStringList EveryBucketTotals{"合计",   "1,203.75", "50.00",   "120.00",
                                    "480.00", "1,640.00", "3,493.75"};

// Each partner's balance on the ageing page is its balance on the partner page; the grand
// total is the partner page's balances added up.
void expectPartnerPageTotals(MoneyWindow* w) {
    const QStringList numbers = column(w->wwDBGrid2, 0), balances = column(w->wwDBGrid2, 5);
    const QTableView* grid = page(w)->wwDBGrid3;
    Currency::Sum all;
    for (const QString& balance : balances)
        all += Currency::parse(balance).value_or(Currency());
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        const QString number = grid->model()->index(r, 0).data().toString();
        QVERIFY2(numbers.contains(number), qPrintable(number));
        QCOMPARE(grid->model()->index(r, 7).data().toString(), balances[numbers.indexOf(number)]);
    }
    QCOMPARE(page(w)->footer->text(7), all.format());
}

} // namespace

class TestAgeing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every bucket with its edges, in exact texts; the totals are the partner page's, whichever
    // way the list by date is shown.
    void everyBucket_data() { sides(); }
    void everyBucket() {
        QFETCH(bool, payables);
        FixedToday today;
        Money m(payables, {});
        fillEveryBucket(m);
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            QCOMPARE(w->PageControl1->tabText(AgeingTab), QStringLiteral("账龄分析"));
            choosePage(w, AgeingTab);
            QVERIFY(!w->showAll->isVisible());
            const QString partner = payables ? QStringLiteral("供应商") : QStringLiteral("客户");
            QCOMPARE(titles(page(w)->wwDBGrid3),
                     QStringList({partner + "编号", partner + "名称", "未到期", "1-30天", "31-60天",
                                  "61-90天", "90天以上", "欠款"}));
            QCOMPARE(rowTexts(page(w)->wwDBGrid3), everyBucketRows(payables, asShown));
            QCOMPARE(footerTexts(page(w)), EveryBucketTotals);
            choosePage(w, ByPartner);
            QCOMPARE(column(w->wwDBGrid2, 0).size(), 3);
            expectPartnerPageTotals(w);

            // every row listed by date: the settled and overpaid ones count not twice
            choosePage(w, ByDate);
            QTest::mouseClick(w->showAll, Qt::LeftButton);
            choosePage(w, AgeingTab);
            QCOMPARE(rowTexts(page(w)->wwDBGrid3), everyBucketRows(payables, asShown));
            QCOMPARE(footerTexts(page(w)), EveryBucketTotals);
        });
        QCOMPARE(m.f.dialogs().count(), 0);
    }

    // A payment while the window is open shows after "刷新"; days later the same amount has
    // moved on to the next bucket.
    void followsTheRegisterAndTheDays_data() { sides(); }
    void followsTheRegisterAndTheDays() {
        QFETCH(bool, payables);
        FixedToday today;
        Money m(payables, {{overdue(29), 100}});
        QVERIFY(m.f.start());
        const QString name = payables ? QStringLiteral("供方一") : QStringLiteral("客户一");
        // the one partner's row with these amounts 1-30 and 31-60 days overdue
        auto aged = [&](const QString& month, const QString& twoMonths, const QString& total) {
            return QStringList(QStringList{m.partner(), name, QStringLiteral("0.00"), month,
                                           twoMonths, QStringLiteral("0.00"),
                                           QStringLiteral("0.00"), total}
                                   .join(u'|'));
        };
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            choosePage(w, AgeingTab);
            QCOMPARE(rowTexts(page(w)->wwDBGrid3), aged("100.00", "0.00", "100.00"));
            m.f.exec(payables ? QStringLiteral("UPDATE AccountPayable SET 实付金额 = ?")
                              : QStringLiteral("UPDATE AccountReceive SET 实收金额 = ?"),
                     {units(40)});
            QTest::mouseClick(w->SpeedButton3, Qt::LeftButton);
            QCOMPARE(rowTexts(page(w)->wwDBGrid3), aged("60.00", "0.00", "60.00"));
            QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
        });
        Clock::setNow(QDateTime(Today.addDays(2), QTime(9, 30)));
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            QCOMPARE(w->PageControl1->currentIndex(), ByDate);
            choosePage(w, AgeingTab);
            QCOMPARE(rowTexts(page(w)->wwDBGrid3), aged("0.00", "60.00", "60.00"));
            QCOMPARE(footerTexts(page(w)),
                     QStringList({"合计", "0.00", "0.00", "60.00", "0.00", "0.00", "60.00"}));
        });
    }

    // Instalments of a contract whose partner is not in the partner list still count: on a
    // row of their own, and in the totals.
    void contractsWithoutAListedPartner_data() { sides(); }
    void contractsWithoutAListedPartner() {
        QFETCH(bool, payables);
        FixedToday today;
        Money m(payables, {{overdue(100), 70}});
        m.contract = m.f.RegisterFixture::addContract(
            QStringLiteral("HT-X"), QStringLiteral("旧合同"), QStringLiteral("X99"),
            payables ? QStringLiteral("付款") : QStringLiteral("收款"), 5);
        m.add({overdue(3), 5.5});
        QVERIFY(m.f.start());
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            choosePage(w, AgeingTab);
            QCOMPARE(column(page(w)->wwDBGrid3, 1),
                     QStringList({payables ? "供方一" : "客户一", "（无往来单位）"}));
            QCOMPARE(column(page(w)->wwDBGrid3, 3), QStringList({"0.00", "5.50"}));
            QCOMPARE(footerTexts(page(w)),
                     QStringList({"合计", "0.00", "5.50", "0.00", "0.00", "70.00", "75.50"}));
        });
    }

    // "导出到Excel" writes the ageing with the window's other lists, read back by xlrd: the
    // partners' rows and the totals as numbers in the money format.
    void exported_data() { sides(); }
    void exported() {
        QFETCH(bool, payables);
        FixedToday today;
        Money m(payables, {});
        fillEveryBucket(m);
        QVERIFY(m.f.start());
        Shell::RecordingOpener opener;
        QStringList captions;
        m.open([&](QDialog*) {
            MoneyWindow* w = m.window();
            captions = titles(page(w)->wwDBGrid3);
            QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
        });
        QCOMPARE(m.f.dialogs().count(), 0);
        const QString path = Paths::mapped(payables ? QStringLiteral("C:\\应付款表.xls")
                                                    : QStringLiteral("C:\\应收款表.xls"));
        QCOMPARE(opener.opened, QStringList(path));
        const QJsonObject book = ExternalReaders::readXls(path);
        const QJsonArray sheets = book[QStringLiteral("sheets")].toArray();
        QCOMPARE(sheets.size(), 3);
        const QJsonObject sheet = sheets[2].toObject();
        QCOMPARE(sheet[QStringLiteral("name")].toString(), QStringLiteral("账龄分析"));
        const QJsonArray rows = sheet[QStringLiteral("rows")].toArray();
        QCOMPARE(rows.size(), 4);
        QStringList lines;
        for (const QJsonValue& row : rows) {
            QStringList cells;
            for (const QJsonValue& cell : row.toArray()) {
                const QJsonArray c = cell.toArray();
                const bool number = c[0].toString() == QLatin1String("number");
                if (number)
                    QCOMPARE(c[2].toString(), QStringLiteral("#,##0.00"));
                cells << (number ? asRead(c[1].toDouble()) : c[1].toString());
            }
            lines << cells.join(u'|');
        }
        QCOMPARE(lines.takeFirst(), captions.join(u'|'));
        QCOMPARE(lines.takeLast(),
                 QStringLiteral("|合计|1203.75|50.00|120.00|480.00|1640.00|3493.75"));
        QCOMPARE(lines, everyBucketRows(payables, asRead));
    }
};
QINTARA_TEST(TestAgeing)
#include "tst_ageing.moc"
