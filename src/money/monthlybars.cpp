#include "monthlybars.h"

#include "data/dataset.h"
#include "data/frozencontrols.h"

QString monthLabel(const QDate& date) {
    return QStringLiteral("%1/%2")
        .arg(date.year() % 100, 2, 10, QLatin1Char('0'))
        .arg(date.month());
}

std::vector<MonthBar> monthlyBars(Dataset& detail, const QString& dueDate, const QString& due,
                                  const QString& settled) {
    std::vector<MonthBar> bars;
    if (!detail.isActive() || detail.isEmpty())
        return bars;
    const Field* date = detail.fieldByName(dueDate);
    const Field* dueAmount = detail.fieldByName(due);
    const Field* settledAmount = detail.fieldByName(settled);
    // the grid need not follow every step of the walk
    const FrozenControls frozen(detail);
    int year = 0;
    int month = 0;
    for (detail.first(); !detail.eof(); detail.next()) {
        if (date->isNull())
            continue;
        const QDate d = date->asDateTime().date();
        if (bars.empty() || d.year() != year || d.month() != month) {
            year = d.year();
            month = d.month();
            bars.push_back({monthLabel(d), {}, {}});
        }
        bars.back().due += dueAmount->asCurrency();
        bars.back().settled += settledAmount->asCurrency();
    }
    return bars;
}
