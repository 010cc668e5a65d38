#pragma once
// The rules that make a contract up: its type and direction, name, amount, dates, people,
// schedule of instalments, execution state and text. All chance comes from the Random given,
// in a fixed order of draws, so a seed and a day give the same contracts everywhere.
#include "generatorrandom.h"
#include "generatorrows.h"

namespace Generator {

// A surname and a given name.
QString personName(Random& r);

// One of the eleven contract types, by their weights.
int pickType(Random& r);

// 0 收款, 1 付款, 2 其它.
int pickDirection(Random& r, int type);

// The common part of a contract: everything but its number, text and schedule.
Contract makeContract(Random& r, int type, int direction, const QString& partner, QDate signedOn,
                      QDate today);

// Due dates spread over the term; how much is settled depends on where they stand from today.
void fillSchedule(Random& r, Contract& c, int count, QDate today);

// 未执行, 执行中 or 执行完毕, from the dates and what the schedule has settled by today.
QString executionState(const Contract& c, QDate today);

// The text of a demo contract: the header and a short close.
QString shortText(const Contract& c, const QString& partnerName);

// About 2 KB (UTF-8) of contract text: the header and clauses drawn at random.
QString longText(Random& r, const Contract& c, const QString& partnerName);

} // namespace Generator
