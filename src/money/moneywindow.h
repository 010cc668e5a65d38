#pragma once
// The payables or the receivables window: the open instalments by due date, the totals per
// partner, a bar chart per month and the ageing per partner. One class for both, driven by a
// MoneySide.
#include "data/moneyside.h"

#include <QDialog>

class DBGrid;
class AgeingPage;
class Dataset;
class QBarCategoryAxis;
class QBarSeries;
class QBarSet;
class QChart;
class QChartView;
class QCheckBox;
class QTabWidget;
class QToolBar;
class QToolButton;
class QAction;
class MonthlyChart;
class QValueAxis;
class TDMod;

class MoneyWindow : public QDialog {
    Q_OBJECT
public:
    MoneyWindow(const MoneySide& side, QWidget* parent = nullptr);
    ~MoneyWindow() override;

    const MoneySide& side() const { return m_side; }
    Dataset* detail() const;
    Dataset* summary() const;

    // Handlers.
    void FormShow();
    void SpeedButton1Click(); // 导出到Excel
    void SpeedButton3Click(); // 刷新
    void SpeedButton2Click(); // 关闭
    void showAllClick();      // the check box
    void PageControl1Change();
    void wwDBGrid1DblClick();
    void chartPageShow();
    void chartPageHide();

    QToolBar* ToolBar1;
    QToolButton* SpeedButton1; // 导出到Excel
    QToolButton* SpeedButton3; // 刷新
    QToolButton* SpeedButton2; // 关闭
    QCheckBox* showAll;        // 显示所有付款记录 / 显示所有收款记录
    QTabWidget* PageControl1;
    QWidget* pages[4];    // 按时间, 按供应商 / 按客户, 分析图表, 账龄分析
    DBGrid* wwDBGrid1;    // by date
    DBGrid* wwDBGrid2;    // by partner
    QChartView* DBChart1; // per month
    QBarSet* Series1;     // due
    QBarSet* Series2;     // settled
    QBarCategoryAxis* chartMonths;
    QValueAxis* chartAmounts;
    AgeingPage* ageing; // per partner, by how long overdue

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildToolBar();
    void buildPages();
    void buildChart();
    void sortByDueDate();
    void rebuildChart();

    const MoneySide& m_side;
    TDMod* m_dm;
    MonthlyChart* m_chart = nullptr;
    QAction* m_showAllAction = nullptr;
    int m_shownPage = 0;
};
