#include "moneyfixture.h"

#include "money/tfukfrm.h"
#include "money/tshkfrm.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"

#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

Money::Money(bool payablesSide, const QList<Instalment>& rows) : payables(payablesSide) {
    f.addPartner(QStringLiteral("G01"), QStringLiteral("供方一"), false, true);
    f.addPartner(QStringLiteral("K01"), QStringLiteral("客户一"), true, false);
    contract = f.RegisterFixture::addContract(
        QStringLiteral("HT-%1").arg(payables ? "P1" : "R1"), QStringLiteral("设备采购"), partner(),
        payables ? QStringLiteral("付款") : QStringLiteral("收款"), 1000);
    for (const Instalment& i : rows)
        add(i);
}

QString Money::partner() const {
    return payables ? QStringLiteral("G01") : QStringLiteral("K01");
}

void Money::addPartner(const QString& number, const QString& name) {
    f.addPartner(number, name, !payables, payables);
    contract = f.RegisterFixture::addContract(
        QStringLiteral("HT-") + number, name, number,
        payables ? QStringLiteral("付款") : QStringLiteral("收款"), 1000);
}

void Money::add(const Instalment& i) {
    addDue(i.due.isValid() ? QVariant(i.due) : QVariant(), i.amount, i.settled);
}

void Money::addDue(const QVariant& due, double amount, double settled) {
    if (payables)
        f.addPayable(contract, due, amount, settled);
    else
        f.RegisterFixture::addReceivable(contract, due, amount, settled);
}

MoneyWindow* Money::window() const {
    return payables ? static_cast<MoneyWindow*>(app().fukfrm) : app().shkfrm;
}

void Money::open(const Modal::ScriptedModal::Action& action) {
    f.modal.then(action);
    QToolButton* button = payables ? f.main().SpeedButton6 : f.main().SpeedButton4;
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList column(const QTableView* grid, int c) {
    QStringList values;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        values << grid->model()->index(r, c).data().toString();
    return values;
}

QStringList titles(const QTableView* grid) {
    QStringList values;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        values << grid->model()->headerData(c, Qt::Horizontal).toString();
    return values;
}

void choosePage(MoneyWindow* w, int page) {
    QTabBar* bar = w->PageControl1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QCOMPARE(w->PageControl1->currentIndex(), page);
}

void sides() {
    QTest::addColumn<bool>("payables");
    QTest::newRow("payables") << true;
    QTest::newRow("receivables") << false;
}
