#include "monthlychart.h"

#include "data/moneyside.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace {

// Room per month for two bars and an upright label, and beside the months for the value axis
// and the margins.
constexpr int MonthWidth = 24;
constexpr int FixedWidth = 180;

// As amounts are shown: "-1,234,567".
QLocale groupedNumbers() {
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale;
}

} // namespace

MonthlyChart::MonthlyChart(const MoneySide& side, QWidget* parent)
    : QWidget(parent), view(new QChartView(new QChart, this)),
      due(new QBarSet(side.seriesTitles[0])), settled(new QBarSet(side.seriesTitles[1])),
      months(new QBarCategoryAxis(view->chart())), amounts(new QValueAxis(view->chart())),
      scroller(new QScrollBar(Qt::Horizontal, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view, 1);
    layout->addWidget(scroller);
    scroller->setObjectName(QStringLiteral("chartScroller"));
    scroller->setAccessibleName(QStringLiteral("月份"));
    scroller->hide();
    connect(scroller, &QScrollBar::valueChanged, this, &MonthlyChart::showFrom);
    build(side);
}

void MonthlyChart::build(const MoneySide& side) {
    QChart* chart = view->chart();
    chart->setTitle(side.chartTitle);
    due->setObjectName(QStringLiteral("Series1"));
    settled->setObjectName(QStringLiteral("Series2"));
    for (auto [set, rgb] :
         {std::pair{due, side.seriesColours[0]}, std::pair{settled, side.seriesColours[1]}}) {
        const QColor colour(rgb);
        set->setColor(colour);
        set->setBorderColor(colour.darker(140));
    }
    auto* bars = new QBarSeries(chart);
    bars->append(due);
    bars->append(settled);
    bars->setBarWidth(0.65);
    bars->setLabelsVisible(false);
    chart->addSeries(bars);
    months->setGridLineVisible(false);
    months->setLabelsAngle(-90);
    months->setTruncateLabels(false);
    amounts->setLabelFormat(QStringLiteral("%.0f"));
    chart->setLocale(groupedNumbers());
    chart->setLocalizeNumbers(true);
    chart->addAxis(months, Qt::AlignBottom);
    chart->addAxis(amounts, Qt::AlignLeft);
    bars->attachAxis(months);
    bars->attachAxis(amounts);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    if (side.silverBackground) {
        chart->setBackgroundBrush(QColor(0xC0, 0xC0, 0xC0));
        chart->setPlotAreaBackgroundBrush(Qt::white);
        chart->setPlotAreaBackgroundVisible(true);
    } else {
        chart->setBackgroundBrush(Qt::white);
    }
    view->setObjectName(QStringLiteral("DBChart1"));
    view->setAccessibleName(QStringLiteral("分析图表"));
    view->setRenderHint(QPainter::Antialiasing);
}

void MonthlyChart::setMonths(const std::vector<MonthBar>& bars) {
    due->remove(0, due->count());
    settled->remove(0, settled->count());
    months->clear();
    // zero stays in range, so that every bar rises or falls from it
    double low = 0;
    double high = 0;
    QStringList labels;
    for (const MonthBar& bar : bars) {
        labels << bar.label;
        const double values[] = {bar.due.toDouble(), bar.settled.toDouble()};
        due->append(values[0]);
        settled->append(values[1]);
        low = std::min({low, values[0], values[1]});
        high = std::max({high, values[0], values[1]});
    }
    months->append(labels);
    m_labels = labels;
    amounts->setRange(low, high > low ? high : low + 1);
    amounts->applyNiceNumbers();
    fitWindow();
    scroller->setValue(scroller->maximum());
}

void MonthlyChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitWindow();
}

int MonthlyChart::monthsInView() const {
    return std::max(1, (view->width() - FixedWidth) / MonthWidth);
}

void MonthlyChart::fitWindow() {
    const int all = int(m_labels.size());
    const int shown = std::min(all, monthsInView());
    scroller->setVisible(shown < all);
    scroller->setPageStep(shown);
    scroller->setRange(0, all - shown);
    showFrom(scroller->value());
}

void MonthlyChart::showFrom(int first) {
    const int shown = scroller->pageStep();
    if (m_labels.isEmpty() || first + shown > m_labels.size())
        return;
    months->setRange(m_labels.at(first), m_labels.at(first + shown - 1));
}
