#pragma once
// The chart's figures: the instalments of a detail list grouped by the year and month of their
// due date, with the sums due and settled of each group, oldest first.
#include "data/currency.h"

#include <QDate>
#include <QString>
#include <vector>

class Dataset;

struct MonthBar {
    QString label; // "07/3": the year's last two digits, "/", the month without a leading zero
    // Exact however many amounts a month holds: a month's total may lie beyond one amount's range.
    Currency::Sum due;
    Currency::Sum settled;
};

// Walks the dataset from its first row to its end in its own order (ascending due date), so
// that each run of rows in one month makes one bar; rows without a due date are passed over and
// an empty amount counts as 0. Leaves the dataset at its end.
std::vector<MonthBar> monthlyBars(Dataset& detail, const QString& dueDate, const QString& due,
                                  const QString& settled);

QString monthLabel(const QDate& date);
