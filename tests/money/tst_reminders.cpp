#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "data/tdmod.h"
#include "money/ttix.h"
#include "platform/clock.h"
#include "platform/profilefile.h"
#include "shell/appcontext.h"
#include "shell/shellfixture.h"
#include "shell/tcloseform.h"
#include "shell/tfrmcompactmanager.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QDate Today(2026, 12, 10);
const QString Section = QStringLiteral("Settings");

// A receivable and a payable contract; instalments go in by days from today.
struct Register {
    ShellFixture f;
    int receivable = 0;
    int payable = 0;

    Register() {
        Clock::setNow(QDateTime(Today, QTime(9, 30)));
        f.addPartner(QStringLiteral("K01"), QStringLiteral("客户一"), true, false);
        f.addPartner(QStringLiteral("G01"), QStringLiteral("供方一"), false, true);
        receivable = f.RegisterFixture::addContract(QStringLiteral("HT-R1"), QStringLiteral("销售"),
                                                    QStringLiteral("K01"), QStringLiteral("收款"));
        payable = f.RegisterFixture::addContract(QStringLiteral("HT-P1"), QStringLiteral("采购"),
                                                 QStringLiteral("G01"), QStringLiteral("付款"));
    }
    // Due on the day, or at a time of day when one is given.
    void due(bool receivableSide, int days, double amount, double settled = 0, QTime at = {}) {
        const QVariant when = at.isValid() ? QVariant(QDateTime(Today.addDays(days), at))
                                           : QVariant(Today.addDays(days));
        if (receivableSide)
            f.RegisterFixture::addReceivable(receivable, when, amount, settled);
        else
            f.addPayable(payable, when, amount, settled);
    }
    // A contract of the customer ending in so many days (before today when negative), in an
    // execution state (null: none).
    void ending(const QString& number, int days, const QVariant& state) {
        const int id = f.RegisterFixture::addContract(
            number, QStringLiteral("服务"), QStringLiteral("K01"), QStringLiteral("收款"));
        f.exec(QStringLiteral("UPDATE Compact SET 截止日期 = ?, 执行情况 = ? WHERE CompactID = ?"),
               {Today.addDays(days).toString(Qt::ISODate), state, id});
    }
    // Settings.ini as it is on the disk now; empty when there is none.
    QByteArray settingsText() const {
        QFile file(f.settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void settings(const QByteArray& text) {
        QFile file(f.settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    TTiX& window() const { return *app().TiX; }
};

QStringList column(DBGrid* grid, int c) {
    QStringList values;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        values << grid->model()->index(r, c).data().toString();
    return values;
}

// What the window listed while it was up: the days-left column of each list.
struct Shown {
    QStringList receivable, payable, contracts;
    QString banner, days;
};

Modal::ScriptedModal::Action record(Shown& shown) {
    return [&shown](QDialog* dialog) {
        auto* w = static_cast<TTiX*>(dialog);
        shown.receivable = column(w->DBGrid1, 3);
        shown.payable = column(w->DBGrid2, 3);
        shown.contracts = column(w->DBGrid3, 3);
        shown.banner = w->Panel2->text();
        shown.days = w->Edit1->text();
    };
}

void expectClosed(TDMod& dm) {
    for (Dataset* ds : {dm.TBSTiXing, dm.TBFTiXing, dm.TBHTiXing}) {
        QVERIFY(!ds->isActive());
        QVERIFY(!ds->isFiltered());
    }
}

} // namespace

class TestReminders : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Nothing due: the check shows nothing, and reads no list to find that out; "合同提醒"
    // shows two empty lists.
    void nothingDue() {
        Register r;
        r.due(true, 8, 100);
        r.due(false, -3, 100, 100);
        QVERIFY(r.f.start());
        QSignalSpy receivables(r.f.dm().TBSTiXing, &Dataset::stateChanged);
        QSignalSpy payables(r.f.dm().TBFTiXing, &Dataset::stateChanged);
        r.f.main().Timer1Timer();
        QCOMPARE(receivables.count() + payables.count(), 0);
        QCOMPARE(r.f.modal.seen, QStringList("Login"));
        QCOMPARE(r.f.dialogs().count(), 0);
        QVERIFY(!r.f.main().Timer1->isActive());
        expectClosed(r.f.dm());

        Shown shown;
        r.f.modal.then(record(shown));
        QTest::mouseClick(r.f.main().SpeedButton2, Qt::LeftButton);
        QCOMPARE(r.f.modal.seen, QStringList({"Login", "TiX"}));
        QCOMPARE(shown.receivable, QStringList());
        QCOMPARE(shown.payable, QStringList());
        QCOMPARE(shown.contracts, QStringList());
        QCOMPARE(shown.banner, QStringLiteral("合同预支付记录提醒(7日内)"));
        QCOMPARE(r.window().windowTitle(), QStringLiteral(" 应收付款提醒记录"));
        expectClosed(r.f.dm());
    }

    void listed_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("settled"); // of 100 due
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QTime>("at"); // a time of day on the due date; the clock reads 9:30
        QTest::newRow("yesterday, setting 0") << 0 << -1 << 0.0 << true << QTime();
        QTest::newRow("yesterday, setting 7") << 7 << -1 << 0.0 << true << QTime();
        QTest::newRow("long overdue") << 7 << -400 << 50.0 << true << QTime();
        QTest::newRow("today, setting 0") << 0 << 0 << 0.0 << true << QTime();
        QTest::newRow("tomorrow, setting 0") << 0 << 1 << 0.0 << false << QTime();
        QTest::newRow("in 7 days, setting 7") << 7 << 7 << 0.0 << true << QTime();
        QTest::newRow("in 8 days, setting 7") << 7 << 8 << 0.0 << false << QTime();
        QTest::newRow("in 99 days, setting 99") << 99 << 99 << 0.0 << true << QTime();
        QTest::newRow("settled, due today") << 7 << 0 << 100.0 << false << QTime();
        QTest::newRow("overpaid, overdue") << 7 << -2 << 150.0 << false << QTime();
        QTest::newRow("later today, setting 0") << 0 << 0 << 0.0 << false << QTime(15, 0);
        QTest::newRow("in 7 days before 9:30, setting 7") << 7 << 7 << 0.0 << true << QTime(8, 0);
        QTest::newRow("in 7 days after 9:30, setting 7") << 7 << 7 << 0.0 << false << QTime(10, 0);
    }
    // The automatic check after the login lists the row in its side's list, and only there.
    void listed() {
        QFETCH(int, setting);
        QFETCH(int, days);
        QFETCH(double, settled);
        QFETCH(bool, listed);
        QFETCH(QTime, at);
        for (bool receivable : {true, false}) {
            Register r;
            r.settings(QStringLiteral("[Settings]\nFirst=1\nDayTXing=%1\n").arg(setting).toUtf8());
            r.due(receivable, days, 100, settled, at);
            QVERIFY(r.f.start());
            Shown shown;
            r.f.modal.then(record(shown));
            QVERIFY(r.f.main().Timer1->isActive());
            r.f.main().Timer1Timer();
            QVERIFY(!r.f.main().Timer1->isActive());
            const QStringList expected =
                listed ? QStringList(QString::number(days)) : QStringList();
            QCOMPARE(r.f.modal.seen.size(), listed ? 2 : 1);
            QCOMPARE(receivable ? shown.receivable : shown.payable, expected);
            QCOMPARE(receivable ? shown.payable : shown.receivable, QStringList());
            QCOMPARE(r.f.dialogs().count(), 0);
            expectClosed(r.f.dm());
        }
    }

    void endingContracts_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("days");
        QTest::addColumn<QVariant>("state");
        QTest::addColumn<bool>("listed");
        const QVariant running(QStringLiteral("执行中")), done(QStringLiteral("执行完毕"));
        QTest::newRow("in 3 days") << 7 << 3 << running << true;
        QTest::newRow("in 7 days, setting 7") << 7 << 7 << running << true;
        QTest::newRow("in 8 days, setting 7") << 7 << 8 << running << false;
        QTest::newRow("today, setting 0") << 0 << 0 << running << true;
        QTest::newRow("tomorrow, setting 0") << 0 << 1 << running << false;
        QTest::newRow("ended 5 days ago") << 7 << -5 << running << true;
        QTest::newRow("ended long ago, not started")
            << 7 << -400 << QVariant(QStringLiteral("未执行")) << true;
        QTest::newRow("ended, no state") << 7 << -5 << QVariant() << true;
        QTest::newRow("ended yesterday, done") << 7 << -1 << done << false;
        QTest::newRow("ends today, done") << 7 << 0 << done << true;
        QTest::newRow("in 3 days, done") << 7 << 3 << done << true;
        QTest::newRow("in 120 days, setting 150") << 150 << 120 << running << true;
    }
    // A contract coming to its end is enough for the check after the login to show the window,
    // in the third list only; contracts without an end date never are.
    void endingContracts() {
        QFETCH(int, setting);
        QFETCH(int, days);
        QFETCH(QVariant, state);
        QFETCH(bool, listed);
        Register r;
        r.settings(QStringLiteral("[Settings]\nFirst=1\nDayTXing=%1\n").arg(setting).toUtf8());
        r.ending(QStringLiteral("HT-E1"), days, state);
        QVERIFY(r.f.start());
        Shown shown;
        QStringList numbers;
        r.f.modal.then([&](QDialog* dialog) {
            record(shown)(dialog);
            numbers = column(static_cast<TTiX*>(dialog)->DBGrid3, 0);
        });
        r.f.main().Timer1Timer();
        QCOMPARE(r.f.modal.seen.size(), listed ? 2 : 1);
        QCOMPARE(shown.contracts, listed ? QStringList(QString::number(days)) : QStringList());
        QCOMPARE(numbers, listed ? QStringList("HT-E1") : QStringList());
        QCOMPARE(shown.receivable + shown.payable, QStringList());
        QCOMPARE(r.f.dialogs().count(), 0);
        expectClosed(r.f.dm());
    }

