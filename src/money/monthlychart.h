#pragma once
// The money window's chart page: one pair of bars (due, settled) per month, a value axis that
// takes in negative totals and groups thousands as the amounts do, and every month's label
// readable: when more months are charted than the page has room for, a scroll bar under the
// chart moves along them while the title, the value axis and the legend stay in place.
#include "monthlybars.h"

#include <QStringList>
#include <QWidget>

class QBarCategoryAxis;
class QBarSet;
class QChartView;
class QScrollBar;
class QValueAxis;
struct MoneySide;

class MonthlyChart : public QWidget {
    Q_OBJECT
public:
    MonthlyChart(const MoneySide& side, QWidget* parent);

    // Replaces every bar and label with these months'; the newest months are in view.
    void setMonths(const std::vector<MonthBar>& bars);

    QChartView* const view;
    QBarSet* const due;
    QBarSet* const settled;
    QBarCategoryAxis* const months;
    QValueAxis* const amounts;
    QScrollBar* const scroller; // shown only when the months do not all fit

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void build(const MoneySide& side);
    // How many months fit side by side with readable labels.
    int monthsInView() const;
    void fitWindow();
    void showFrom(int first);

    QStringList m_labels;
};
