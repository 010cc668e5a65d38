#pragma once
// The statements of the contract search: one column at a time, or every filled criterion
// joined with AND. Criteria are bound as LIKE patterns, never written into the SQL text, so
// "%" and "_" keep their wildcard meaning and any other character stands for itself.
#include "data/textmatch.h"

#include <QString>
#include <QVariantList>
#include <array>

namespace ContractSearch {

// The six criteria, in the window's order.
enum Criterion { Name, Content, PartnerName, PartnerShortName, Department, Operator };
constexpr int CriterionCount = 6;
using Criteria = std::array<QString, CriterionCount>;

struct Statement {
    QString sql;
    QVariantList params;
    bool sortByNumber = false; // the result is sorted by 合同编号 after it is read
};

// The LIKE pattern that finds a value anywhere in a column.
QString pattern(const QString& value);
// Whether the text index can narrow a search for this value: a run of at least three
// characters without a wildcard.
bool indexable(const QString& value);
// What the text index is asked for a value: every trigram of its wildcard-free runs of three
// or more characters, each a term of its own. The LIKE itself never goes to the index: SQLite
// 3.40's trigram index reads a null pointer for patterns that mix short and long pieces.
// Empty when the index cannot narrow the search.
QString textIndexTerms(const QString& value);

// match: how the register's store is asked, with its contract-text index where it has one.
Statement single(Criterion criterion, const QString& text, const TextMatch& match);
Statement combined(const Criteria& texts, const TextMatch& match);

} // namespace ContractSearch