    // A shorter horizon shortens the contracts' list at once too; "合同提醒" lists them as well.
    void endingContractsFollowTheDays() {
        Register r;
        r.ending(QStringLiteral("HT-E1"), -3, QStringLiteral("执行中"));
        r.ending(QStringLiteral("HT-E2"), 2, QStringLiteral("执行中"));
        r.ending(QStringLiteral("HT-E3"), 5, QStringLiteral("执行中"));
        r.ending(QStringLiteral("HT-E4"), -3, QStringLiteral("执行完毕"));
        QVERIFY(r.f.start());
        Shown before, after, onDemand;
        r.f.modal.then([&](QDialog* dialog) {
            auto* w = static_cast<TTiX*>(dialog);
            record(before)(dialog);
            w->Edit1->findChild<QLineEdit*>()->selectAll();
            QTest::keyClicks(w->Edit1, QStringLiteral("3"));
            QTest::mouseClick(w->Button1, Qt::LeftButton);
            record(after)(dialog);
        });
        r.f.main().Timer1Timer();
        QCOMPARE(before.contracts, QStringList({"-3", "2", "5"}));
        QCOMPARE(after.contracts, QStringList({"-3", "2"}));
        expectClosed(r.f.dm());
        r.f.modal.then(record(onDemand));
        QTest::mouseClick(r.f.main().SpeedButton2, Qt::LeftButton);
        QCOMPARE(onDemand.contracts, QStringList({"-3", "2"}));
        expectClosed(r.f.dm());
    }

