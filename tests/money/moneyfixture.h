#pragma once
// The money windows driven as a user drives them: a supplier and a customer, one contract of
// the side's direction with its instalments, the window opened from the main window's toolbar.
#include "shell/shellfixture.h"

#include <QDate>
#include <QList>
#include <QMetaType>
#include <QStringList>

class MoneyWindow;
class QTableView;

// One instalment as the test puts it in: due date (null: none), amount due, amount settled.
struct Instalment {
    QDate due;
    double amount;
    double settled = 0;
};
Q_DECLARE_METATYPE(Instalment)

struct Money {
    ShellFixture f;
    bool payables;
    int contract = 0;

    Money(bool payablesSide, const QList<Instalment>& rows);

    // The partner's number and name on this side: "G01" 供方一 or "K01" 客户一.
    QString partner() const;
    // Another partner of this side with a contract of its own, which takes the instalments
    // added from now on.
    void addPartner(const QString& number, const QString& name);
    void add(const Instalment& i);
    // An instalment due on a day or at a moment (null: none).
    void addDue(const QVariant& due, double amount, double settled = 0);
    MoneyWindow* window() const;
    // The main window's toolbar button; the action runs inside the window.
    void open(const Modal::ScriptedModal::Action& action);
};

QStringList column(const QTableView* grid, int c);
QStringList titles(const QTableView* grid);
// Clicks the page's tab on the left.
void choosePage(MoneyWindow* w, int page);
// The side's test rows: "payables" and "receivables".
void sides();
