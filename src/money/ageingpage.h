#pragma once
// The money window's page "账龄分析": per partner, the open amount by how long it is overdue,
// with the grand totals in a footer.
#include "data/ageing.h"

#include <QAbstractTableModel>
#include <QWidget>

class GridFooter;
class QTableView;
class TDMod;
struct MoneySide;

// The rows of an ageing: partner number and name, one column per bucket, the balance.
class AgeingModel : public QAbstractTableModel {
    Q_OBJECT
public:
    AgeingModel(const MoneySide& side, QObject* parent = nullptr);

    void setAgeing(Ageing ageing);
    const Ageing& ageing() const { return m_ageing; }
    // The text of an amount column's cell, as the grid shows it.
    static QString amountText(const Ageing::Row& row, int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_captions;
    Ageing m_ageing;
};

class AgeingPage : public QWidget {
    Q_OBJECT
public:
    AgeingPage(const MoneySide& side, QWidget* parent = nullptr);

    // Works the ageing out again from the window's lists as they were last read, aged on the
    // clock's today.
    void rebuild(TDMod& dm);

    QTableView* wwDBGrid3; // the partners
    GridFooter* footer;    // 合计
    AgeingModel* model;

private:
    void showTotals();

    const MoneySide& m_side;
};
