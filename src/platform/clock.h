#pragma once
// The program's "now" and "today": local wall-clock time, or a fixed moment set by tests.
#include <QDate>
#include <QDateTime>

namespace Clock {

QDateTime now();
QDate today();

// Fixes now() at this moment until reset(); an invalid moment resets.
void setNow(const QDateTime& moment);
void reset();

} // namespace Clock