    // Rows without a due date are never listed below 100 days.
    void undated() {
        Register r;
        r.f.RegisterFixture::addReceivable(r.receivable, QVariant(), 100, 0);
        r.due(false, 3, 100);
        QVERIFY(r.f.start());
        Shown shown;
        r.f.modal.then(record(shown));
        r.f.main().Timer1Timer();
        QCOMPARE(shown.receivable, QStringList());
        QCOMPARE(shown.payable, QStringList("3"));
    }

    // A horizon of 100 days or more, set in the file, lists them with 100, and everything up to
    // the horizon.
    void undatedFromAHundredDays() {
        Register r;
        r.settings("[Settings]\nFirst=1\nDayTXing=150\n");
        r.f.RegisterFixture::addReceivable(r.receivable, QVariant(), 100, 0);
        r.due(true, 150, 100);
        r.due(true, 151, 100);
        QVERIFY(r.f.start());
        Shown shown;
        r.f.modal.then(record(shown));
        r.f.main().Timer1Timer();
        QCOMPARE(shown.receivable, QStringList({"100", "150"}));
        QCOMPARE(shown.banner, QStringLiteral("合同预支付记录提醒(150日内)"));
    }

    // Setting 3: written, confirmed, shown in the banner, and both lists shortened at once.
    void changeTheDays() {
        Register r;
        for (bool receivable : {true, false})
            for (int days : {-1, 2, 5})
                r.due(receivable, days, 100);
        QVERIFY(r.f.start());
        Shown before, after;
        r.f.modal.then([&](QDialog* dialog) {
            auto* w = static_cast<TTiX*>(dialog);
            record(before)(dialog);
            QLineEdit* box = w->Edit1->findChild<QLineEdit*>();
            box->selectAll();
            QTest::keyClicks(w->Edit1, QStringLiteral("3"));
            QTest::mouseClick(w->Button1, Qt::LeftButton);
            record(after)(dialog);
            QTest::mouseClick(w->Button2, Qt::LeftButton);
            QVERIFY(!w->isVisible());
        });
        r.f.main().Timer1Timer();
        QCOMPARE(before.banner, QStringLiteral("合同预支付记录提醒(7日内)"));
        QCOMPARE(before.days, QStringLiteral("7"));
        QCOMPARE(before.receivable, QStringList({"-1", "2", "5"}));
        QCOMPARE(before.payable, QStringList({"-1", "2", "5"}));
        QCOMPARE(
            ProfileFile(r.f.settingsPath()).readInteger(Section, QStringLiteral("DayTXing"), 0), 3);
        QCOMPARE(r.f.dialogs().texts(), QStringList(QStringLiteral("设置成功!提前天数为： 3 天!")));
        QCOMPARE(r.f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(after.banner, QStringLiteral("合同预支付记录提醒(3日内)"));
        QCOMPARE(after.receivable, QStringList({"-1", "2"}));
        QCOMPARE(after.payable, QStringList({"-1", "2"}));
        expectClosed(r.f.dm());

        // a longer horizon lists more again, also on demand
        Shown longer;
        r.f.modal.then([&](QDialog* dialog) {
            auto* w = static_cast<TTiX*>(dialog);
            w->Edit1->findChild<QLineEdit*>()->selectAll();
            QTest::keyClicks(w->Edit1, QStringLiteral("30"));
            QTest::mouseClick(w->Button1, Qt::LeftButton);
            record(longer)(dialog);
        });
        QTest::mouseClick(r.f.main().SpeedButton2, Qt::LeftButton);
        QCOMPARE(longer.receivable, QStringList({"-1", "2", "5"}));
        QCOMPARE(longer.banner, QStringLiteral("合同预支付记录提醒(30日内)"));
        expectClosed(r.f.dm());
    }

    // Text that is no number is refused; nothing is written.
    void notANumber() {
        Register r;
        r.due(true, 1, 100);
        QVERIFY(r.f.start());
        const QByteArray before = r.settingsText();
        r.f.modal.then([&](QDialog* dialog) {
            auto* w = static_cast<TTiX*>(dialog);
            w->Edit1->findChild<QLineEdit*>()->setText(QStringLiteral("a5"));
            w->Button1Click();
        });
        QTest::mouseClick(r.f.main().SpeedButton2, Qt::LeftButton);
        QCOMPARE(r.f.dialogs().count(), 1);
        QCOMPARE(r.f.dialogs().last().icon, Dialogs::Icon::Error);
        QVERIFY2(r.f.dialogs().last().text.contains(QStringLiteral("a5")),
                 qPrintable(r.f.dialogs().last().text));
        QCOMPARE(r.settingsText(), before);
    }

    // A negative number keeps its sign in the box and is refused; nothing is written.
    void negativeDays() {
        Register r;
        r.due(true, 1, 100);
        QVERIFY(r.f.start());
        const QByteArray before = r.settingsText();
        QString shown;
        r.f.modal.then([&](QDialog* dialog) {
            auto* w = static_cast<TTiX*>(dialog);
            w->Edit1->findChild<QLineEdit*>()->selectAll();
            QTest::keyClicks(w->Edit1, QStringLiteral("-5"));
            QTest::mouseClick(w->Button1, Qt::LeftButton);
            shown = w->Edit1->text();
        });
        QTest::mouseClick(r.f.main().SpeedButton2, Qt::LeftButton);
        QCOMPARE(r.f.dialogs().texts(),
                 QStringList(QStringLiteral("“-5”不是有效的天数，请输入0到99之间的整数.")));
        QCOMPARE(shown, QStringLiteral("-5"));
        QCOMPARE(r.settingsText(), before);
    }

    void missingSettingMeansSeven() {
        Register r;
        r.settings("[Settings]\nFirst=1\n");
        r.due(true, 7, 100);
        r.due(true, 8, 100);
        QVERIFY(r.f.start());
        Shown shown;
        r.f.modal.then(record(shown));
        r.f.main().Timer1Timer();
        QCOMPARE(shown.banner, QStringLiteral("合同预支付记录提醒(7日内)"));
        QCOMPARE(shown.days, QStringLiteral("7"));
        QCOMPARE(shown.receivable, QStringList("7"));
    }

    // After a change of operator the check runs again.
    void againAfterAChangeOfOperator() {
        Register r;
        r.due(false, 0, 100);
        QVERIFY(r.f.start());
        r.f.main().Timer1Timer(); // shown and closed
        QCOMPARE(r.f.modal.seen, QStringList({"Login", "TiX"}));
        r.f.modal
            .then([](QDialog* dialog) {
                QTest::mouseClick(static_cast<TCloseForm*>(dialog)->Button2, Qt::LeftButton);
            })
            .then(ShellFixture::login(QStringLiteral("管理员"), {}));
        r.f.main().close();
        QVERIFY(r.f.main().Timer1->isActive());
        Shown shown;
        r.f.modal.then(record(shown));
        r.f.main().Timer1Timer();
        QCOMPARE(r.f.modal.seen, QStringList({"Login", "TiX", "CloseForm", "Login", "TiX"}));
        QCOMPARE(shown.payable, QStringList("0"));
    }

    // The check that fires while "合同提醒" is up leaves that window alone.
    void skippedWhileShown() {
        Register r;
        r.due(true, 0, 100);
        QVERIFY(r.f.start());
        Shown shown;
        r.f.modal.then([&](QDialog* dialog) {
            r.f.main().Timer1Timer();
            record(shown)(dialog);
        });
        QTest::mouseClick(r.f.main().SpeedButton2, Qt::LeftButton);
        QCOMPARE(r.f.modal.seen, QStringList({"Login", "TiX"}));
        QCOMPARE(shown.receivable, QStringList("0"));
        QVERIFY(!r.f.main().Timer1->isActive());
        expectClosed(r.f.dm());
    }

    void look() {
        Register r;
        QVERIFY(r.f.start());
        TTiX& w = r.window();
        QCOMPARE(w.size(), QSize(699, 563));
        QCOMPARE(w.Panel2->height(), 41);
        QCOMPARE(w.Panel1->height(), 79);
        QCOMPARE(w.Button1->text(), QStringLiteral("&C确认修改"));
        QCOMPARE(w.Button2->text(), QStringLiteral("&E退出"));
        QCOMPARE(w.Edit1->minimum(), 0);
        QCOMPARE(w.Edit1->maximum(), 99);
        r.f.modal.then([](QDialog* dialog) {
            auto* t = static_cast<TTiX*>(dialog);
            QStringList titles;
            for (int c = 0; c < t->DBGrid1->model()->columnCount(); ++c)
                titles << t->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
            QCOMPARE(titles, QStringList({"合同编号", "应收日期", "应收金额", "剩余天数",
                                          "合同名称", "客户名称"}));
            QCOMPARE(t->DBGrid2->model()->headerData(5, Qt::Horizontal).toString(),
                     QStringLiteral("供应商"));
            QCOMPARE(t->Label5->text(), QStringLiteral("合同到期提醒表"));
            QCOMPARE(t->DBGrid3->accessibleName(), QStringLiteral("合同到期提醒表"));
            QStringList contracts;
            for (int c = 0; c < t->DBGrid3->model()->columnCount(); ++c)
                contracts << t->DBGrid3->model()->headerData(c, Qt::Horizontal).toString();
            QCOMPARE(contracts, QStringList({"合同编号", "截止日期", "合同金额", "剩余天数",
                                             "合同名称", "往来单位", "执行情况"}));
        });
        QTest::mouseClick(r.f.main().SpeedButton2, Qt::LeftButton);
    }
};
QINTARA_TEST(TestReminders)
#include "tst_reminders.moc"
