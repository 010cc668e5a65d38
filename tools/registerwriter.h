#pragma once
// Writes the generated rows into a register through prepared inserts, counting them.
#include "generator.h"
#include "generatorrows.h"

#include <QSqlQuery>
#include <vector>

namespace Generator {

// Prepared inserts shared by the demo and the benchmark.
class Writer {
public:
    explicit Writer(Database& db);

    Counts counts;

    void partner(const Partner& p);
    void department(const QString& name);
    void rate(const QString& partner, double rate);
    // The contract with its schedule, in the receivable or payable table by its direction.
    void contract(const Contract& c);

private:
    QSqlQuery m_partner, m_contract, m_receive, m_pay, m_rate, m_department;
};

// Stamp-tax rates: most partners have one, every tenth none, the first partner two (the
// first row counts).
void writeRates(Writer& w, const std::vector<Partner>& partners);

// 张三 and 李四 beside 管理员; counts every operator.
void writeOperators(Database& db, Counts& counts);

} // namespace Generator
